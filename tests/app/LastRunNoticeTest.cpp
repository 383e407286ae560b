// The last unattended run as the window tells of it: the notice at start (once, only for a run that
// did not end cleanly, never from a damaged record) and the detail window's text on the settings page.
#include "LastRunNotice.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "FormMainFixture.h"
#include "FormPlus.h"
#include "SettingsFile.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::BoxWatchdog;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

SYSTEMTIME At(int day, int hour, int minute) {
    return testing_support::TimeOf(2024, 5, day, hour, minute);
}

// A run that ended with exitStatus (0 clean, 2 something left out, 1 an error), as ostrun records it.
TRunRecord EndedRun(int day, unsigned long pid, int exitStatus) {
    TRunRecord r;
    r.Start = At(day, 3, 0);
    r.End = At(day, 3, 7);
    r.ProcessId = pid;
    r.Finished = true;
    r.ExitStatus = exitStatus;
    r.Files = {12, exitStatus ? 1u : 0u};
    r.Archive = exitStatus ? "" : "2024_0501_0300.lzh";
    r.Outcome =
        exitStatus ? "書庫は作成していません / コピーできなかったファイル 2 件" : "すべて完了しました";
    if (exitStatus) r.Failures = {"C:\\Data\\mail.mbx: 使用中", "C:\\Data\\big.pst: 使用中"};
    r.Lines = {"[ファイルのバックアップ]", "  memo.txt  →バックアップ"};
    return r;
}

void AppendEnded(const std::string& path, const TRunRecord& r) {
    ASSERT_TRUE(AppendRunStart(path, r.Start, r.ProcessId));
    ASSERT_TRUE(AppendRunRecord(path, r));
}

// A run ended by force: its start line and nothing after it.
void AppendKilled(const std::string& path, int day, unsigned long pid) {
    ASSERT_TRUE(AppendRunStart(path, At(day, 3, 0), pid));
}

}  // namespace

class LastRunNoticeTest : public FormMainTest {
  protected:
    // The boxes the window's start showed, and whether the main window was visible behind each.
    std::vector<testing_support::ShownBox> StartAndCollect(bool* ownerShown = nullptr) {
        bool shown = true;
        BoxWatchdog ok(IDOK, 60000, [&](HWND box) {
            shown = shown && ::IsWindowVisible(::GetWindow(box, GW_OWNER));
            return true;
        });
        form = Start();
        testing_support::PumpFor(100);
        ok.Stop();
        if (ownerShown) *ownerShown = shown;
        return ok.Boxes();
    }
    void Restart() {
        ASSERT_TRUE(Close(*form));
        form.reset();
    }
    std::string Log() const { return prog + "ostrun.log"; }
    std::unique_ptr<TFormMain> form;
};

TEST(LastRunNotice, OnlyARunThatDidNotEndCleanlyAndWasNotShownNeedsANotice) {
    const TRunRecord failed = EndedRun(1, 40, 2), error = EndedRun(1, 41, 1), clean = EndedRun(1, 42, 0);
    TRunRecord killed = failed;
    killed.Finished = false;
    killed.ExitStatus = -1;
    EXPECT_TRUE(NeedsLastRunNotice(failed, "", false));
    EXPECT_TRUE(NeedsLastRunNotice(error, "", false));
    EXPECT_TRUE(NeedsLastRunNotice(killed, "", false));
    EXPECT_FALSE(NeedsLastRunNotice(clean, "", false));
    // Marked as shown: the mark is the start time and the process id.
    EXPECT_EQ(RunMark(failed), "2024/05/01 03:00:00 pid=40");
    EXPECT_FALSE(NeedsLastRunNotice(failed, "2024/05/01 03:00:00 pid=40", false));
    EXPECT_TRUE(NeedsLastRunNotice(failed, "2024/05/01 03:00:00 pid=39", false));
    EXPECT_TRUE(NeedsLastRunNotice(failed, "2024/04/30 03:00:00 pid=40", false));
    // A run with no end while a run holds the marker is that run, still under way: told later.
    EXPECT_FALSE(NeedsLastRunNotice(killed, "", true));
    EXPECT_TRUE(NeedsLastRunNotice(failed, "", true));
}

