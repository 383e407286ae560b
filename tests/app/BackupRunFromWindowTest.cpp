// The backup run from the main window: the folder checks and their boxes, the log in the detail
// window, the stop button, and what the window refuses while a run reads its lists.
#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveListing.h"
#include "BackupCopy.h"
#include "FormMainFixture.h"
#include "WindowRun.h"
#include "ostra_consts.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::ArchiveListing;
using testing_support::BoxWatchdog;
using testing_support::Exists;
using testing_support::WriteFileBytes;

namespace {

class WindowRunTest : public FormMainTest {
  protected:
    void SetUp() override {
        FormMainTest::SetUp();
        for (const std::string& d : {src, base, arc}) ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr));
        for (const char* f : {"1.txt", "2.txt", "3.txt", "f.txt"})
            ASSERT_TRUE(WriteFileBytes(src + "\\" + f, f));
    }
    // The form with three registered files and one folder (src, title "t", only f.txt), the base
    // folder typed without its backslash.
    std::unique_ptr<TFormMain> StartWithLists() {
        auto form = Start();
        form->ListFiles.SetItems({src + "\\1.txt", src + "\\2.txt", src + "\\3.txt"});
        form->FolderEntries.Assign({src + ",t,f.txt,0"});
        form->EditBaseDir.SetText(base);
        form->EditArcDir.SetText(arc);
        return form;
    }
    static std::string Copied(const std::string& name) { return CopyLogLine(name, TCopyOutcome::coCopied); }
    std::string src = dir / "src", base = dir / "base", arc = dir / "arc";
};

TEST_F(WindowRunTest, ARunWritesTheLogOfTheStepsInOrderAndLocksTheListsMeanwhile) {
    auto form = StartWithLists();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    detail->Edit.SetLines({"old"});
    // What the window does while the run reads its lists, at the first stop check.
    form->OpenFiles = [&](HWND, const widgets::TOpenFileRequest&) { return TStrings{src + "\\f.txt"}; };
    int checks = 0;
    bool stopLookRunning = false, listsDisabled = false;
    BoxWatchdog ok(IDOK);
    form->OnStopCheck = [&] {
        if (checks++) return;
        stopLookRunning = form->tb97Main.ButtonEnabled(tbStopId) &&
                          form->tb97Main.ButtonCaption(tbStopId) == "バックアップ中止" &&
                          form->tb97Main.ButtonWidth(tbStopId) == 120;
        listsDisabled =
            !::IsWindowEnabled(form->ListFiles.Handle()) && !::IsWindowEnabled(form->ListFol.Handle());
        Command(*form, cmAddFile);
        testing_support::DropFiles(form->Handle(), {src + "\\f.txt"});
        Command(*form, cmProjectMake);                     // would empty the lists
        Command(*form, cmReadini);                         // would read them anew
        Command(*form, cmBackup);                          // refused with a notice
        ::SendMessageA(detail->Handle(), WM_CLOSE, 0, 0);  // refused: the window is the log
        ClickToolButton(*form, tbDetailId);                // likewise
    };
    Command(*form, cmBackup);
    ok.Stop();
    EXPECT_EQ(form->EditBaseDir.Text(), base + "\\");
    EXPECT_EQ(detail->Edit.Lines(),
              (TStrings{"バックアップファイル一覧", "", kLogFileHeader, Copied("1.txt"), Copied("2.txt"),
                        Copied("3.txt"), "", kLogFolderHeader, std::string("@t") + kLogFolderBusy,
                        Copied("f.txt"), "", kLogRegistryHeader, "", "", "", "バックアップ終了"}));
    EXPECT_TRUE(Exists(base + "\\backup\\3.txt"));
    EXPECT_TRUE(Exists(base + "\\t\\f.txt"));
    EXPECT_TRUE(stopLookRunning);
    EXPECT_TRUE(listsDisabled);
    EXPECT_EQ(form->ListFiles.Count(), 3);
    EXPECT_EQ(form->DetailForm(), detail);
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, kRunUnderWay);
    // Idle again: the stop button in its idle look, the lists free.
    EXPECT_FALSE(form->tb97Main.ButtonEnabled(tbStopId));
    EXPECT_EQ(form->tb97Main.ButtonCaption(tbStopId), "");
    EXPECT_EQ(form->tb97Main.ButtonWidth(tbStopId), 23);
    EXPECT_TRUE(::IsWindowEnabled(form->ListFiles.Handle()));
    EXPECT_FALSE(form->Running());
}

