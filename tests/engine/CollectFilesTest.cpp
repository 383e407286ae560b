#include "CollectFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "TestSupport.h"
#include "WineVolumes.h"

using namespace ostra;
using testing_support::TempDir;
using testing_support::UnixFolderLink;
using testing_support::WriteFileBytes;

namespace {

void MakeFile(const std::string& path, DWORD attributes = 0) {
    ASSERT_TRUE(WriteFileBytes(path, path));
    if (attributes) {
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
    }
}

void MakeDir(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)) << path;
}

// The collected paths below root, root itself cut off.
TStrings Relative(const TStrings& files, const std::string& root) {
    TStrings r;
    for (const std::string& f : files) {
        EXPECT_EQ(f.compare(0, root.size(), root), 0) << f;
        r.push_back(f.substr(root.size()));
    }
    return r;
}

// Names all lower case, so that Wine's by-name enumeration order is unambiguous.
class CollectFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeFile(root / "a.txt");
        MakeFile(root / "b.doc");
        MakeFile(root / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        MakeFile(root / "system.txt", FILE_ATTRIBUTE_SYSTEM);
        MakeDir(root / "folder.txt");  // a folder whose name matches the pattern
        MakeFile(root / "folder.txt\\f.doc");
        MakeDir(root / "nomatch");  // descended into although its name does not match
        MakeFile(root / "nomatch\\g.txt");
        MakeDir(root / "sub1");
        MakeFile(root / "sub1\\c.txt");
        MakeDir(root / "sub1\\deep");
        MakeFile(root / "sub1\\deep\\d.txt");
        MakeDir(root / "sub2");
        MakeFile(root / "sub2\\e.TXT");
    }
    void TearDown() override {
        for (const char* f : {"hidden.txt", "system.txt"})
            ::SetFileAttributesA((root / f).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    TempDir root{"collect"};
};

}  // namespace

TEST_F(CollectFilesTest, SubfoldersComeDepthFirstBeforeTheFolderOwnFiles) {
    TStrings files;
    CollectFiles(root.Path(), "*.txt", files, true, false);
    const TStrings expected = {"nomatch\\g.txt", "sub1\\deep\\d.txt", "sub1\\c.txt", "sub2\\e.TXT",
                               "a.txt",          "hidden.txt",        "system.txt"};
    EXPECT_EQ(Relative(files, root.Path()), expected);

    // The folder may be given without its trailing backslash; the list is appended to.
    TStrings more = {"before"};
    const std::string noSlash = root.Path().substr(0, root.Path().size() - 1);
    CollectFiles(noSlash, "*.txt", more, true, false);
    ASSERT_EQ(more.size(), expected.size() + 1);
    EXPECT_EQ(more[0], "before");
    EXPECT_EQ(more[1], root / "nomatch\\g.txt");
}

TEST_F(CollectFilesTest, WithoutRecursionOnlyTheFolderItself) {
    TStrings files;
    CollectFiles(root.Path(), "*.txt", files, false, false);
    EXPECT_EQ(Relative(files, root.Path()), (TStrings{"a.txt", "hidden.txt", "system.txt"}));
}

TEST_F(CollectFilesTest, FoldersOnlyWhenAsked) {
    TStrings files;
    CollectFiles(root.Path(), "*", files, false, true);
    EXPECT_EQ(Relative(files, root.Path()), (TStrings{"a.txt", "b.doc", "folder.txt", "hidden.txt", "nomatch",
                                                      "sub1", "sub2", "system.txt"}));
    files.clear();
    CollectFiles(root.Path(), "*.txt", files, false, true);
    EXPECT_EQ(Relative(files, root.Path()), (TStrings{"a.txt", "folder.txt", "hidden.txt", "system.txt"}));
}

TEST_F(CollectFilesTest, NothingForMissingFoldersAndUnusablePatterns) {
    TStrings files;
    CollectFiles(root / "missing", "*.*", files, true, true);
    CollectFiles(root.Path(), "", files, true, false);
    // A pattern with a path in it would list sub1's files under the wrong folder.
    CollectFiles(root.Path(), "sub1\\*.txt", files, true, false);
    CollectFiles(root.Path(), "sub1/*.txt", files, false, false);
    EXPECT_TRUE(files.empty()) << files.front();

    // An empty folder text does not fall back on the current folder.
    char old[MAX_PATH];
    ASSERT_GT(::GetCurrentDirectoryA(MAX_PATH, old), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryA(root.Path().c_str()));
    CollectFiles("", "*.txt", files, true, false);
    ::SetCurrentDirectoryA(old);
    EXPECT_TRUE(files.empty());
}

TEST(CollectFilesLinks, LinksAreNeverDescendedInto) {
    TempDir root("collectlink");
    TempDir elsewhere("collectother");
    MakeFile(root / "top.txt");
    MakeDir(root / "sub");
    MakeFile(root / "sub\\inner.txt");
    MakeFile(elsewhere / "foreign.txt");
    const std::string other = elsewhere.Path().substr(0, elsewhere.Path().size() - 1);
    UnixFolderLink loop(root / "sub\\", "loop", "..");  // sub\loop leads back to root
    // A link to a tree outside (the relative target is resolved by the Unix side).
    UnixFolderLink away(root.Path(), "away", "../" + other.substr(other.rfind('\\') + 1));
    ASSERT_TRUE(loop.Made());
    ASSERT_TRUE(away.Made());
    ASSERT_TRUE(testing_support::Exists(root / "sub\\loop\\top.txt"));  // the loop is real
    ASSERT_TRUE(testing_support::Exists(root / "away\\foreign.txt"));

    TStrings files;
    CollectFiles(root.Path(), "*.*", files, true, false);
    EXPECT_EQ(Relative(files, root.Path()), (TStrings{"sub\\inner.txt", "top.txt"}));
}

