// The main window in this process, on the test display: start-up from the settings file,
// sizing, closing in and out of project mode, the settings page's handlers, shortcuts.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "AppTestSupport.h"
#include "Application.h"
#include "FormMain.h"
#include "FormMainFixture.h"
#include "SettingsFile.h"
#include "TestHostWindow.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

using namespace ostra;
using testing_support::BoxWatchdog;
using testing_support::ClickAt;
using testing_support::Exists;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

using app_test::FormMainTest;

TEST_F(FormMainTest, FirstStartWithoutSettingsFile) {
    auto form = Start();
    RECT r = WindowRect(*form);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 375);  // 300 × 350 raised to the smallest size
    EXPECT_EQ(r.bottom - r.top, 400);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabOption);
    EXPECT_TRUE(form->chkDelConfirm.Checked());
    EXPECT_TRUE(form->chkDelUseRecycleBin.Checked());
    EXPECT_TRUE(form->chkDelShowDialog.Checked());
    EXPECT_FALSE(form->CheckArchive.Checked());
    EXPECT_FALSE(form->CheckDeleteFiles.Checked());
    EXPECT_FALSE(form->chkDelConfirm.Enabled());  // deletion is off
    EXPECT_EQ(form->RadioArchive.ItemIndex(), 0);
    EXPECT_EQ(form->RadioArcName.ItemIndex(), 0);
    char caption[64] = {};
    GetWindowTextA(form->Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Pelmira : 0.0.9.5");
    const char* tabs[] = {"ファイル登録", "フォルダ登録", "レジストリ登録", "設定", "アーカイブ"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(form->Pages.PageCaption(i), tabs[i]);
    // The stop button is idle: disabled, no caption, 23 wide.
    EXPECT_FALSE(form->tb97Main.ButtonEnabled(tbStopId));
    EXPECT_EQ(form->tb97Main.ButtonWidth(tbStopId), 23);
    EXPECT_EQ(form->tb97Main.ButtonCaption(tbBackupId), "バックアップ");
    EXPECT_TRUE(Close(*form));
    EXPECT_EQ(app_test::IniKeys(prog + "ostra.ini"), app_test::FirstCloseKeys());
    for (const char* list : {"backup.ini", "backfol.ini", "backreg.ini"})
        EXPECT_EQ(ReadFileBytes(prog + list), "");
}

TEST_F(FormMainTest, SettingsAndListsAreShownAsStored) {
    ASSERT_TRUE(
        WriteFileBytes(prog + "ostra.ini",
                       "[Option]\r\nTop=20\r\nLeft=30\r\nWidth=420\r\nHeight=450\r\nBaseDir=C:\\base\\\r\n"
                       "Archive=1\r\nDeleteFiles=1\r\nDelConfirm=0\r\nlha=9\r\nArcName=1\r\nDblClick=3\r\n"
                       "Archiver=C:\\tools\\lhaca.exe\r\nIndex=1\r\n"));
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\Data,Data,*.txt,1\r\nC:\\Mail,*.*,0\r\n"));
    ASSERT_TRUE(WriteFileBytes(prog + "backup.ini", "C:\\a.txt\r\nC:\\b.txt\r\n"));
    auto form = Start();
    RECT r = WindowRect(*form);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabFol);
    EXPECT_EQ(form->EditBaseDir.Text(), "C:\\base\\");
    EXPECT_TRUE(form->CheckArchive.Checked());
    EXPECT_FALSE(form->chkDelConfirm.Checked());
    EXPECT_TRUE(form->chkDelConfirm.Enabled());
    EXPECT_EQ(form->RadioArchive.ItemIndex(), 2);  // 9 shows as the last item, lh7
    EXPECT_EQ(form->RadioArcName.ItemIndex(), 1);
    EXPECT_EQ(form->RadioArcCtrl.ItemIndex(), 3);
    EXPECT_EQ(form->EditArchiver.Text(), "C:\\tools\\lhaca.exe");
    EXPECT_EQ(form->ListFol.Items(), (TStrings{"C:\\Data", "C:\\Mail"}));
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{"C:\\Data,Data,*.txt,1", "C:\\Mail,*.*,0"}));
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{"C:\\a.txt", "C:\\b.txt"}));
    // The close query keeps the folder rows: they go with the window itself.
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_EQ(form->FolderEntries.Count(), 2);
}