TEST_F(WindowRunTest, AStopInTheFileStepEndsTheCopiesAndTheArchiveHoldsThePartialCopy) {
    auto form = StartWithLists();
    form->CheckArchive.SetChecked(true);
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    int checks = 0;
    form->OnStopCheck = [&] {
        if (++checks == 2) ClickToolButton(*form, tbStopId);  // before the second file
    };
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, "バックアップ処理を中止しました。");
    EXPECT_FALSE(ok.Boxes()[0].hasStopIcon);
    const TStrings log = detail->Edit.Lines();
    ASSERT_GE(log.size(), 12u);
    EXPECT_EQ(TStrings(log.begin(), log.begin() + 4),
              (TStrings{"バックアップファイル一覧", "", kLogFileHeader, Copied("1.txt")}));
    EXPECT_EQ(TStrings(log.end() - 6, log.end()),
              (TStrings{"", "---------", "バックアップ処理を中止しました。", "", "", "バックアップ終了"}));
    EXPECT_FALSE(Exists(base + "\\backup\\2.txt"));
    EXPECT_FALSE(Exists(base + "\\t"));
    // The archive of what was copied, listed on the archive page.
    ASSERT_EQ(form->ListView.Count(), 1);
    const TStrings entries = ArchiveListing(arc + "\\" + form->ListView.Caption(0));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].rfind("backup\\1.txt ", 0), 0u) << entries[0];
}

TEST_F(WindowRunTest, MissingFoldersAndAnotherRunAreRefusedBeforeAnythingIsCopied) {
    auto form = StartWithLists();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    detail->Edit.SetLines({"kept"});
    BoxWatchdog ok(IDOK);
    form->EditBaseDir.SetText("");  // never set: the setting is named
    Command(*form, cmBackup);
    form->EditBaseDir.SetText(dir / "none");
    Command(*form, cmBackup);
    EXPECT_EQ(detail->Edit.Lines(), (TStrings{"kept"}));  // the log is left alone
    EXPECT_EQ(form->EditBaseDir.Text(), dir / "none\\");
    form->EditBaseDir.SetText(base);
    form->EditArcDir.SetText(dir / "noarc");
    Command(*form, cmBackup);  // compression off: the archive folder plays no part
    form->CheckArchive.SetChecked(true);
    testing_support::RemoveTree(base + "\\backup");
    testing_support::RemoveTree(base + "\\t");
    form->EditArcDir.SetText("");
    Command(*form, cmBackup);
    form->EditArcDir.SetText(dir / "noarc");
    Command(*form, cmBackup);
    form->EditArcDir.SetText(base + "\\arc");
    ASSERT_TRUE(CreateDirectoryA((base + "\\arc").c_str(), nullptr));
    Command(*form, cmBackup);
    form->CheckArchive.SetChecked(false);
    const TStrings before = detail->Edit.Lines();
    HANDLE other = ::CreateMutexA(nullptr, FALSE, kRunMarkerName);  // a run of ostrun
    Command(*form, cmBackup);
    ::CloseHandle(other);
    EXPECT_EQ(detail->Edit.Lines(), before);
    ok.Stop();
    const auto boxes = ok.Boxes();
    ASSERT_EQ(boxes.size(), 6u);
    for (const auto& b : boxes) EXPECT_TRUE(b.hasStopIcon) << b.text;
    EXPECT_EQ(boxes[0].text, "基準（バックアップ先）フォルダが設定されていません.");
    EXPECT_EQ(boxes[1].text, "基準(バックアップ先)フォルダ\"" + dir / "none\\" + "\"が存在しません.");
    EXPECT_EQ(boxes[2].text, "圧縮ファイル保存先フォルダが設定されていません.");
    EXPECT_EQ(boxes[3].text, "圧縮先フォルダ\"" + dir / "noarc\\" + "\"が存在しません.");
    EXPECT_EQ(boxes[4].text.rfind("圧縮先フォルダが基準フォルダと同フォルダ", 0), 0u) << boxes[4].text;
    EXPECT_EQ(boxes[5].text, std::string(kAnotherRun) + ".");
    EXPECT_FALSE(Exists(base + "\\backup"));  // only the second command ran
    EXPECT_FALSE(form->tb97Main.ButtonEnabled(tbStopId));
}

