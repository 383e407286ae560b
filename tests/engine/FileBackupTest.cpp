#include "FileBackup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "BackupCopy.h"
#include "FileStamp.h"
#include "StepReport.h"
#include "TestSupport.h"
#include "TestTree.h"
#include "WineVolumes.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::SetLocalWriteTime;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using testing_support::WriteTime;

namespace {

class FileBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA((dir / "src").c_str(), nullptr);
        CreateDirectoryA((dir / "src\\other").c_str(), nullptr);
        CreateDirectoryA((dir / "base").c_str(), nullptr);
    }
    std::string Src(const std::string& name, const std::string& content) {
        std::string p = dir / ("src\\" + name);
        EXPECT_TRUE(WriteFileBytes(p, content));
        return p;
    }
    std::string Dest() { return dir / "base\\backup"; }
    TempDir dir;
    TStrings log;
};

}  // namespace

TEST_F(FileBackupTest, CopiesFlatWithTheSourceTimeAndLogsEachFile) {
    std::string memo = Src("memo.txt", "hello");
    std::string jp = Src("表計算.xls", "jp");
    ASSERT_TRUE(SetLocalWriteTime(memo, 2005, 1, 1, 9, 30, 0));
    BackupFiles(Dest(), {memo, jp}, &log, false, nullptr);
    EXPECT_EQ(ReadFileBytes(Dest() + "\\memo.txt"), "hello");
    EXPECT_EQ(ReadFileBytes(Dest() + "\\表計算.xls"), "jp");
    EXPECT_EQ(WriteTime(Dest() + "\\memo.txt"), WriteTime(memo));
    EXPECT_EQ(log, (TStrings{"[ファイルのバックアップ]", "  memo.txt  →バックアップ",
                             "  表計算.xls  →バックアップ", ""}));
}

TEST_F(FileBackupTest, TimestampOptionCopiesOnlyNewerSources) {
    std::string memo = Src("memo.txt", "v1");
    ASSERT_TRUE(SetLocalWriteTime(memo, 2020, 5, 1, 12, 0, 0));
    BackupFiles(Dest(), {memo}, &log, true, nullptr);
    // A second run right after copies nothing.
    log.clear();
    BackupFiles(Dest(), {memo}, &log, true, nullptr);
    EXPECT_EQ(log, (TStrings{"[ファイルのバックアップ]", "  memo.txt  →そのまま", ""}));

    // An older source does not replace the copy; a newer one does.
    ASSERT_TRUE(WriteFileBytes(memo, "old"));
    ASSERT_TRUE(SetLocalWriteTime(memo, 2019, 1, 1, 0, 0, 0));
    BackupFiles(Dest(), {memo}, nullptr, true, nullptr);
    EXPECT_EQ(ReadFileBytes(Dest() + "\\memo.txt"), "v1");
    ASSERT_TRUE(WriteFileBytes(memo, "v2"));
    ASSERT_TRUE(SetLocalWriteTime(memo, 2020, 5, 1, 12, 0, 2));
    BackupFiles(Dest(), {memo}, nullptr, true, nullptr);
    EXPECT_EQ(ReadFileBytes(Dest() + "\\memo.txt"), "v2");

    // With the option off an older source replaces the copy all the same.
    ASSERT_TRUE(WriteFileBytes(memo, "v0"));
    ASSERT_TRUE(SetLocalWriteTime(memo, 2001, 1, 1, 0, 0, 0));
    BackupFiles(Dest(), {memo}, nullptr, false, nullptr);
    EXPECT_EQ(ReadFileBytes(Dest() + "\\memo.txt"), "v0");
}

