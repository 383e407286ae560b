// Emptying the base folder, by both ways: our own walk (no recycle bin, confirmation or progress
// dialog asked for) and the shell's delete (here: with its progress dialog, which asks nothing).
// Both must leave the same result and keep to the same guards.
#include "FolderEmptying.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveFolders.h"
#include "TestSupport.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

enum class Way { OwnWalk, Shell };

std::string WayName(const ::testing::TestParamInfo<Way>& info) {
    return info.param == Way::OwnWalk ? "OwnWalk" : "Shell";
}

// Nothing left in the folder, which exists.
bool EmptyFolder(const std::string& folder) {
    const DWORD a = ::GetFileAttributesA(folder.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &fd);
    int entries = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do entries += std::string(fd.cFileName) != "." && std::string(fd.cFileName) != "..";
        while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    return entries == 0;
}

class Emptying : public ::testing::TestWithParam<Way> {
  protected:
    void Empty(const std::string& folder) {
        DeleteBaseFolder(folder, nullptr, false, GetParam() == Way::Shell, false, false);
    }
    TempDir dir;
    std::string base = dir / "base\\";
};

TEST_P(Emptying, RemovesEveryKindOfFileAndFolderAndMakesTheFolderAgain) {
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    for (const char* d :
         {"backup", "backup\\sub", "backup\\sub\\deeper", "表", "表\\ソ能", "empty", "locked"})
        ASSERT_TRUE(CreateDirectoryA((base + d).c_str(), nullptr)) << d;
    for (const char* f :
         {"backup\\a.txt", "backup\\sub\\b.txt", "backup\\sub\\deeper\\c.txt", "表\\ソ能\\表.txt",
          "hidden.txt", "system.txt", "readonly.txt", "locked\\inside.txt"})
        ASSERT_TRUE(WriteFileBytes(base + f, "x")) << f;
    SetFileAttributesA((base + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((base + "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((base + "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((base + "locked").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(WriteFileBytes(dir / "outside.txt", "keep"));
    ASSERT_TRUE(WriteFileBytes(dir / "base2", "a name that begins like the base folder"));
    Empty(base);
    EXPECT_TRUE(EmptyFolder(base));
    EXPECT_TRUE(Exists(dir / "outside.txt"));
    EXPECT_TRUE(Exists(dir / "base2"));
}

TEST_P(Emptying, NeverTakesRootsRelativeOrWildcardPaths) {
    // No folder "w*" exists to be asked about: the path test itself must refuse it.
    EXPECT_TRUE(MayHandToShellForDeletion("C:\\Backup\\w1"));
    EXPECT_FALSE(MayHandToShellForDeletion("C:\\Backup\\w*"));
    EXPECT_FALSE(MayHandToShellForDeletion("C:\\Backup\\w?"));
    EXPECT_FALSE(MayHandToShellForDeletion("\\\\server\\share"));
    EXPECT_FALSE(MayHandToShellForDeletion("Backup"));
    ASSERT_TRUE(CreateDirectoryA((dir / "w1").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dir / "w1\\f.txt", "x"));
    // A wildcard would let the shell delete every match.
    Empty(dir / "w*");
    EXPECT_TRUE(Exists(dir / "w1\\f.txt"));
    // A relative base folder is not resolved against the current folder.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    Empty("w1\\");
    SetCurrentDirectoryA(cwd);
    EXPECT_TRUE(Exists(dir / "w1\\f.txt"));
}

TEST_P(Emptying, SeesThroughOtherSpellingsOfADriveRoot) {
    ASSERT_TRUE(WriteFileBytes(dir / "f.txt", "x"));
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    // A drive of its own whose root is the temporary folder: Wine's drive letters are links in
    // the prefix's dosdevices folder (DefineDosDevice is not carried out there).
    char prefix[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH), 0u) << "not under Wine";
    ASSERT_EQ(dir.Path().compare(0, 3, "C:\\"), 0) << dir.Path();
    std::string unixTarget = "../drive_c/" + dir.Path().substr(3);
    for (char& c : unixTarget)
        if (c == '\\') c = '/';
    std::string devices = std::string("Z:") + prefix + "/dosdevices/";
    for (char& c : devices)
        if (c == '/') c = '\\';
    {
        testing_support::UnixFolderLink drive(devices, "q:", unixTarget);
        ASSERT_TRUE(Exists("Q:\\f.txt"));
        for (const char* root : {"Q:\\.", "Q:\\sub\\..", "Q:\\sub/..\\", "Q:/"}) Empty(root);
    }
    EXPECT_TRUE(Exists(dir / "f.txt"));
    EXPECT_TRUE(Exists(dir / "sub"));
}

INSTANTIATE_TEST_SUITE_P(BothWays, Emptying, ::testing::Values(Way::OwnWalk, Way::Shell), WayName);

// What only the own walk is asked to do. (Under Wine the shell can neither remove a Unix link
// nor reach past MAX_PATH.)
TEST(OwnWalk, LinksAreNeverFollowed) {
    TempDir dir;
    const std::string base = dir / "base\\";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "elsewhere").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dir / "elsewhere\\precious.txt", "keep"));
    ASSERT_TRUE(CreateDirectoryA((base + "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(base + "sub\\own.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(base + "own.txt", "x"));
    {
        // A link out of the tree, and one to its parent (a walk that followed it would never end,
        // or take the whole temporary folder). No link to a file: Wine shows none as a link, and
        // its DeleteFile removes the link's target (Windows removes the link).
        testing_support::UnixFolderLink out(base + "sub\\", "out", "../../elsewhere");
        testing_support::UnixFolderLink loop(base, "loop", "..");
        ASSERT_TRUE(out.Made() && loop.Made());
        DeleteBaseFolder(base, nullptr, false, false, false, false);
        EXPECT_FALSE(Exists(base + "own.txt"));
        EXPECT_FALSE(Exists(base + "sub\\own.txt"));
        // Windows removes a folder link with RemoveDirectory; Wine can remove no Unix link to a
        // folder through Win32 (it refuses, as for a folder that is not empty): there the links
        // and the folders that hold them stay.
    }
    EXPECT_EQ(testing_support::ReadFileBytes(dir / "elsewhere\\precious.txt"), "keep");
}

TEST(OwnWalk, WideNamesAndPathsPastMaxPath) {
    TempDir dir;
    const std::string base = dir / "base";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    // A name no ANSI call can spell (not in code page 932), and a chain of folders far past
    // MAX_PATH, reachable only through the long-path prefix.
    std::wstring wbase = L"\\\\?\\";
    for (char c : base) wbase += static_cast<wchar_t>(static_cast<unsigned char>(c));
    ASSERT_TRUE(testing_support::WriteFileBytes(base + "\\plain.txt", "x"));
    const std::wstring wide = wbase + L"\\caf\u00e9 \u0e01.txt";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::wstring deep = wbase;
    for (int i = 0; i < 30; ++i) {
        deep += L"\\folder-with-a-long-name";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << i;
    }
    h = CreateFileW((deep + L"\\end.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(RemoveFolderTree(base));
    EXPECT_FALSE(Exists(base));
}

TEST(OwnWalk, AFileInUseStaysAndTheRestGoes) {
    TempDir dir;
    const std::string base = dir / "base\\";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "a").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(base + "a\\busy.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(base + "a\\free.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(base + "z.txt", "x"));
    HANDLE h =
        CreateFileA((base + "a\\busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(RemoveFolderTree(base));
    CloseHandle(h);
    EXPECT_TRUE(Exists(base + "a\\busy.txt"));
    EXPECT_FALSE(Exists(base + "a\\free.txt"));
    EXPECT_FALSE(Exists(base + "z.txt"));
}

}  // namespace
