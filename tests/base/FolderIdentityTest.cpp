#include "FolderIdentity.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TestTree.h"
#include "WideText.h"
#include "WineVolumes.h"

using namespace ostra;
using testing_support::MakeTree;
using testing_support::SecondDriveLetter;
using testing_support::TempDir;
using testing_support::UnixFolderLink;

namespace {

class FolderIdentityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            MakeTree(dir.Path(), {"base\\copies\\", "base\\memo.txt=m", "base2\\x.txt=x", "other\\"}));
    }
    TempDir dir{"ident"};
};

}  // namespace

TEST_F(FolderIdentityTest, TheTextRuleComesFirstAndSeesSpellings) {
    const std::string base = dir / "base";
    EXPECT_TRUE(IsSameOrInsideFolder(dir / "BASE\\memo.txt", base));
    EXPECT_TRUE(IsSameOrInsideFolder(dir / "other\\..\\base/copies", base + "\\"));
    EXPECT_TRUE(IsSameOrInsideFolder(dir / "base\\not-there-yet\\a.txt", base));
    EXPECT_FALSE(IsSameOrInsideFolder(dir / "base2\\x.txt", base));
    EXPECT_FALSE(IsSameOrInsideFolder(dir / "other", base));
    EXPECT_FALSE(IsSameOrInsideFolder(dir.Path(), base));
    EXPECT_FALSE(IsSameOrInsideFolder("", base));
}

TEST_F(FolderIdentityTest, ASecondDriveLetterForTheSamePlaceIsSeenThrough) {
    SecondDriveLetter drive(dir.Path());
    if (!drive.Made()) GTEST_SKIP() << "no second drive letter could be made (needs Wine's dosdevices)";
    const std::string base = dir / "base";
    // Either spelling, on either side; the text of the two paths has nothing in common.
    EXPECT_TRUE(IsSameOrInsideFolder(drive.Root() + "base\\memo.txt", base));
    EXPECT_TRUE(IsSameOrInsideFolder(drive.Root() + "base\\copies", base));
    EXPECT_TRUE(IsSameOrInsideFolder(base + "\\memo.txt", drive.Root() + "base"));
    EXPECT_TRUE(IsSameOrInsideFolder(drive.Root() + "base\\gone\\later.txt", base));
    EXPECT_FALSE(IsSameOrInsideFolder(drive.Root() + "base2\\x.txt", base));
    EXPECT_FALSE(IsSameOrInsideFolder(drive.Root() + "other", base));
    EXPECT_TRUE(SameFile(IdentityOf(drive.Root() + "base"), IdentityOf(base)));
    EXPECT_FALSE(SameFile(IdentityOf(drive.Root() + "base2"), IdentityOf(base)));
}

TEST_F(FolderIdentityTest, ALinkOnTheWayIsSeenThrough) {
    UnixFolderLink link(dir / "other\\", "to-base", "../base");
    ASSERT_TRUE(link.Made());
    const std::string base = dir / "base";
    EXPECT_TRUE(IsSameOrInsideFolder(dir / "other\\to-base\\memo.txt", base));
    EXPECT_TRUE(IsSameOrInsideFolder(base + "\\copies", dir / "other\\to-base"));
    // Many paths against one folder: the answers for folders on the way are kept, not guessed.
    TInsideTest inside(base);
    EXPECT_TRUE(inside.Holds(dir / "other\\to-base\\copies\\a"));
    EXPECT_FALSE(inside.Holds(dir / "other\\b"));
    EXPECT_TRUE(inside.Holds(dir / "other\\to-base\\c"));
    EXPECT_FALSE(inside.Holds(dir / "base2\\x.txt"));
}

TEST(WideText, ReadableFormsNeverBorrowALookAlike) {
    EXPECT_EQ(ReadableAnsi(L"r\u00e9sum\u00e9.txt"), "r?sum?.txt");
    EXPECT_EQ(ReadableAnsi(L"\U0001F600.txt"), "?.txt");  // one character, one '?'
    EXPECT_EQ(ReadableAnsi(L"\uD55C\uAD6D.txt"), "??.txt");
    EXPECT_EQ(ReadableAnsi(L"表計算.xls"), "表計算.xls");
    EXPECT_EQ(LongPathForm(L"C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(LongPathForm(L"\\\\srv\\share\\a"), L"\\\\?\\UNC\\srv\\share\\a");
    EXPECT_EQ(LongWidePath("C:/a/./b/../c"), L"\\\\?\\C:\\a\\c");
}