TEST_F(FileBackupTest, AnEmptyCopyOfAFileThatIsNotEmptyIsMadeAgainWhateverItsTime) {
    std::string memo = Src("memo.txt", "memo");
    ASSERT_TRUE(SetLocalWriteTime(memo, 2020, 5, 1, 12, 0, 0));
    ASSERT_TRUE(CreateDirectoryA(Dest().c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(Dest() + "\\memo.txt", ""));  // made later than its source
    BackupFiles(Dest(), {memo}, &log, true, nullptr);
    EXPECT_EQ(log[1], "  memo.txt  →バックアップ");
    EXPECT_EQ(ReadFileBytes(Dest() + "\\memo.txt"), "memo");
    // An empty source has an empty copy that is as new as it.
    std::string empty = Src("empty.txt", "");
    BackupFiles(Dest(), {empty}, nullptr, true, nullptr);
    log.clear();
    BackupFiles(Dest(), {empty}, &log, true, nullptr);
    EXPECT_EQ(log[1], "  empty.txt  →そのまま");
}

TEST_F(FileBackupTest, TimesWithinTwoSecondsCountAsEqual) {
    std::string memo = Src("memo.txt", "v1");
    ASSERT_TRUE(SetLocalWriteTime(memo, 2020, 5, 1, 12, 0, 0));
    BackupFiles(Dest(), {memo}, nullptr, true, nullptr);
    ASSERT_TRUE(WriteFileBytes(memo, "v2"));
    ASSERT_TRUE(SetLocalWriteTime(memo, 2020, 5, 1, 12, 0, 1, 900));
    BackupFiles(Dest(), {memo}, &log, true, nullptr);
    EXPECT_EQ(log[1], "  memo.txt  →そのまま");
    EXPECT_EQ(ReadFileBytes(Dest() + "\\memo.txt"), "v1");
}

TEST_F(FileBackupTest, DatesOutsideThePackedRangeStillOrder) {
    // 1979 cannot be packed at all, and from 2044 on the packed value is negative.
    for (int year : {1979, 2050}) {
        const std::string name = std::string("y").append(std::to_string(year)).append(".txt");
        std::string f = Src(name, "new");
        std::string copy = Dest() + "\\" + name;
        CreateDirectoryA(Dest().c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(copy, "old"));
        ASSERT_TRUE(SetLocalWriteTime(copy, year - 1, 6, 1, 0, 0, 0));
        ASSERT_TRUE(SetLocalWriteTime(f, year, 6, 1, 0, 0, 0));
        BackupFiles(Dest(), {f}, nullptr, true, nullptr);
        EXPECT_EQ(ReadFileBytes(copy), "new") << year;
        // ...and the copy, now as new as its source, is kept the next time.
        log.clear();
        BackupFiles(Dest(), {f}, &log, true, nullptr);
        EXPECT_EQ(log[1], "  " + name + "  →そのまま");
    }
    ASSERT_TRUE(SetLocalWriteTime(dir / "src\\y1979.txt", 1979, 6, 1, 0, 0, 0));
    EXPECT_EQ(FileStamp(dir / "src\\y1979.txt"), -1);
}

TEST_F(FileBackupTest, PackedStampOfAFile) {
    std::string f = Src("s.txt", "x");
    ASSERT_TRUE(SetLocalWriteTime(f, 2005, 3, 2, 9, 5, 7));
    const int32_t expected = ((2005 - 1980) << 25) | (3 << 21) | (2 << 16) | (9 << 11) | (5 << 5) | (7 / 2);
    EXPECT_EQ(FileStamp(f), expected);
    EXPECT_EQ(FileStamp(dir / "src"), -1);
    EXPECT_EQ(FileStamp(dir / "nothing"), -1);
}

TEST_F(FileBackupTest, SameNameFromTwoFoldersLaterReplacesEarlier) {
    std::string a = Src("same.txt", "first");
    std::string b = Src("other\\same.txt", "second");
    BackupFiles(Dest(), {a, b}, &log, false, nullptr);
    EXPECT_EQ(ReadFileBytes(Dest() + "\\same.txt"), "second");

    // With the option on, the later one is copied only when newer than what the earlier left.
    ASSERT_TRUE(SetLocalWriteTime(a, 2020, 1, 1, 0, 0, 0));
    ASSERT_TRUE(SetLocalWriteTime(b, 2010, 1, 1, 0, 0, 0));
    BackupFiles(Dest(), {a, b}, nullptr, false, nullptr);
    ASSERT_TRUE(WriteFileBytes(a, "first2"));
    ASSERT_TRUE(SetLocalWriteTime(a, 2021, 1, 1, 0, 0, 0));
    log.clear();
    BackupFiles(Dest(), {a, b}, &log, true, nullptr);
    EXPECT_EQ(ReadFileBytes(Dest() + "\\same.txt"), "first2");
    EXPECT_EQ(log, (TStrings{"[ファイルのバックアップ]", "  same.txt  →バックアップ", "  same.txt  →そのまま",
                             ""}));
}

TEST_F(FileBackupTest, MissingFilesAndFoldersAreSkippedSilently) {
    std::string memo = Src("memo.txt", "m");
    const TStepReport report =
        BackupFiles(Dest(), {dir / "src\\gone.txt", dir / "src\\other", memo}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{"[ファイルのバックアップ]", "  memo.txt  →バックアップ", ""}));
    EXPECT_EQ(report.Missing, 2u);
    EXPECT_EQ(report.Copied, 1u);
    EXPECT_TRUE(report.Failed.empty());
    EXPECT_FALSE(Exists(Dest() + "\\other"));
}

TEST_F(FileBackupTest, EmptyListMakesTheFolderAndTwoLines) {
    BackupFiles(Dest(), {}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{"[ファイルのバックアップ]", ""}));
    EXPECT_TRUE(Exists(Dest()));
}