TEST_F(WindowRunTest, TheBaseFolderIsEmptiedAfterTheArchiveOnlyWhenNothingButCopiesLiesInIt) {
    ASSERT_TRUE(WriteFileBytes(base + "\\own.txt", "an original kept in the base folder"));
    auto form = StartWithLists();
    form->ListFiles.Add(base + "\\own.txt");
    form->CheckArchive.SetChecked(true);
    form->CheckDeleteFiles.SetChecked(true);
    for (widgets::TCheckBox* c : {&form->chkDelConfirm, &form->chkDelShowDialog, &form->chkDelUseRecycleBin})
        c->SetChecked(false);
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    ASSERT_TRUE(ok.WaitForBoxes(1));
    EXPECT_EQ(ok.Boxes()[0].text.find("基準フォルダ内のファイルは削除しませんでした") != std::string::npos,
              true)
        << ok.Boxes()[0].text;
    EXPECT_TRUE(Exists(base + "\\own.txt"));
    EXPECT_TRUE(Exists(base + "\\backup\\1.txt"));
    // Without the original inside: archived, then emptied, and nothing to report.
    form->ListFiles.Delete(3);
    Command(*form, cmBackup);
    ok.Stop();
    EXPECT_EQ(ok.Boxes().size(), 1u);
    EXPECT_FALSE(Exists(base + "\\backup"));
    EXPECT_FALSE(Exists(base + "\\own.txt"));  // packed with the copies, then emptied
    EXPECT_TRUE(Exists(base));
    EXPECT_GE(form->ListView.Count(), 1);
}

TEST_F(WindowRunTest, OldArchivesBeyondTheNumberToKeepGoAndTheArchiveListShowsWhatIsLeft) {
    ASSERT_TRUE(WriteFileBytes(arc + "\\2000_0101_0000.lzh", "old"));
    auto form = StartWithLists();
    form->CheckArchive.SetChecked(true);
    form->chkDelUseRecycleBin.SetChecked(false);
    form->EditKeepArchives.SetValue(1);
    Command(*form, cmBackup);
    EXPECT_FALSE(Exists(arc + "\\2000_0101_0000.lzh"));
    // The list was filled when the archive was made, and again once the old one had gone.
    ASSERT_EQ(form->ListView.Count(), 1);
    EXPECT_NE(form->ListView.Caption(0), "2000_0101_0000.lzh");
}

TEST_F(WindowRunTest, AnArchiveFolderOnlyTheRunFindsInsideTheBaseIsToldInABoxAndTheLog) {
    // The window's own check passes; while the copies are made, the archive folder becomes a link
    // to the base folder, which only the run's archive step can find.
    auto form = StartWithLists();
    form->CheckArchive.SetChecked(true);
    // Another spelling of the base folder ("base\.") is found before the run: a stop box, no copy.
    ASSERT_TRUE(CreateDirectoryA((base + "\\arc").c_str(), nullptr));
    form->EditBaseDir.SetText(base + "\\.");
    form->EditArcDir.SetText(base + "\\arc");
    {
        BoxWatchdog refused(IDOK);
        Command(*form, cmBackup);
        refused.Stop();
        ASSERT_EQ(refused.Boxes().size(), 1u);
        EXPECT_TRUE(refused.Boxes()[0].hasStopIcon);
        EXPECT_FALSE(Exists(base + "\\backup"));
    }
    form->EditBaseDir.SetText(base);
    form->EditArcDir.SetText(arc);
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    std::unique_ptr<testing_support::UnixFolderLink> link;
    form->OnStopCheck = [&] {
        if (link) return;
        ::RemoveDirectoryA(arc.c_str());
        link = std::make_unique<testing_support::UnixFolderLink>(dir.Path(), "arc", "base");
    };
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    ok.Stop();
    ASSERT_TRUE(link && link->Made());
    const std::string notice =
        "圧縮先フォルダが基準フォルダの中にあるため、書庫は作成しませんでした（コピーは済んでいます）";
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, notice);
    EXPECT_FALSE(ok.Boxes()[0].hasStopIcon);
    const TStrings log = detail->Edit.Lines();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(TStrings(log.end() - 4, log.end()), (TStrings{notice, "", "", "バックアップ終了"}));
    EXPECT_TRUE(Exists(base + "\\backup\\3.txt"));
    EXPECT_EQ(form->ListView.Count(), 0);
}