TEST_F(FormMainTest, IndexFourOpensTheArchivePageFilled) {
    const std::string arc = dir / "arc";
    ASSERT_TRUE(CreateDirectoryA(arc.c_str(), nullptr));
    for (const char* f : {"2005_0102_000.lzh", "2005_0101_000.lzh", "hidden.lzh", "note.txt"})
        ASSERT_TRUE(WriteFileBytes(arc + "\\" + f, "x"));
    ASSERT_TRUE(SetFileAttributesA((arc + "\\hidden.lzh").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(CreateDirectoryA((arc + "\\folder.lzh").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=4\r\nArcDir=" + arc + "\r\n"));
    auto form = Start();
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabArchive);
    ASSERT_EQ(form->ListView.Count(), 2);
    EXPECT_EQ(form->ListView.Caption(0), "2005_0101_000.lzh");
    EXPECT_EQ(form->ListView.Caption(1), "2005_0102_000.lzh");
    EXPECT_EQ(form->EditArcDir.Text(), arc + "\\");  // written back with its backslash
    EXPECT_EQ(form->ListView.ColumnWidth(0), 375 - 30);
}

TEST_F(FormMainTest, AnIndexOutsideThePagesLeavesTheSettingsPage) {
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=7\r\n"));
    auto form = Start();
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabOption);
}

TEST_F(FormMainTest, TheRegistryTreeTakesHalfOfTheHeightBeyond400) {
    auto form = Start();
    auto resize = [&](int w, int h) {
        SetWindowPos(form->Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpFor(20);
    };
    resize(375, 401);
    EXPECT_EQ(form->RegView.Height(), 120);
    resize(375, 403);
    EXPECT_EQ(form->RegView.Height(), 122);
    resize(500, 600);
    EXPECT_EQ(form->RegView.Height(), 220);
    EXPECT_EQ(form->ListView.ColumnWidth(0), 470);
    // The list below the tree takes the rest of the page.
    EXPECT_GT(form->ListReg.Bounds().top, form->RegView.Bounds().bottom);
    resize(200, 200);
    RECT r = WindowRect(*form);
    EXPECT_EQ(r.right - r.left, 375);
    EXPECT_EQ(r.bottom - r.top, 400);
    EXPECT_EQ(form->RegView.Height(), 120);
}

// The width of a control's caption in its own font.
int CaptionWidth(const widgets::TControl& c) {
    HDC dc = GetDC(c.Handle());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c.Handle(), WM_GETFONT, 0, 0)));
    const std::string text = c.Text();
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(c.Handle(), dc);
    return size.cx;
}