TEST_F(FileBackupTest, StopBeforeFirstEntryLeavesOnlyTheHeader) {
    std::string memo = Src("memo.txt", "m");
    int calls = 0;
    BackupFiles(Dest(), {memo, memo}, &log, false, [&](bool& stop) {
        ++calls;
        stop = true;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(log, TStrings{"[ファイルのバックアップ]"});
    EXPECT_TRUE(Exists(Dest()));
    EXPECT_FALSE(Exists(Dest() + "\\memo.txt"));
}

TEST_F(FileBackupTest, StopCallbackIsAskedBeforeEveryEntry) {
    std::string a = Src("a.txt", "a"), b = Src("b.txt", "b"), c = Src("c.txt", "c");
    int calls = 0;
    BackupFiles(Dest(), {a, b, c}, &log, false, [&](bool& stop) { stop = ++calls == 3; });
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(log,
              (TStrings{"[ファイルのバックアップ]", "  a.txt  →バックアップ", "  b.txt  →バックアップ"}));
    EXPECT_FALSE(Exists(Dest() + "\\c.txt"));
}

TEST_F(FileBackupTest, LockedSourceIsLoggedAsFailedAndTheRunGoesOn) {
    std::string locked = Src("locked.txt", "secret");
    std::string next = Src("next.txt", "n");
    HANDLE h =
        CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const TStepReport report = BackupFiles(Dest(), {locked, next}, &log, false, nullptr);
    CloseHandle(h);
    EXPECT_EQ(report.Copied, 1u);
    ASSERT_EQ(report.Failed.size(), 1u);
    EXPECT_EQ(report.Failed[0].Item, locked);
    EXPECT_EQ(report.Failed[0].Reason, TFailReason::frInUse);
    EXPECT_EQ(log,
              (TStrings{"[ファイルのバックアップ]", "  locked.txt  →コピー失敗（他のプログラムが使用中です）",
                        "  next.txt  →バックアップ", ""}));
    EXPECT_EQ(ReadFileBytes(Dest() + "\\next.txt"), "n");
}

TEST_F(FileBackupTest, ReadOnlyCopyIsReplacedOnTheNextRun) {
    std::string ro = Src("ro.txt", "v1");
    ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
    BackupFiles(Dest(), {ro}, nullptr, false, nullptr);
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteFileBytes(ro, "v2"));
    ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
    BackupFiles(Dest(), {ro}, &log, false, nullptr);
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(log[1], "  ro.txt  →バックアップ");
    EXPECT_EQ(ReadFileBytes(Dest() + "\\ro.txt"), "v2");
}

TEST_F(FileBackupTest, AFailedCopyLeavesTheOldCopyAndItsAttributesAsTheyWere) {
    std::string locked = Src("locked.txt", "new");
    const std::string old = Dest() + "\\locked.txt";
    ASSERT_TRUE(CreateDirectoryA(Dest().c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(old, "old copy"));
    const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), attributes));
    HANDLE h =
        CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BackupFiles(Dest(), {locked}, &log, false, nullptr);
    CloseHandle(h);
    EXPECT_EQ(log[1], "  locked.txt  →コピー失敗（他のプログラムが使用中です）");
    EXPECT_EQ(GetFileAttributesA(old.c_str()) & attributes, attributes);
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(old), "old copy");
}

TEST_F(FileBackupTest, RelativeAndEmptyEntriesAreSkippedLikeMissingFiles) {
    Src("memo.txt", "memo");
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    // From the folder that holds memo.txt, "memo.txt" and "..\src\memo.txt" would find it.
    SetCurrentDirectoryA((dir / "src").c_str());
    BackupFiles(Dest(), {"memo.txt", "..\\src\\memo.txt", "", "\\memo.txt"}, &log, false, nullptr);
    SetCurrentDirectoryA(cwd);
    EXPECT_EQ(log, (TStrings{"[ファイルのバックアップ]", ""}));
    EXPECT_FALSE(Exists(Dest() + "\\memo.txt"));
}

TEST_F(FileBackupTest, ForwardSlashesAndPathsPastMaxPath) {
    // A registered file and a base folder deep enough that both paths are longer than MAX_PATH
    // (under Wine only the source side of an ANSI call is held to it).
    std::string deep = dir / "src", deepBase = dir / "base";
    while (deep.size() < 280) {
        deep += "\\abcdefghijklmnopqrstuvwxyz";
        deepBase += "\\abcdefghijklmnopqrstuvwxyz";
    }
    ASSERT_TRUE(testing_support::MakeWideFolders(testing_support::LongWide(deep)));
    ASSERT_TRUE(testing_support::MakeWideFolders(testing_support::LongWide(deepBase)));
    ASSERT_TRUE(testing_support::WriteWideFile(testing_support::LongWide(deep + "\\memo.txt"), "memo"));
    std::string memo = deep + "\\memo.txt";
    for (char& c : memo)
        if (c == '\\') c = '/';
    const TStepReport report = BackupFiles(deepBase + "\\backup", {memo}, &log, false, nullptr);
    EXPECT_EQ(log[1], "  memo.txt  →バックアップ");
    EXPECT_EQ(report.Copied, 1u);
    EXPECT_EQ(testing_support::ReadWideFile(testing_support::LongWide(deepBase + "\\backup\\memo.txt")),
              "memo");
}