TEST(CollectFilesLeaveOut, TheNamedFolderAndItsTreeAreLeftOut) {
    TempDir root("collectout");
    MakeFile(root / "keep.txt");
    MakeDir(root / "base");
    MakeFile(root / "base\\k.txt");
    MakeDir(root / "base\\sub");
    MakeFile(root / "base\\sub\\m.txt");
    MakeDir(root / "base2");  // shares the left-out folder's name as a prefix
    MakeFile(root / "base2\\n.txt");

    const TStrings expected = {"base2\\n.txt", "keep.txt"};
    TStrings files;
    CollectFiles(root.Path(), "*.txt", files, true, false, root / "base");
    EXPECT_EQ(Relative(files, root.Path()), expected);

    // Another spelling of the same folder: upper case, forward slashes, a trailing backslash.
    std::string spelled = root / "BASE\\";
    for (char& c : spelled)
        if (c == '\\') c = '/';
    files.clear();
    CollectFiles(root.Path(), "*.txt", files, true, false, spelled);
    EXPECT_EQ(Relative(files, root.Path()), expected);

    // Asked for the left-out folder itself, nothing is gathered; a folder inside it is gathered.
    files.clear();
    CollectFiles(root / "base", "*.txt", files, true, false, root / "base");
    EXPECT_TRUE(files.empty());
    CollectFiles(root / "base\\sub", "*.txt", files, true, false, root / "base");
    EXPECT_EQ(Relative(files, root / "base\\sub\\"), (TStrings{"m.txt"}));
}

TEST(CollectFilesLeaveOut, AnotherDriveLetterOrALinkNamesTheSameFolder) {
    TempDir root("collectid");
    MakeFile(root / "keep.txt");
    MakeDir(root / "base");
    MakeFile(root / "base\\k.txt");
    MakeDir(root / "base\\sub");
    MakeFile(root / "base\\sub\\m.txt");
    const TStrings kept = {"keep.txt"};
    TStrings files;
    {
        // root\via leads to root: root\via\base is the base folder, named through a link.
        UnixFolderLink via(root.Path(), "via", ".");
        ASSERT_TRUE(via.Made());
        CollectFiles(root.Path(), "*.txt", files, true, false, root / "via\\base");
        EXPECT_EQ(Relative(files, root.Path()), kept);
        files.clear();
        CollectFiles(root / "via\\base", "*.txt", files, true, false, root / "base");
        EXPECT_TRUE(files.empty()) << files.front();
    }
    testing_support::SecondDriveLetter drive(root.Path());
    if (!drive.Made()) GTEST_SKIP() << "no second drive letter could be made (needs Wine's dosdevices)";
    CollectFiles(root.Path(), "*.txt", files, true, false, drive.Root() + "base");
    EXPECT_EQ(Relative(files, root.Path()), kept);
    files.clear();
    CollectFiles(drive.Root(), "*.txt", files, true, false, root / "base\\");
    EXPECT_EQ(Relative(files, drive.Root()), kept);
    files.clear();
    CollectFiles(drive.Root() + "base", "*.txt", files, true, false, root / "base");
    EXPECT_TRUE(files.empty()) << files.front();
}

TEST(WalkFolder, NamesTheAnsiCallsCannotReachAreFoundAndMarked) {
    TempDir root("walknames");
    using testing_support::LongWide;
    for (const wchar_t* name : {L"resume.txt", L"r\u00e9sum\u00e9.txt", L"\U0001F600.txt", L"trail.",
                                L"blank ", L"\uD55C\uAD6D.txt"})
        ASSERT_TRUE(testing_support::WriteWideFile(LongWide(root.Path(), name), "x"));
    ASSERT_TRUE(::CreateDirectoryW(LongWide(root.Path(), L"\U0001F600dir").c_str(), nullptr));
    ASSERT_TRUE(testing_support::WriteWideFile(LongWide(root.Path(), L"\U0001F600dir\\inner.txt"), "x"));

    TFolderWalk walk;
    WalkFolder(root.Path(), "*", true, false, {}, walk);
    TStrings found;
    for (const TFoundFile& f : walk.Files)
        found.push_back(f.Name + "=" + std::to_string(static_cast<int>(f.Trouble)));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found,
              (TStrings{"?.txt=1", "??.txt=1", "blank =2", "r?sum?.txt=1", "resume.txt=0", "trail.=2"}));
    // A folder whose name has no ANSI form is reported once, not walked.
    ASSERT_EQ(walk.Unlisted.size(), 1u);
    EXPECT_EQ(walk.Unlisted[0].Item, root / "?dir");
    EXPECT_EQ(walk.Unlisted[0].Reason, TFailReason::frNoAnsiName);
}