TEST_F(FormMainTest, TheNumberOfArchivesToKeepIsShownStepsWithTheArrowKeysAndIsWrittenBack) {
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nKeepArchives=5\r\n"));
    auto form = Start();
    EXPECT_EQ(form->EditKeepArchives.Text(), "5");
    // At the smallest size the row holds the check box, the label and the spin edit side by side,
    // each caption whole, inside the archive group.
    const RECT check = form->CheckArcProgress.Bounds(), label = form->lblKeepArchives.Bounds(),
               spin = form->EditKeepArchives.Bounds(), group = form->grpArchive.Bounds();
    RECT arrows;
    GetWindowRect(form->EditKeepArchives.UpDownHandle(), &arrows);
    MapWindowPoints(nullptr, GetParent(form->EditKeepArchives.Handle()), reinterpret_cast<POINT*>(&arrows),
                    2);
    EXPECT_LE(CaptionWidth(form->CheckArcProgress) + 20, check.right - check.left);
    EXPECT_LE(check.right, label.left);
    EXPECT_LE(CaptionWidth(form->lblKeepArchives), label.right - label.left);
    EXPECT_LE(label.right, spin.left);
    EXPECT_LE(spin.right, arrows.left);
    EXPECT_LT(arrows.right, group.right);
    EXPECT_GE(spin.right - spin.left, 30) << "room for four digits";
    form->EditKeepArchives.SetFocus();
    SendMessageA(form->EditKeepArchives.Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(form->EditKeepArchives.Text(), "6");
    EXPECT_EQ(form->CurrentRunOptions().KeepArchives, 6);
    ASSERT_TRUE(Close(*form));
    EXPECT_EQ(TSettingsFile(prog + "ostra.ini").ReadInteger("Option", "KeepArchives", -1), 6);
}

TEST_F(FormMainTest, ClosingInProjectModeWritesOnlyTheWindowState) {
    const std::string ini = "[Option]\r\nBaseDir=C:\\keep\\\r\nArchive=1\r\nlha=1\r\nDblClick=0\r\n";
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", ini));
    ASSERT_TRUE(WriteFileBytes(prog + "backup.ini", "C:\\keep.txt\r\n"));
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\Data,Data,*.*,0\r\n"));
    auto form = Start();
    form->ProjectMode = true;
    form->EditBaseDir.SetText("D:\\project\\");
    form->CheckArchive.SetChecked(false);
    form->ListFiles.Add("D:\\project.txt");
    form->Pages.SetActivePageIndex(TabReg);
    form->RadioArcCtrl.SetItemIndex(2);
    form->EditArchiver.SetText("C:\\lhaca.exe");
    SetWindowPos(form->Handle(), nullptr, 10, 15, 410, 420, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Close(*form));
    TSettingsFile f(prog + "ostra.ini");
    EXPECT_EQ(f.ReadString("Option", "BaseDir", ""), "C:\\keep\\");
    EXPECT_TRUE(f.ReadBool("Option", "Archive", false));
    EXPECT_EQ(f.ReadInteger("Option", "lha", 0), 1);
    EXPECT_EQ(f.ReadInteger("Option", "Left", 0), 10);
    EXPECT_EQ(f.ReadInteger("Option", "Top", 0), 15);
    EXPECT_EQ(f.ReadInteger("Option", "Width", 0), 410);
    EXPECT_EQ(f.ReadInteger("Option", "Height", 0), 420);
    EXPECT_EQ(f.ReadInteger("Option", "Index", 0), TabReg);
    EXPECT_EQ(f.ReadInteger("Option", "DblClick", 0), 2);
    EXPECT_EQ(f.ReadString("Option", "Archiver", ""), "C:\\lhaca.exe");
    EXPECT_FALSE(f.ReadBool("Key", "Visible", true));
    EXPECT_EQ(ReadFileBytes(prog + "backup.ini"), "C:\\keep.txt\r\n");
    EXPECT_EQ(ReadFileBytes(prog + "backfol.ini"), "C:\\Data,Data,*.*,0\r\n");
    EXPECT_FALSE(Exists(prog + "backreg.ini"));
}

TEST_F(FormMainTest, AMinimizedOrMaximizedWindowKeepsItsNormalPlaceAndAPlaceOffScreenIsLeft) {
    const std::string place = "[Option]\r\nLeft=40\r\nTop=30\r\nWidth=420\r\nHeight=450\r\n";
    for (int show : {SW_MINIMIZE, SW_MAXIMIZE}) {
        ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", place));
        auto form = Start();
        ::ShowWindow(form->Handle(), show);
        PumpFor(50);
        ASSERT_TRUE(Close(*form));
        TSettingsFile f(prog + "ostra.ini");
        EXPECT_EQ(f.ReadInteger("Option", "Left", 0), 40) << show;
        EXPECT_EQ(f.ReadInteger("Option", "Top", 0), 30) << show;
        EXPECT_EQ(f.ReadInteger("Option", "Width", 0), 420) << show;
        EXPECT_EQ(f.ReadInteger("Option", "Height", 0), 450) << show;
    }
    // An icon's place stored by an earlier version: the window comes back to the corner.
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini",
                               "[Option]\r\nLeft=-32000\r\nTop=-32000\r\nWidth=420\r\nHeight=450\r\n"));
    auto form = Start();
    const RECT r = WindowRect(*form);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 420);
}