TEST(LastRunNotice, TheTextSaysWhenWhatAndWhereTheRestIs) {
    const std::string failed = LastRunNoticeText(EndedRun(1, 40, 2), "C:\\Pelmira\\ostrun.log");
    EXPECT_NE(failed.find("2024/05/01 03:00:00"), std::string::npos) << failed;
    EXPECT_NE(failed.find("終了コード 2"), std::string::npos) << failed;
    EXPECT_NE(failed.find("\r\n書庫は作成していません / コピーできなかったファイル 2 件\r\n"),
              std::string::npos)
        << failed;
    EXPECT_NE(failed.find("C:\\Data\\mail.mbx: 使用中（ほか 1 件）"), std::string::npos) << failed;
    EXPECT_EQ(failed.find("big.pst"), std::string::npos) << "one failure is quoted, the rest counted";
    EXPECT_NE(failed.find("\"C:\\Pelmira\\ostrun.log\""), std::string::npos) << failed;

    TRunRecord killed;
    killed.Start = At(2, 3, 0);
    const std::string unfinished = LastRunNoticeText(killed, "ostrun.log");
    EXPECT_NE(unfinished.find("2024/05/02 03:00:00"), std::string::npos) << unfinished;
    EXPECT_NE(unfinished.find("終了の記録がありません"), std::string::npos) << unfinished;

    // An error message of any length is cut to a line or two, never inside a character: here the
    // limit falls on the lead byte of a double-byte character.
    TRunRecord error = EndedRun(3, 40, 1);
    error.Outcome = "エラーで終わりました: ";  // 22 bytes
    error.Outcome += std::string(kNoticeQuoteLimit - 1 - error.Outcome.size(), 'x');
    for (int i = 0; i < 50; ++i) error.Outcome += "漢";
    const std::string cut = LastRunNoticeText(error, "ostrun.log");
    EXPECT_NE(cut.find("\r\n" + error.Outcome.substr(0, kNoticeQuoteLimit - 1) + "…\r\n"), std::string::npos)
        << cut;
}

TEST(LastRunNotice, TheDetailTextHoldsTheRunsLinesAndFailuresOrSaysThereIsNone) {
    TempDir dir("lastrun");
    const std::string path = dir / "ostrun.log";
    const TStrings none = LastRunDetailLines(path);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_NE(none[0].find("ありません"), std::string::npos) << none[0];
    EXPECT_NE(none[0].find(path), std::string::npos) << none[0];

    AppendEnded(path, EndedRun(1, 40, 2));
    const TStrings lines = LastRunDetailLines(path);
    auto has = [&](const std::string& s) { return std::find(lines.begin(), lines.end(), s) != lines.end(); };
    EXPECT_TRUE(has("最後の自動バックアップ（ostrun）: 2024/05/01 03:00:00 開始"));
    EXPECT_TRUE(has("終了: 2024/05/01 03:07:00、終了コード 2"));
    EXPECT_TRUE(has("結果: 書庫は作成していません / コピーできなかったファイル 2 件"));
    EXPECT_TRUE(has("ファイル登録: 12 件（失敗 1 件）"));
    EXPECT_TRUE(has("  memo.txt  →バックアップ"));
    EXPECT_TRUE(has("失敗: C:\\Data\\big.pst: 使用中"));

    AppendKilled(path, 2, 41);
    const TStrings killed = LastRunDetailLines(path);
    ASSERT_EQ(killed.size(), 2u);
    EXPECT_EQ(killed[0], "最後の自動バックアップ（ostrun）: 2024/05/02 03:00:00 開始");
}

