// Which names count as this program's archives, and the removal of the oldest of them.
#include "ArchivePruning.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveStep.h"
#include "TestSupport.h"
#include "TestTree.h"
#include "WineVolumes.h"

using namespace ostra;
using testing_support::MakeTree;
using testing_support::NamesOf;
using testing_support::TempDir;
using testing_support::TTree;

TEST(ArchivePruning, OnlyTheTwoArchiveNameFormsWithARealDateCount) {
    const SYSTEMTIME t = testing_support::TimeOf(2024, 2, 29, 23, 59);
    // Both forms the archive step writes, read back to the same date.
    EXPECT_EQ(ArchiveNameDate(ArchiveName(t, false)), 202402292359);
    EXPECT_EQ(ArchiveNameDate(ArchiveName(t, true)), 202402292359);
    EXPECT_EQ(ArchiveNameDate("2005_0302_0905.lzh"), 200503020905);
    for (const char* other :
         {"2024_0101_0000.lzh.bak", "2024_0101_0000.LZH", "2024_0101_0000.zip", "x2024_0101_0000.lzh",
          "2024_0101_000.lzh", "2024_01O1_0000.lzh", "2024-0101-0000.lzh", "2023_0229_0000.lzh",
          "2024_0230_0000.lzh", "2024_1301_0000.lzh", "2024_0001_0000.lzh", "2024_0101_2400.lzh",
          "2024_0101_0060.lzh", "2024年1月01日00時00分.lzh", "2024年01月01日00時00分 .lzh",
          "2024年01月01日00時00秒.lzh", "2024年13月01日00時00分.lzh", "notes.txt", ""})
        EXPECT_EQ(ArchiveNameDate(other), -1) << other;
}

TEST(ArchivePruning, KeepArchivesIsNeverNegative) {
    EXPECT_EQ(KeepArchivesOf(-3), 0);
    EXPECT_EQ(KeepArchivesOf(0), 0);
    EXPECT_EQ(KeepArchivesOf(7), 7);
    EXPECT_EQ(KeepArchivesOf(1000000), kMaxKeepArchives);
}

TEST(ArchivePruning, AnArchiveThatCannotBeRemovedIsSaidAndTheOthersStillGo) {
    TempDir dir;
    const std::string arc = dir / "arc\\";
    ASSERT_TRUE(MakeTree(dir.Path(), {"arc\\2024_0101_0000.lzh=a", "arc\\2024_0102_0000.lzh=b",
                                      "arc\\2024_0103_0000.lzh=new"}));
    // Open without leave to delete, as a viewer holds it.
    HANDLE open = CreateFileA((arc + "2024_0101_0000.lzh").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    TStrings log;
    const TPruneResult r = PruneOldArchives(arc, 1, "2024_0103_0000.lzh", false, &log);
    CloseHandle(open);
    EXPECT_EQ(r.Removed, TStrings{"2024_0102_0000.lzh"});
    ASSERT_EQ(r.NotRemoved.size(), 1u);
    EXPECT_EQ(r.NotRemoved[0].Item, "2024_0101_0000.lzh");
    EXPECT_EQ(r.NotRemoved[0].Reason, TFailReason::frInUse);
    EXPECT_EQ(log, (TStrings{"  2024_0101_0000.lzh  →古い書庫を削除できません（他のプログラムが使用中です）",
                             "  2024_0102_0000.lzh  →古い書庫を削除しました"}));
    EXPECT_EQ(NamesOf(arc), (TTree{"2024_0101_0000.lzh", "2024_0103_0000.lzh"}));
}

TEST(ArchivePruning, WithTheRecycleBinTheOldArchiveCanBeTakenBack) {
    const std::string trash = testing_support::WineTrashFiles();
    if (trash.empty()) GTEST_SKIP() << "the desktop's trash folder cannot be told";
    // A date no real archive of the machine's user has.
    const std::string old = "1999_1231_2358.lzh";
    DeleteFileA((trash + old).c_str());
    TempDir dir;
    const std::string arc = dir / "arc\\";
    ASSERT_TRUE(MakeTree(dir.Path(), {"arc\\" + old + "=old", "arc\\1999_1231_2359.lzh=new"}));
    TStrings log;
    const TPruneResult r = PruneOldArchives(arc, 1, "1999_1231_2359.lzh", true, &log);
    EXPECT_EQ(r.Removed, TStrings{old});
    EXPECT_EQ(log, TStrings{"  " + old + "  →古い書庫をごみ箱に移しました"});
    EXPECT_EQ(NamesOf(arc), TTree{"1999_1231_2359.lzh"});
    EXPECT_EQ(testing_support::ReadFileBytes(trash + old), "old") << "not in the trash";
    DeleteFileA((trash + old).c_str());
    DeleteFileA((trash + "..\\info\\" + old + ".trashinfo").c_str());
}