TEST_F(FormMainTest, TheEndOfTheSessionSavesAsClosingDoesAndACancelledEndNothing) {
    auto form = Start();
    form->ListFiles.Add("C:\\edited.txt");
    form->EditBaseDir.SetText("C:\\edited\\");
    // Asked, never refused; then the end is called off: nothing is written.
    EXPECT_NE(::SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    ::SendMessageA(form->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(Exists(prog + "backup.ini"));
    EXPECT_FALSE(Exists(prog + "ostra.ini"));
    // It ends: saved as closing saves.
    EXPECT_NE(::SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    ::SendMessageA(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(ReadFileBytes(prog + "backup.ini"), "C:\\edited.txt\r\n");
    EXPECT_EQ(TSettingsFile(prog + "ostra.ini").ReadString("Option", "BaseDir", ""), "C:\\edited\\");
}

TEST_F(FormMainTest, ASettingsFileThatCannotBeWrittenShowsTheErrorAndTheListsAreStillSaved) {
    ASSERT_TRUE(CreateDirectoryA((prog + "ostra.ini").c_str(), nullptr));
    auto form = Start();
    form->ListFiles.Add("C:\\memo.txt");
    BoxWatchdog ok(IDOK);
    ASSERT_TRUE(Close(*form));  // closing is never refused
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].title, "Pelmira");
    EXPECT_EQ(ok.Boxes()[0].text, prog + "ostra.ini に書き込めません.");
    EXPECT_TRUE(ok.Boxes()[0].hasStopIcon);
    EXPECT_EQ(ReadFileBytes(prog + "backup.ini"), "C:\\memo.txt\r\n");
    EXPECT_EQ(ReadFileBytes(prog + "backfol.ini"), "");
}

TEST_F(FormMainTest, DeletionOptionsAreEnabledExactlyWhenDeletionIsChecked) {
    auto form = Start();
    SendMessageA(form->CheckDeleteFiles.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->CheckDeleteFiles.Checked());
    for (auto* c : {&form->chkDelConfirm, &form->chkDelUseRecycleBin, &form->chkDelShowDialog})
        EXPECT_TRUE(c->Enabled());
    SendMessageA(form->CheckDeleteFiles.Handle(), BM_CLICK, 0, 0);
    for (auto* c : {&form->chkDelConfirm, &form->chkDelUseRecycleBin, &form->chkDelShowDialog})
        EXPECT_FALSE(c->Enabled());
}

TEST_F(FormMainTest, EllipsisTakesTheChosenFolderAndRefusesAnArchiveFolderInsideTheBase) {
    const std::string base = dir / "base", arc = dir / "base\\arc";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(arc.c_str(), nullptr));
    auto form = Start();
    form->EditBaseDir.SetText("C:\\before\\");
    std::string askedTitle, askedInitial;
    std::optional<std::string> answer = base;
    form->BrowseFolder = [&](HWND, const std::string& title, const std::string& initial) {
        askedTitle = title;
        askedInitial = initial;
        return answer;
    };
    // Independent folders: no box.
    {
        BoxWatchdog ok(IDOK, 3000);
        SendMessageA(form->EditBaseDir.ButtonHandle(), BM_CLICK, 0, 0);
        ok.Stop();
        EXPECT_TRUE(ok.Boxes().empty());
    }
    EXPECT_EQ(askedTitle, "基準（バックアップ先）フォルダの指定");
    EXPECT_EQ(askedInitial, "C:\\before\\");
    EXPECT_EQ(form->EditBaseDir.Text(), base + "\\");
    // The chosen archive folder lies in the base folder: the error box, the choice stays.
    answer = arc;
    {
        BoxWatchdog ok(IDOK);
        SendMessageA(form->EditArcDir.ButtonHandle(), BM_CLICK, 0, 0);
        ok.Stop();
        ASSERT_EQ(ok.Boxes().size(), 1u);
        EXPECT_EQ(ok.Boxes()[0].title, "Pelmira");
        EXPECT_EQ(ok.Boxes()[0].text.rfind(
                      "圧縮先フォルダが基準フォルダと同フォルダ、もしくは下位フォルダになっています", 0),
                  0u)
            << ok.Boxes()[0].text;
    }
    EXPECT_EQ(askedTitle, "圧縮ファイル保存先フォルダの指定");
    EXPECT_EQ(form->EditArcDir.Text(), arc + "\\");
    // Cancelled: the edit keeps its text, and the check still runs.
    answer.reset();
    {
        BoxWatchdog ok(IDOK);
        SendMessageA(form->EditBaseDir.ButtonHandle(), BM_CLICK, 0, 0);
        ok.Stop();
        EXPECT_EQ(ok.Boxes().size(), 1u);
    }
    EXPECT_EQ(form->EditBaseDir.Text(), base + "\\");
}

TEST_F(FormMainTest, HintsOfTheSettingsPageAndTheToolbar) {
    auto form = Start();
    auto& h = form->Hints;
    EXPECT_EQ(h.ShownText(form->chkDelConfirm.Handle()), "削除実行前に、削除処理を行うか確認を行います");
    // The tooltip hands out at most 80 characters of its text: longer hints are checked as given.
    EXPECT_EQ(h.Hint(form->chkDelShowDialog.Handle()),
              "削除処理進捗ダイアログを表示します。\r進捗ダイアログより削除処理のキャンセルが可能です。|");
    EXPECT_EQ(h.Hint(form->RadioArcName.ButtonHandle(1)),
              "ファイル名はアーカイブ作成日時で付けられます\r\n\r\n  ・簡易    2005_0101_000.lzh\r\n\r\n"
              "  ・詳細    2005年01月01日00時00分.lzh|");
    EXPECT_EQ(h.ShownText(form->RadioArchive.ButtonHandle(1)),
              "数値が大きいほど圧縮率が高くなります\r\n一般的にはlh5が利用されることが多いです");
    EXPECT_EQ(h.ShownText(form->EditArcDir.ButtonHandle()), "圧縮ファイル保存先フォルダの指定");
    EXPECT_EQ(h.ShownText(form->CheckArchive.Handle()), "");
    EXPECT_EQ(h.ShownText(form->tb97Main.Handle(), tbOnTopId), "ウィンドウを常に最前面に");
    EXPECT_EQ(h.ShownText(form->tb97Main.Handle(), tbCloseId), "Pelmira終了");
    // A typed path can be read in full in the edit's hint.
    form->EditBaseDir.SetText("D:\\とても長い\\バックアップ先\\");
    EXPECT_EQ(h.ShownText(form->EditBaseDir.Handle()), "D:\\とても長い\\バックアップ先\\");
}

// What the window asks of the window manager: the place in the z-order of every move.
LRESULT CALLBACK RecordZOrder(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    if (msg == WM_WINDOWPOSCHANGING) {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        if (!(pos->flags & SWP_NOZORDER))
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(pos->hwndInsertAfter);
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

TEST_F(FormMainTest, AlwaysOnTopFollowsTheToggle) {
    auto form = Start();
    // Wine keeps the z-order of a shown window to itself (WS_EX_TOPMOST does not change), so the
    // requests are what is checked.
    std::vector<HWND> requests;
    ASSERT_TRUE(SetWindowSubclass(form->Handle(), &RecordZOrder, 1, reinterpret_cast<DWORD_PTR>(&requests)));
    ClickToolButton(*form, tbOnTopId);
    EXPECT_TRUE(form->tb97Main.Down(tbOnTopId));
    ClickToolButton(*form, tbOnTopId);
    EXPECT_FALSE(form->tb97Main.Down(tbOnTopId));
    RemoveWindowSubclass(form->Handle(), &RecordZOrder, 1);
    EXPECT_EQ(requests, (std::vector<HWND>{HWND_TOPMOST, HWND_NOTOPMOST}));
}

TEST_F(FormMainTest, CtrlShortcutsReachTheirCommands) {
    auto form = Start();
    ACCEL table[16];
    const int n = CopyAcceleratorTableA(form->Accelerators(), table, 16);
    std::string keys;
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(table[i].fVirt & (FCONTROL | FVIRTKEY), FCONTROL | FVIRTKEY);
        keys += static_cast<char>(table[i].key);
    }
    EXPECT_EQ(keys, "FDBQNSER");
    // Ctrl+Q through the message loop's own dispatch closes the window.
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    MSG msg{form->Handle(), WM_KEYDOWN, 'Q', 0, 0, {}};
    DispatchMainMessage(*form, msg);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    EXPECT_TRUE(PumpUntil([&] { return form->Handle() == nullptr; }));
    EXPECT_TRUE(Exists(prog + "ostra.ini"));
}

}  // namespace