TEST_F(LastRunNoticeTest, AFailedRunIsToldOnceAfterTheWindowIsShownAndANewerOneAgain) {
    // A configuration written before the notice existed: no mark.
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=0\r\nBaseDir=C:\\Backup\\\r\n"));
    AppendEnded(Log(), EndedRun(1, 40, 1));
    AppendEnded(Log(), EndedRun(2, 50, 2));
    bool ownerShown = false;
    auto boxes = StartAndCollect(&ownerShown);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Pelmira");
    EXPECT_FALSE(boxes[0].hasStopIcon);
    EXPECT_NE(boxes[0].text.find("2024/05/02 03:00:00"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].text.find("2024/05/01"), std::string::npos) << "only the last run is told";
    EXPECT_NE(boxes[0].text.find(Log()), std::string::npos) << boxes[0].text;
    EXPECT_TRUE(ownerShown) << "the box came before the window was on the screen";
    EXPECT_EQ(TSettingsFile(prog + "ostra.ini").ReadString("LastRun", "Shown", ""),
              "2024/05/02 03:00:00 pid=50");

    // The next start says nothing, also after the window's own closing write, in project mode
    // (a new project) and out of it.
    form->mProjectMakeClick();
    Restart();
    EXPECT_TRUE(StartAndCollect().empty());
    Restart();
    EXPECT_TRUE(StartAndCollect().empty());
    // A newer failed run is told again.
    Restart();
    AppendEnded(Log(), EndedRun(3, 60, 2));
    boxes = StartAndCollect();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("2024/05/03 03:00:00"), std::string::npos) << boxes[0].text;
}

TEST_F(LastRunNoticeTest, ACleanRunIsNeverToldAKilledOneOnce) {
    AppendEnded(Log(), EndedRun(1, 40, 2));
    AppendEnded(Log(), EndedRun(2, 50, 0));
    EXPECT_TRUE(StartAndCollect().empty()) << "the last run ended cleanly";
    Restart();
    AppendKilled(Log(), 3, 60);
    auto boxes = StartAndCollect();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("終了の記録がありません"), std::string::npos) << boxes[0].text;
    Restart();
    EXPECT_TRUE(StartAndCollect().empty());
}

TEST_F(LastRunNoticeTest, ADamagedOrUnreadableRecordShowsNothingAndTheWindowStarts) {
    std::string junk = "#ostrun 開始 20x4/05/01 03:00:00 pid=7\r\n#ostrun 開始 \r\n";
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
    ASSERT_TRUE(WriteFileBytes(Log(), junk));
    EXPECT_TRUE(StartAndCollect().empty());
    ASSERT_NE(form->Handle(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    Restart();
    // ostrun.log a folder: nothing to read.
    ASSERT_TRUE(::DeleteFileA(Log().c_str()));
    ASSERT_TRUE(::CreateDirectoryA(Log().c_str(), nullptr));
    EXPECT_TRUE(StartAndCollect().empty());
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
}

TEST_F(LastRunNoticeTest, TheDetailWindowShowsTheLastRunOnTheSettingsPage) {
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=3\r\n"));
    form = Start();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    EXPECT_TRUE(detail->Edit.Visible());
    EXPECT_NE(detail->Edit.Text().find("実行記録はありません"), std::string::npos) << detail->Edit.Text();

    {
        BoxWatchdog ok(IDOK);  // nothing is told of a run after the start
        AppendEnded(Log(), EndedRun(1, 40, 2));
        form->Pages.SetActivePageIndex(TabBackup);
        form->TabChange();
        EXPECT_EQ(detail->Edit.Text(), "");
        form->Pages.SetActivePageIndex(TabOption);
        form->TabChange();
        testing_support::PumpFor(50);
        EXPECT_TRUE(ok.Boxes().empty());
    }
    const std::string text = detail->Edit.Text();
    EXPECT_NE(text.find("2024/05/01 03:00:00 開始"), std::string::npos) << text;
    EXPECT_NE(text.find("  memo.txt  →バックアップ\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("失敗: C:\\Data\\mail.mbx: 使用中"), std::string::npos) << text;
}