TEST_F(FileBackupTest, ANameEndingInADotIsRefusedNotTakenForAnother) {
    // "memo." would be read as "memo" by every call that takes the path as a user's.
    Src("memo", "another file");
    const TStepReport report = BackupFiles(Dest(), {dir / "src\\memo."}, &log, false, nullptr);
    EXPECT_EQ(log[1], "  memo.  →コピー失敗（名前の末尾が点または空白です）");
    ASSERT_EQ(report.Failed.size(), 1u);
    EXPECT_EQ(report.Failed[0].Reason, TFailReason::frTrailingDotOrBlank);
    EXPECT_FALSE(Exists(Dest() + "\\memo"));
}

// A copy that the disk cannot hold is cut short: whether an old copy was there or not, nothing
// under the final name is left cut, the old copy keeps its data and time, and no part stays.
TEST_F(FileBackupTest, ACopyCutShortByAFullDiskNeverTakesTheFinalName) {
    CreateDirectoryA((dir / "small").c_str(), nullptr);
    testing_support::SmallVolume volume(dir / "small\\", 1 << 20);
    if (!volume.Made()) GTEST_SKIP() << "no small volume could be mounted (needs root and /usr/bin/mount)";
    const std::string dest = dir / "small\\backup";
    ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dest + "\\big.bin", "old copy"));
    ASSERT_TRUE(SetLocalWriteTime(dest + "\\big.bin", 2001, 2, 3, 4, 5, 6));
    const uint64_t oldTime = WriteTime(dest + "\\big.bin");
    const std::string big = Src("big.bin", std::string(3 << 20, 'b'));
    const std::string fresh = Src("fresh.bin", std::string(3 << 20, 'f'));

    // With the time-stamp option the old copy is known to be there; without it, found there.
    for (const bool timestamp : {true, false}) {
        log.clear();
        const TStepReport report = BackupFiles(dest, {big, fresh}, &log, timestamp, nullptr);
        EXPECT_EQ(
            log, (TStrings{"[ファイルのバックアップ]", "  big.bin  →コピー失敗（ディスクの空きが足りません）",
                           "  fresh.bin  →コピー失敗（ディスクの空きが足りません）", ""}));
        ASSERT_EQ(report.Failed.size(), 2u);
        EXPECT_EQ(report.Failed[1].Reason, TFailReason::frDiskFull);
        EXPECT_EQ(ReadFileBytes(dest + "\\big.bin"), "old copy") << timestamp;
        EXPECT_EQ(WriteTime(dest + "\\big.bin"), oldTime);
        EXPECT_FALSE(Exists(dest + "\\fresh.bin"));
    }
    EXPECT_EQ(testing_support::TreeOf(dest + "\\"), (testing_support::TTree{"big.bin=old copy"}));
}

// The route of sources with named streams (Wine has no volume with them, so it is called here).
TEST_F(FileBackupTest, TheStreamRouteReplacesAnOldCopyOnlyWhenWhole) {
    using testing_support::LongWide;
    const std::string src = Src("s.txt", "new"), old = dir / "base\\s.txt";
    ASSERT_TRUE(WriteFileBytes(old, "old"));
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE held = CreateFileA(src.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const TCopyResult refused = CopyWithStreams(LongWide(src), LongWide(old));
    CloseHandle(held);
    EXPECT_EQ(refused.Outcome, TCopyOutcome::coFailed);
    EXPECT_EQ(refused.Reason, TFailReason::frInUse);
    EXPECT_EQ(ReadFileBytes(old), "old");
    EXPECT_EQ(CopyWithStreams(LongWide(src), LongWide(old)).Outcome, TCopyOutcome::coCopied);
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(old), "new");
    EXPECT_FALSE(Exists(old + ".~pelmira-copy"));

    // A copier told that every volume has streams asks the file, and copies it all the same.
    TCopier copier([](const std::string&, DWORD& flags) {
        flags = arc::kNamedStreamsFlag;
        return true;
    });
    ASSERT_TRUE(WriteFileBytes(src, "newer"));
    EXPECT_EQ(copier.Copy(testing_support::Wide(src), testing_support::Wide(old), false).Outcome,
              TCopyOutcome::coCopied);
    EXPECT_EQ(ReadFileBytes(old), "newer");
}
