#include "RunRecord.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

using namespace ostra;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

SYSTEMTIME At(int hour, int minute, int second) {
    return testing_support::TimeOf(2005, 3, 2, hour, minute, second);
}

// A run that copied two files, failed one folder file and made an archive.
TRunRecord SomeRun(unsigned long pid) {
    TRunResult r;
    r.Outcome = TRunResult::roDone;
    r.FileStep.Copied = 2;
    r.FolderStep.Kept = 3;
    r.FolderStep.Fail("C:\\Data\\Mail\\inbox.mbx", TFailReason::frInUse);
    r.ArchiveStep = TRunResult::asRan;
    r.Archive.Outcome = TArchiveResult::arCreated;
    r.Archive.ArchivePath = "D:\\Arc\\2005_0302_0905.lzh";
    const TStrings lines = {"[ファイルのバックアップ]", "  memo.txt  →バックアップ", "#not a mark", ""};
    return RecordOfRun(r, lines, 2, "", At(9, 5, 0), At(9, 6, 10), pid);
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

}  // namespace

TEST(RunRecord, TheLastRunReadsBackAsItWasWritten) {
    TempDir dir("record");
    const std::string path = RunRecordPath(dir.Path());
    EXPECT_EQ(path, dir / "ostrun.log");
    TRunRecord read;
    EXPECT_FALSE(ReadLastRunRecord(path, read)) << "no file, no run";

    const TRunRecord earlier = SomeRun(11), run = SomeRun(22);
    ASSERT_TRUE(AppendRunStart(path, earlier.Start, 11));
    ASSERT_TRUE(AppendRunRecord(path, earlier));
    ASSERT_TRUE(AppendRunStart(path, run.Start, 22));
    // Another run starts while this one is under way, and is turned away first.
    ASSERT_TRUE(AppendRunStart(path, At(9, 5, 30), 33));
    ASSERT_TRUE(AppendRunRecord(path, RecordOfRun(TRunResult{}, {}, 0, "", At(9, 5, 30), At(9, 5, 31), 33)));
    ASSERT_TRUE(AppendRunRecord(path, run));

    ASSERT_TRUE(ReadLastRunRecord(path, read));
    EXPECT_EQ(read.ProcessId, 33u) << "the last run is the last to start";
    EXPECT_TRUE(read.Finished);
    EXPECT_EQ(read.ExitStatus, 0);
    EXPECT_EQ(read.Outcome, "すべて完了しました");

    // The same file without the turned-away run: the one of pid 22 in full.
    ASSERT_TRUE(WriteFileBytes(path, ""));
    ASSERT_TRUE(AppendRunStart(path, run.Start, 22));
    ASSERT_TRUE(AppendRunRecord(path, run));
    ASSERT_TRUE(ReadLastRunRecord(path, read));
    EXPECT_TRUE(read.Finished);
    EXPECT_TRUE(SameTime(read.Start, At(9, 5, 0)));
    EXPECT_TRUE(SameTime(read.End, At(9, 6, 10)));
    EXPECT_EQ(read.ExitStatus, 2);
    EXPECT_EQ(read.Files.Done, 2u);
    EXPECT_EQ(read.Folders.Done, 3u);
    EXPECT_EQ(read.Folders.Failed, 1u);
    EXPECT_EQ(read.Registry.Done, 0u);
    EXPECT_EQ(read.Archive, "2005_0302_0905.lzh");
    EXPECT_EQ(read.Outcome, "フォルダのバックアップで 1 件を行えませんでした");
    EXPECT_EQ(read.Failures, TStrings{"C:\\Data\\Mail\\inbox.mbx: 他のプログラムが使用中です"});
    EXPECT_EQ(read.Lines, run.Lines);
}

TEST(RunRecord, AHalfWrittenLineNeverBreaksTheNextReadOrWrite) {
    TempDir dir("record");
    const std::string path = RunRecordPath(dir.Path());
    const TRunRecord run = SomeRun(22);
    ASSERT_TRUE(AppendRunStart(path, run.Start, 22));
    ASSERT_TRUE(AppendRunRecord(path, run));
    // A later run ended by force in the middle of its start line, and one ended before its
    // record: the first is ignored, the second is a run without its record.
    const std::string whole = ReadFileBytes(path);
    ASSERT_TRUE(WriteFileBytes(path, whole + "#ostrun 開始 2005/03/02 10:0"));
    TRunRecord read;
    ASSERT_TRUE(ReadLastRunRecord(path, read));
    EXPECT_EQ(read.ProcessId, 22u);
    EXPECT_TRUE(read.Finished);
    ASSERT_TRUE(AppendRunStart(path, At(11, 0, 0), 44));
    ASSERT_TRUE(ReadLastRunRecord(path, read));
    EXPECT_EQ(read.ProcessId, 44u);
    EXPECT_FALSE(read.Finished);
    EXPECT_TRUE(SameTime(read.Start, At(11, 0, 0)));
    EXPECT_EQ(ReadFileBytes(path).substr(whole.size()),
              "#ostrun 開始 2005/03/02 10:0\r\n#ostrun 開始 2005/03/02 11:00:00 pid=44\r\n");
}

TEST(RunRecord, TheOldestRunsGoPastTheLimit) {
    TempDir dir("record");
    const std::string path = RunRecordPath(dir.Path());
    TRunRecord run = SomeRun(1);
    run.Lines.assign(2000, std::string(100, 'x'));  // about 200 KiB a run
    for (unsigned long pid = 1; pid <= 8; ++pid) {
        run.ProcessId = pid;
        ASSERT_TRUE(AppendRunStart(path, run.Start, pid));
        ASSERT_TRUE(AppendRunRecord(path, run));
    }
    const std::string text = ReadFileBytes(path);
    EXPECT_LE(text.size(), kRunRecordLimit);
    EXPECT_GT(text.size(), kRunRecordKeep / 2);
    EXPECT_EQ(text.rfind("#ostrun 開始 ", 0), 0u) << "the file begins with a whole run";
    EXPECT_EQ(text.find("pid=1\r\n"), std::string::npos) << "the oldest run is still there";
    TRunRecord read;
    ASSERT_TRUE(ReadLastRunRecord(path, read));
    EXPECT_EQ(read.ProcessId, 8u);
    EXPECT_EQ(read.Lines.size(), 2000u);

    // One run's lines alone are cut to their share, with a line that says so.
    run.Lines.assign(20000, std::string(100, 'y'));
    run.ProcessId = 9;
    ASSERT_TRUE(AppendRunStart(path, run.Start, 9));
    ASSERT_TRUE(AppendRunRecord(path, run));
    ASSERT_TRUE(ReadLastRunRecord(path, read));
    EXPECT_TRUE(read.Finished);
    EXPECT_LT(read.Lines.size(), 20000u);
    EXPECT_EQ(read.Lines.back().find("（ほか "), 0u);
    EXPECT_LE(ReadFileBytes(path).size(), kRunRecordLimit);
}