TEST_F(WindowRunTest, ClosingDuringARunShowsWhatTheRunHasToSayBeforeTheWindowGoes) {
    // An original inside the base folder: the archive is made, the emptying refused with a notice.
    ASSERT_TRUE(WriteFileBytes(base + "\\own.txt", "an original kept in the base folder"));
    auto form = StartWithLists();
    form->ListFiles.Add(base + "\\own.txt");
    form->CheckArchive.SetChecked(true);
    form->CheckDeleteFiles.SetChecked(true);
    for (widgets::TCheckBox* c : {&form->chkDelConfirm, &form->chkDelShowDialog, &form->chkDelUseRecycleBin})
        c->SetChecked(false);
    int checks = 0;
    form->OnStopCheck = [&] {
        if (++checks == 1) ::SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    };
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    EXPECT_TRUE(testing_support::PumpUntil([&] { return form->Handle() == nullptr; }));
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 2u);
    EXPECT_EQ(ok.Boxes()[0].text, "バックアップ処理を中止しました。");
    EXPECT_NE(ok.Boxes()[1].text.find("基準フォルダ内のファイルは削除しませんでした"), std::string::npos)
        << ok.Boxes()[1].text;
    EXPECT_TRUE(Exists(base + "\\own.txt"));
}

TEST_F(WindowRunTest, TheEndOfTheSessionStopsARunBeforeItsArchiveSavesAndShowsNothing) {
    auto form = StartWithLists();
    form->CheckArchive.SetChecked(true);
    int checks = 0;
    form->OnStopCheck = [&] {
        if (++checks != 2) return;
        ::SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        ::SendMessageA(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    };
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    testing_support::PumpFor(300);
    ok.Stop();
    EXPECT_TRUE(ok.Boxes().empty());
    EXPECT_TRUE(Exists(base + "\\backup\\1.txt"));
    EXPECT_FALSE(Exists(base + "\\backup\\2.txt"));
    EXPECT_EQ(testing_support::ReadFileBytes(prog + "backfol.ini"), src + ",t,f.txt,0\r\n");
    WIN32_FIND_DATAA fd;
    EXPECT_EQ(::FindFirstFileA((arc + "\\*.lzh").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(form->Running());
}

TEST_F(WindowRunTest, AClickPostedDuringARunReachesTheStopButtonBetweenItems) {
    auto form = StartWithLists();
    int checks = 0;
    form->OnStopCheck = [&] {
        if (++checks != 1) return;
        // Queued as the mouse queues it: only a stop check that handles the pending messages
        // sees it.
        const RECT r = form->tb97Main.ButtonRect(tbStopId);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::PostMessageA(form->tb97Main.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(form->tb97Main.Handle(), WM_LBUTTONUP, 0, at);
    };
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, "バックアップ処理を中止しました。");
    EXPECT_TRUE(Exists(base + "\\backup\\1.txt"));
    EXPECT_FALSE(Exists(base + "\\backup\\3.txt"));
}

TEST_F(WindowRunTest, ClosingTheMainWindowDuringARunStopsItAndClosesWhenItIsOver) {
    auto form = StartWithLists();
    int checks = 0;
    form->OnStopCheck = [&] {
        if (++checks == 1) ::SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    };
    BoxWatchdog ok(IDOK);
    Command(*form, cmBackup);
    EXPECT_NE(form->Handle(), nullptr);  // still there when the run returned
    EXPECT_TRUE(testing_support::PumpUntil([&] { return form->Handle() == nullptr; }));
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, "バックアップ処理を中止しました。");
    EXPECT_FALSE(Exists(base + "\\backup\\1.txt"));
    EXPECT_TRUE(Exists(prog + "ostra.ini"));
}

}  // namespace
