#include "ArchiveFolders.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(ArchiveFolders, CheckRefusesTheBaseFolderAndBelowIgnoringCase) {
    TempDir dir;
    const std::string base = dir / "Backup\\";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "Arc").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "Backup2").c_str(), nullptr));

    try {
        CheckArchiveFolder(base, base + "Arc\\");
        FAIL() << "archive folder below the base folder was accepted";
    } catch (const std::runtime_error& e) {
        const std::string expected =
            "圧縮先フォルダが基準フォルダと同フォルダ、もしくは下位フォルダになっています\r\n"
            "    基準フォルダ = " +
            base +
            "\r\n"
            "    圧縮先フォルダ = " +
            base +
            "Arc\\\r\n"
            "圧縮は、基準フォルダ以下のファイルをすべて圧縮します\r\n"
            "また、設定により、圧縮後基準フォルダ以下のフォルダを削除することがあります\r\n"
            "圧縮先フォルダは基準フォルダと独立したフォルダを指定してください";
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_THROW(CheckArchiveFolder(base, base), std::runtime_error);
    EXPECT_NO_THROW(CheckArchiveFolder(base, dir / "Backup2\\"));
    // Letter case is ignored; without its backslash the base folder also refuses Backup2 (a plain
    // substring test).
    std::string upper = base;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_THROW(CheckArchiveFolder(upper, base + "arc\\"), std::runtime_error);
    EXPECT_THROW(CheckArchiveFolder(dir / "Backup", dir / "Backup2\\"), std::runtime_error);
    // A missing folder: no test at all.
    EXPECT_NO_THROW(CheckArchiveFolder(base, base + "Missing\\"));
}

TEST(ArchiveFolders, RootFolders) {
    EXPECT_TRUE(IsRootFolder("C:\\"));
    EXPECT_TRUE(IsRootFolder("C:"));
    EXPECT_TRUE(IsRootFolder("\\\\server\\share\\"));
    EXPECT_FALSE(IsRootFolder("C:\\Backup\\"));
    EXPECT_FALSE(IsRootFolder("\\\\server\\share\\sub"));
}

TEST(ArchiveFolders, DeleteEmptiesTheBaseFolderAndMakesItAgain) {
    TempDir dir;
    const std::string base = dir / "base\\";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "backup").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(base + "backup\\a.txt", "a"));
    ASSERT_TRUE(WriteFileBytes(dir / "outside.txt", "keep"));
    DeleteBaseFolder(base, nullptr, false, false, false, false);
    EXPECT_TRUE(Exists(base));
    EXPECT_FALSE(Exists(base + "backup"));
    EXPECT_TRUE(Exists(dir / "outside.txt"));
}

TEST(ArchiveFolders, DeleteNeverHandsRootsRelativeOrWildcardPathsToTheShell) {
    // A wildcard would let the shell delete every match (no such folder exists to be asked about).
    EXPECT_TRUE(MayHandToShellForDeletion("C:\\Backup\\w1"));
    EXPECT_FALSE(MayHandToShellForDeletion("C:\\Backup\\w*"));
    EXPECT_FALSE(MayHandToShellForDeletion("C:\\Backup\\w?"));
    EXPECT_FALSE(MayHandToShellForDeletion("\\\\server\\share"));
    EXPECT_FALSE(MayHandToShellForDeletion("Backup"));

    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA((dir / "w1").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dir / "w1\\f.txt", "x"));

    // A relative base folder is not resolved against the current folder.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(dir.Path().c_str());
    DeleteBaseFolder("w1\\", nullptr, false, false, false, false);
    SetCurrentDirectoryA(cwd);
    EXPECT_TRUE(Exists(dir / "w1\\f.txt"));
}

TEST(ArchiveFolders, DeleteSeesThroughOtherSpellingsOfADriveRoot) {
    TempDir dir;
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
        for (const char* root : {"Q:\\.", "Q:\\sub\\..", "Q:\\sub/..\\", "Q:/"})
            DeleteBaseFolder(root, nullptr, false, false, false, false);
    }
    EXPECT_TRUE(Exists(dir / "f.txt"));
    EXPECT_TRUE(Exists(dir / "sub"));
}
