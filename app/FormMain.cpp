#include "FormMain.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <stdexcept>

#include "ArchiveFolders.h"
#include "Application.h"
#include "ArchiveRestore.h"
#include "BackupLists.h"
#include "BackupRun.h"
#include "DetailContent.h"
#include "FileSystem.h"
#include "FolderDialog.h"
#include "LastRunNotice.h"
#include "MessageBoxes.h"
#include "RestoreProgress.h"
#include "SettingsFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"
#include "WindowRun.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

constexpr const char* kFormClass = "TFormMain";
constexpr int kGlyphBackup = 0, kGlyphClose = 1, kGlyphDetail = 2, kGlyphOnTop = 3, kGlyphStop = 4,
              kGlyphFolderUpdate = 5;

constexpr const char* kClearQuestion = "リストを全てクリアします\r\nいいですか？";
// "My Computer\" before the root key's name in a registry tree path.
constexpr size_t kTopNodePrefix = 12;

void ShellExecuteVerb(HWND owner, const std::string& verb, const std::string& path) {
    ::ShellExecuteA(owner, verb.c_str(), path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void StartProcess(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = commandLine;
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        KernelHandle process(pi.hProcess), thread(pi.hThread);  // nothing waits for it
    }
}

// The window's place and size when it is neither minimized nor maximized, in screen coordinates:
// a minimized window's own rectangle is its icon's, far off screen. The placement is given in
// workspace coordinates (the work area's corner is 0,0; a taskbar at the top or left moves it).
RECT NormalWindowRect(HWND window) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    RECT r{};
    if (!::GetWindowPlacement(window, &p)) {
        ::GetWindowRect(window, &r);
        return r;
    }
    r = p.rcNormalPosition;
    if (!(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        MONITORINFO m{};
        m.cbSize = sizeof m;
        if (::GetMonitorInfoA(::MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &m))
            ::OffsetRect(&r, m.rcWork.left - m.rcMonitor.left, m.rcWork.top - m.rcMonitor.top);
    }
    return r;
}

// A stored place that no screen shows (an icon's place kept by an earlier version, a monitor
// since removed) is moved to the primary screen's corner, keeping the size.
RECT OnSomeScreen(RECT r) {
    if (::MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return r;
    ::OffsetRect(&r, -r.left, -r.top);
    return r;
}

// Lines of one box.
std::string BoxLines(const TStrings& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

// The window font: the named Shift-JIS face with a character height of 13 pixels.
HFONT CreateWindowFont(const std::string& face) {
    return ::CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

}  // namespace

TFormMain::TFormMain(std::string appDir)
    : AppDir(std::move(appDir)),
      BrowseFolder(&widgets::BrowseForFolder),
      OpenFiles(&widgets::ChooseFilesToOpen),
      ShellOpen(&ShellExecuteVerb),
      StartProgram(&StartProcess) {}

// FolderEntries goes with the form, not with the close query: a close query can be followed by
// a cancelled session end, and the window must keep its rows until it is really gone.
TFormMain::~TFormMain() {
    DestroyHandle();
}

bool TFormMain::Create() {
    if (!CreateHandle(kFormClass, WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT,
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kMainCaption, 0, 0, 300, 350, nullptr,
                      menu_.Bar()))
        return false;
    menu_.Attached();
    FormCreate();
    return true;
}

void TFormMain::FormCreate() {
    AppDir = AddBackslash(AppDir);
    ProjectMode = false;
    DetailVisible = false;
    TSettingsFile ini(AppDir + kIniFile);
    const TMainSettings settings = LoadMainSettings(ini);
    font_.reset(CreateWindowFont(settings.Window.Font));
    {
        HIMAGELIST strip = ImageList_LoadImageA(widgets::ProgramInstance(), "GLYPHS", 16, 0, RGB(255, 0, 255),
                                                IMAGE_BITMAP, LR_CREATEDIBSECTION);
        if (strip) {
            folderUpdateGlyph_.reset(ImageList_GetIcon(strip, kGlyphFolderUpdate, ILD_TRANSPARENT));
            ImageList_Destroy(strip);
        }
    }
    BuildMainLayout(*this, Handle(), font_.get(), folderUpdateGlyph_.get());
    tb97Main.Add({tbBackupId, kGlyphBackup, "バックアップ", "バックアップ開始"});
    tb97Main.Add({0, -1, "", "", widgets::TToolKind::Separator});
    tb97Main.Add({tbCloseId, kGlyphClose, "", "Pelmira終了"});
    tb97Main.Add({0, -1, "", "", widgets::TToolKind::Separator});
    tb97Main.Add({tbDetailId, kGlyphDetail, "", "詳細表示ウィンドウを開く", widgets::TToolKind::Toggle});
    tb97Main.Add({tbOnTopId, kGlyphOnTop, "", "ウィンドウを常に最前面に", widgets::TToolKind::Toggle});
    tb97Main.Add({0, -1, "", "", widgets::TToolKind::Separator});
    tb97Main.Add(
        {tbStopId, kGlyphStop, "", "バックアップ処理中止", widgets::TToolKind::Button, kStopIdleWidth});
    tb97Main.SetButtonEnabled(tbStopId, false);
    BindEvents();

    ApplySettings(settings);
    // The window is the shell's drop target (WS_EX_ACCEPTFILES); hints keep the application's timing.
    ::DragAcceptFiles(Handle(), TRUE);
    // The lists, each only when its file exists.
    TMainLists lists;
    LoadMainLists(AppDir, lists);
    ListFiles.SetItems(lists.Files);
    FolderEntries.Assign(lists.FolderEntries);
    ListReg.SetItems(lists.Registry);
    if (settings.Window.Index == TabArchive) RefreshArchiveList();
}

void TFormMain::ApplySettings(const TMainSettings& s) {
    const TWindowState& w = s.Window;
    const RECT r = OnSomeScreen({w.Left, w.Top, w.Left + w.Width, w.Top + w.Height});
    ::SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyRunOptions(s.Options);
    EditArchiver.SetText(w.Archiver);
    RadioArcCtrl.SetItemIndex(w.DblClick);
    Pages.SetActivePageIndex(w.Index >= TabBackup && w.Index <= TabArchive ? w.Index : TabOption);
    DetailVisible = w.DetailVisible;
}

void TFormMain::ApplyRunOptions(const TRunOptions& o) {
    EditBaseDir.SetText(o.BaseDir);
    EditArcDir.SetText(o.ArcDir);
    CheckTimestamp.SetChecked(o.Timestamp);
    CheckArchive.SetChecked(o.Archive);
    CheckDeleteFiles.SetChecked(o.DeleteFiles);
    CheckArcProgress.SetChecked(o.ArcProgress);
    RadioArchive.SetItemIndex(o.Lha);
    RadioArcName.SetItemIndex(o.ArcName);
    chkDelConfirm.SetChecked(o.DelConfirm);
    chkDelUseRecycleBin.SetChecked(o.DelUseRecycleBin);
    chkDelShowDialog.SetChecked(o.DelShowDialog);
    EditKeepArchives.SetValue(o.KeepArchives);
    CheckDeleteFilesClick();
}

void TFormMain::LoadSettings() {
    ApplySettings(LoadMainSettings(TSettingsFile(AppDir + kIniFile)));
}

void TFormMain::BindEvents() {
    On(WM_SIZE, [this](WPARAM wp, LPARAM) -> LRESULT {
        if (wp != SIZE_MINIMIZED) FormResize();
        return 0;
    });
    On(WM_GETMINMAXINFO, [](WPARAM, LPARAM lp) -> LRESULT {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {kMinWidth, kMinHeight};
        return 0;
    });
    On(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        if (FormCloseQuery()) DestroyHandle();
        return 0;
    });
    // Windows ends the session (log off, shut down): never refused; the settings and lists are
    // saved as closing saves them, and a run under way is stopped.
    On(WM_QUERYENDSESSION, [](WPARAM, LPARAM) -> LRESULT { return TRUE; });
    On(WM_ENDSESSION, [this](WPARAM wp, LPARAM) -> LRESULT {
        if (wp) SessionEnds();
        return 0;
    });
    On(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        if (QuitOnDestroy) ::PostQuitMessage(0);
        return 0;
    });
    On(kLastRunNoticeMessage, [this](WPARAM, LPARAM) -> LRESULT {
        ShowLastRunNotice();
        return 0;
    });
    On(WM_DROPFILES, [this](WPARAM wp, LPARAM) -> LRESULT {
        WMDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    });
    On(WM_INITMENUPOPUP, [this](WPARAM wp, LPARAM) -> LRESULT {
        if (reinterpret_cast<HMENU>(wp) == menu_.ProjectMenu()) mProjectClick();
        return 0;
    });
    const std::pair<UINT, void (TFormMain::*)()> commands[] = {
        {cmAddFile, &TFormMain::mAddFileClick},
        {cmAddFolder, &TFormMain::mAddFolderClick},
        {cmFolUpdate, &TFormMain::mFolUpdateClick},
        {cmBackup, &TFormMain::mBackupClick},
        {cmClose, &TFormMain::mCloseClick},
        {cmProjectMake, &TFormMain::mProjectMakeClick},
        {cmProjectSave, &TFormMain::mProjectSaveClick},
        {cmReadini, &TFormMain::mReadiniClick},
        {cmWriteini, &TFormMain::mWriteiniClick},
        {cmExplore, &TFormMain::mExploreClick},
        {cmRegEdit, &TFormMain::mRegEditClick},
        {cmHelpEx, &TFormMain::mHelpExClick},
        {cmAbout, &TFormMain::mAboutClick},
        {cmDelete, &TFormMain::mDeleteClick},
        {cmClear, &TFormMain::mClearClick},
        {cmSort, &TFormMain::mSortClick},
        {cmRegGet, &TFormMain::mRegGetClick},
        {cmAssociate, &TFormMain::mAssociateClick},
        {cmArchiver, &TFormMain::mArchiverClick},
        {cmExplor, &TFormMain::mExplorClick},
        {cmFolder, &TFormMain::mFolderClick},
        {cmDeleteFile, &TFormMain::mDeleteFileClick},
        {cmRefresh, &TFormMain::mRefreshClick},
        {cmExtract, &TFormMain::mExtractClick},
        {cmExtractChosen, &TFormMain::DetailExtractChosenClick},
    };
    for (const auto& [id, handler] : commands) OnCommand(id, [this, h = handler] { (this->*h)(); });

    tb97Main.OnClick = [this](int id) {
        switch (id) {
            case tbBackupId:
                mBackupClick();
                break;
            case tbCloseId:
                mCloseClick();
                break;
            case tbDetailId:
                tbDetailClick();
                break;
            case tbOnTopId:
                tbOnTopClick();
                break;
            case tbStopId:
                tbStopClick();
                break;
            default:
                break;
        }
    };
    Pages.OnChange = [this] { TabChange(); };
    EditBaseDir.OnEllipsisClick = [this] { EditBaseDirEllipsisClick(); };
    EditArcDir.OnEllipsisClick = [this] { EditArcDirEllipsisClick(); };
    EditBaseDir.OnChange = [this] { EditBaseDirChange(); };
    EditArcDir.OnChange = [this] { EditArcDirChange(); };
    EditArchiver.OnEllipsisClick = [this] { EditArchiverEllipsisClick(); };
    CheckDeleteFiles.OnClick = [this] { CheckDeleteFilesClick(); };
    tbFolUpdate.OnClick = [this] { mFolUpdateClick(); };
    ListFiles.OnClick = [this] { ListFilesClick(); };
    ListFol.OnClick = [this] { ListFolClick(); };
    ListView.OnClick = [this] { ListViewClick(); };
    ListView.OnDblClick = [this] { ListViewDblClick(); };
    ListView.OnKeyDown = [this](WORD& key) {
        if (key == VK_DELETE) mDeleteFileClick();
    };
    for (widgets::TListBox* list : {&ListFiles, &ListFol, &ListReg})
        list->OnKeyDown = [this, list](WORD& key) {
            if (key == VK_DELETE) DeleteFromList(*list);
        };
    // A right click (or the menu key) on a list opens its menu; the list menu remembers its list.
    for (widgets::TListBox* list : {&ListFiles, &ListFol, &ListReg})
        list->OnContextMenu = [this, list](POINT at) {
            popupList_ = list;
            ShowPopup(menu_.Popup(), at);
        };
    RegView.OnContextMenu = [this](POINT at) { ShowPopup(menu_.PopReg(), at); };
    ListView.OnContextMenu = [this](POINT at) { ShowPopup(menu_.PopArc(), at); };
    EditTitle.OnKeyPress = [this](char& key) { FolderEditKeyPress(EditTitle, key); };
    EditFilter.OnKeyPress = [this](char& key) { FolderEditKeyPress(EditFilter, key); };
    RegView.OnChange = [this](TRegistryTreeView& s, TTreeNode n, HKEY k, const std::string& name) {
        RegViewChange(s, n, k, name);
    };
}

void TFormMain::Show(int cmdShow) {
    ::ShowWindow(Handle(), cmdShow);
    ::UpdateWindow(Handle());
    FormShow();
}

void TFormMain::FormShow() {
    SetWindowTextA(Handle(), kMainCaption);
    if (DetailVisible) OpenDetail();
    // The notice of the last unattended run comes once the window is on the screen, from the
    // message loop, so that it is seen over the window it belongs to.
    ::PostMessageA(Handle(), kLastRunNoticeMessage, 0, 0);
}

void TFormMain::ShowLastRunNotice() {
    const std::string notice = TakeLastRunNotice(AppDir, AnotherRunUnderWay());
    if (!notice.empty()) ShowInfoBox(Handle(), notice);
}

void TFormMain::FormResize() {
    if (resizing_) return;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    const TMainSize s = MainResizeRule(r.right - r.left, r.bottom - r.top);
    if (s.Width != r.right - r.left || s.Height != r.bottom - r.top) {
        resizing_ = true;
        ::SetWindowPos(Handle(), nullptr, 0, 0, s.Width, s.Height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        resizing_ = false;
    }
    Page(TabReg).Layout().SetAlignedSize(RegView, s.TreeHeight);
    ListView.SetColumnWidth(0, s.ColumnWidth);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    LayoutMainWindow(*this, client.right, client.bottom);
    Page(TabReg).Layout().Reapply();
}

bool TFormMain::FormCloseQuery() {
    // The run is stopped at its next item and the window closes when it returns.
    if (running_) {
        StopRequested = true;
        closeAfterRun_ = true;
        return false;
    }
    CloseProjectForm();
    SaveSettings();
    return true;
}

void TFormMain::SessionEnds() {
    sessionEnding_ = true;
    StopRequested = true;
    CloseProjectForm();
    SaveSettings();
}

void TFormMain::TabChange() {
    if (Pages.ActivePageIndex() == TabArchive && Page(TabArchive).Tag == 0) {
        RefreshArchiveList();
        Page(TabArchive).Tag = 1;
    }
    if (DetailOpen() && !running_) DetailFollowPage(true);
}

TWindowState TFormMain::CurrentWindowState() const {
    TWindowState w;
    const RECT r = NormalWindowRect(Handle());
    w.Top = r.top;
    w.Left = r.left;
    w.Width = r.right - r.left;
    w.Height = r.bottom - r.top;
    w.Index = Pages.ActivePageIndex();
    w.DetailVisible = DetailVisible;
    w.DblClick = RadioArcCtrl.ItemIndex();
    w.Archiver = EditArchiver.Text();
    return w;
}

TRunOptions TFormMain::CurrentRunOptions() const {
    TRunOptions o;
    o.BaseDir = EditBaseDir.Text();
    o.ArcDir = EditArcDir.Text();
    o.Timestamp = CheckTimestamp.Checked();
    o.Archive = CheckArchive.Checked();
    o.Lha = RadioArchive.ItemIndex();
    o.ArcName = RadioArcName.ItemIndex();
    o.ArcProgress = CheckArcProgress.Checked();
    o.DeleteFiles = CheckDeleteFiles.Checked();
    o.DelConfirm = chkDelConfirm.Checked();
    o.DelShowDialog = chkDelShowDialog.Checked();
    o.DelUseRecycleBin = chkDelUseRecycleBin.Checked();
    o.KeepArchives = EditKeepArchives.Value();
    return o;
}

TMainLists TFormMain::CurrentLists() const {
    return {ListFiles.Items(), FolderEntries.Lines(), ListReg.Items()};
}

void TFormMain::SaveSettings() {
    const TDetailGeometry detail = DetailOpen() ? detail_->Geometry() : TDetailGeometry{};
    const std::vector<std::string> errors =
        SaveMainSettings(AppDir, CurrentWindowState(), DetailOpen() ? &detail : nullptr, ProjectMode,
                         CurrentRunOptions(), CurrentLists());
    if (errors.empty()) return;
    std::string text;
    for (const auto& e : errors) text += (text.empty() ? "" : "\r\n") + e;
    ShowErrorBox(Handle(), text);
}

void TFormMain::mCloseClick() {
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TFormMain::tbOnTopClick() {
    if (tb97Main.Down(tbOnTopId))
        ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    else
        ::SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void TFormMain::mExploreClick() {
    ::ShellExecuteA(Handle(), "Explore", EditBaseDir.Text().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TFormMain::mRegEditClick() {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    ::GetStartupInfoA(&si);
    PROCESS_INFORMATION pi{};
    char command[] = "Regedit";
    if (::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        KernelHandle process(pi.hProcess), thread(pi.hThread);  // nothing waits for it
    }
}

void TFormMain::mHelpExClick() {
    ::ShellExecuteA(Handle(), "open", (AppDir + kHelpFile).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TFormMain::mAboutClick() {
    MSGBOXPARAMSA p{};
    p.cbSize = sizeof p;
    p.hwndOwner = Handle();
    p.hInstance = widgets::ProgramInstance();
    p.lpszText =
        "Pelmira : 0.0.9.5\r\n\r\nファイル・フォルダ・レジストリキーを基準フォルダに集め、\r\n"
        "LHA 形式の書庫にまとめる個人用バックアップツールです。";
    p.lpszCaption = kApplicationTitle;
    p.dwStyle = MB_OK | MB_USERICON;
    p.lpszIcon = "MAINICON";
    ::MessageBoxIndirectA(&p);
}

void TFormMain::ChooseFolder(widgets::TEllipsisEdit& edit, const char* title) {
    if (auto chosen = BrowseFolder(Handle(), title, edit.Text())) edit.SetText(AddBackslash(*chosen));
    // Confirmed or not: an archive folder inside the base folder is refused at once.
    CheckArchiveFolder(EditBaseDir.Text(), EditArcDir.Text());
}

void TFormMain::EditBaseDirEllipsisClick() {
    ChooseFolder(EditBaseDir, "基準（バックアップ先）フォルダの指定");
}
void TFormMain::EditArcDirEllipsisClick() {
    ChooseFolder(EditArcDir, "圧縮ファイル保存先フォルダの指定");
}

void TFormMain::EditBaseDirChange() {
    Hints.Set(EditBaseDir.Handle(), EditBaseDir.Text());
}
void TFormMain::EditArcDirChange() {
    Hints.Set(EditArcDir.Handle(), EditArcDir.Text());
}

void TFormMain::CheckDeleteFilesClick() {
    const bool on = CheckDeleteFiles.Checked();
    chkDelShowDialog.SetEnabled(on);
    chkDelUseRecycleBin.SetEnabled(on);
    chkDelConfirm.SetEnabled(on);
}

void TFormMain::ShowPopup(HMENU menu, POINT at) {
    // The chosen command runs now, while the list it was opened on is known.
    const UINT id = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0,
                         Handle(), nullptr));
    if (id) ::SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void TFormMain::WMDropFiles(HDROP drop) {
    TStrings paths;
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[1024] = {};
        if (::DragQueryFileA(drop, i, path, sizeof path)) paths.emplace_back(path);
    }
    ::DragFinish(drop);
    FilesDropped(paths);
}

// ---- List editing ----

void TFormMain::mAddFileClick() {
    const TStrings chosen = OpenFiles(Handle(), {"すべてのファイル|*.*", "", true});
    for (const auto& path : chosen) ListFiles.Add(path);
    Pages.SetActivePageIndex(TabBackup);
}

void TFormMain::mAddFolderClick() {
    const auto chosen = BrowseFolder(Handle(), "バックアップするフォルダの追加", "");
    int added = -1;
    if (chosen) {
        const std::string refusal = FolderPathRefusal(*chosen);
        if (refusal.empty())
            added = FolderEntries.Add(NewFolderEntry(*chosen));
        else
            ShowInfoBox(Handle(), refusal);
    }
    Pages.SetActivePageIndex(TabFol);
    if (added >= 0) SelectFolderRow(added);
}

void TFormMain::SelectFolderRow(int row) {
    // The new folder alone selected, its settings in the group: a title typed next is its own.
    ListFol.SetItemIndex(row);
    ListFolClick();
}

void TFormMain::FilesDropped(const TStrings& paths) {
    bool lastWasFile = false;
    std::string refused, lastAdded;
    for (const auto& path : paths) {
        if (DirectoryExists(path)) {
            lastWasFile = false;
            if (ContainsPath(ListFol.Items(), path)) continue;
            const std::string refusal = FolderPathRefusal(path);
            if (refusal.empty())
                lastAdded = FolderEntries.Line(FolderEntries.Add(NewFolderEntry(path)));
            else
                refused += (refused.empty() ? "" : "\r\n") + refusal;
        } else if (FileExists(path)) {
            lastWasFile = true;
            if (!ContainsPath(ListFiles.Items(), path)) ListFiles.Add(path);
        }
    }
    Pages.SetActivePageIndex(lastWasFile ? TabBackup : TabFol);
    // The last folder added is selected (rows may have moved in sorted mode: found by its line).
    if (!lastAdded.empty())
        for (int row = 0; row < FolderEntries.Count(); ++row)
            if (FolderEntries.Line(row) == lastAdded) SelectFolderRow(row);
    if (!refused.empty()) ShowInfoBox(Handle(), refused);
}

void TFormMain::RegViewChange(TRegistryTreeView& sender, TTreeNode node, HKEY, const std::string&) {
    const std::string path = sender.FullPathOf(node);
    SelectedKey = path.size() > kTopNodePrefix ? path.substr(kTopNodePrefix) : std::string();
    if (DetailVisible) DetailShowRegistryValues(node);
}

void TFormMain::mRegGetClick() {
    // The top node names no key: an empty line would only be skipped by every run.
    if (SelectedKey.empty()) {
        ShowInfoBox(Handle(), "登録するレジストリキーを選択してください");
        return;
    }
    if (ContainsPath(ListReg.Items(), SelectedKey))
        ShowInfoBox(Handle(), "すでに登録済みです。");
    else
        ListReg.Add(SelectedKey);
}

int TFormMain::CurrentFolderRow() const {
    const std::vector<int> selected = ListFol.SelectedRows();
    if (selected.empty()) return -1;
    const int caret = ListFol.ItemIndex();
    return caret >= 0 && ListFol.Selected(caret) ? caret : selected.front();
}

void TFormMain::ListFolClick() {
    const int row = CurrentFolderRow();
    if (row < 0 || row >= FolderEntries.Count()) return;
    const TFolderSettings s = ReadFolderSettings(FolderEntries.Line(row));
    EditTitle.SetText(s.Title);
    EditFilter.SetText(s.Filter);
    CheckSubFol.SetChecked(s.Subfolders);
    if (s.OlderForm) mFolUpdateClick();
    if (DetailVisible) DetailShowFolderPreview();
}

void TFormMain::mFolUpdateClick() {
    if (ListFol.SelectedCount() != 1) return;
    const int row = CurrentFolderRow();
    if (row < 0 || row >= FolderEntries.Count()) return;
    const std::string title = EditTitle.Text(), filter = EditFilter.Text();
    const std::string refusal = FolderSettingsRefusal(title, filter);
    if (!refusal.empty()) {
        ShowInfoBox(Handle(), refusal);
        return;
    }
    FolderEntries.Update(row, title, filter, CheckSubFol.Checked());
}

void TFormMain::FolderEditKeyPress(const widgets::TEdit& edit, char& key) {
    if (key != '\r') return;
    key = 0;  // no beep: Enter is the update
    if (!edit.Text().empty()) mFolUpdateClick();
}

void TFormMain::DeleteFromList(widgets::TListBox& list) {
    // Only rows that are selected, never a caret row that is not; the last first, so that the
    // rows still to go keep their places.
    const std::vector<int> rows = list.SelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (&list == &ListFol)
            FolderEntries.Delete(*it);
        else
            list.Delete(*it);
    }
}

void TFormMain::mDeleteClick() {
    if (popupList_) DeleteFromList(*popupList_);
}

void TFormMain::mClearClick() {
    if (!popupList_ || !AskYesNo(Handle(), kClearQuestion)) return;
    if (popupList_ == &ListFol)
        FolderEntries.Clear();
    else
        popupList_->Clear();
}

void TFormMain::mSortClick() {
    if (popupList_ == &ListFol)
        FolderEntries.Sort();
    else if (popupList_)
        popupList_->SetSorted(true);
}

void TFormMain::ListFilesClick() {
    if (!DetailVisible) return;
    const int row = ListFiles.ItemIndex();
    if (row < 0) return;
    const std::string path = ListFiles.Item(row);
    if (FileExists(path)) {
        DetailShowFile(path);
        return;
    }
    ShowInfoBox(Handle(), "このファイルは存在しないので削除します");
    // The box let other messages through: remove the row only if it is still the same entry.
    if (row < ListFiles.Count() && ListFiles.Item(row) == path) ListFiles.Delete(row);
}

// ---- Archive page ----

void TFormMain::RefreshArchiveList() {
    if (archives_.Refresh(EditArcDir.Text())) EditArcDir.SetText(archives_.Folder());
}

std::string TFormMain::ArchiveFolder() const {
    return archives_.Folder().empty() ? AddBackslash(EditArcDir.Text()) : archives_.Folder();
}

void TFormMain::mAssociateClick() {
    const std::string path = archives_.SingleSelectedPath();
    if (!path.empty()) ShellOpen(Handle(), "open", path);
}

void TFormMain::mArchiverClick() {
    const std::string path = archives_.SingleSelectedPath();
    if (path.empty()) return;
    const std::string command = ArchiverCommandLine(EditArchiver.Text(), path);
    if (!command.empty()) StartProgram(command);
}

void TFormMain::mExplorClick() {
    ShellOpen(Handle(), "explore", ArchiveFolder());
}

void TFormMain::mFolderClick() {
    ShellOpen(Handle(), "open", ArchiveFolder());
}

void TFormMain::mDeleteFileClick() {
    archives_.DeleteSelected();
    RefreshArchiveList();
}

void TFormMain::mExtractClick() {
    const std::string path = archives_.SingleSelectedPath();
    if (!path.empty()) RestoreAsked(path, std::nullopt);
}

void TFormMain::DetailExtractChosenClick() {
    if (!DetailOpen() || running_ || detail_->EntriesArchive.empty()) return;
    const TStrings chosen = detail_->SelectedNames();
    if (!chosen.empty()) RestoreAsked(detail_->EntriesArchive, chosen);
}

void TFormMain::RestoreAsked(const std::string& path, const std::optional<TStrings>& chosen) {
    if (restoring_) return;
    // The folder dialog and the progress window disable this window only; the detail window,
    // whose menu starts a restore too, is disabled with it.
    restoring_ = true;
    HWND detail = DetailOpen() && ::IsWindowEnabled(detail_->Handle()) ? detail_->Handle() : nullptr;
    if (detail) ::EnableWindow(detail, FALSE);
    struct Done {
        TFormMain& form;
        HWND detail;
        ~Done() {
            form.restoring_ = false;
            if (detail && ::IsWindow(detail)) ::EnableWindow(detail, TRUE);
        }
    } done{*this, detail};
    // Where the last restore went, else the archive's own folder: never the computer's root,
    // where an Enter at once would unpack onto the desktop.
    const std::string start = lastRestoreParent_.empty() ? ExtractFilePath(path) : lastRestoreParent_;
    const auto parent = BrowseFolder(Handle(), "展開先フォルダの指定", start);
    if (!parent) return;
    lastRestoreParent_ = *parent;
    const TRestoreResult r = RestoreWithProgress(path, *parent, chosen);
    switch (r.Outcome) {
        case TRestoreResult::rsDone:
            ShowInfoBox(Handle(), "\"" + r.Folder + "\"に展開しました");
            break;
        case TRestoreResult::rsCancelled:
            ShowInfoBox(Handle(), "展開を中止しました。\r\n途中まで展開したファイルは残していません");
            break;
        case TRestoreResult::rsPartial:
            ShowErrorBox(Handle(), PartialRestoreMessage(path, r));
            break;
    }
}

TRestoreResult TFormMain::RestoreWithProgress(const std::string& archivePath, const std::string& parent,
                                              const std::optional<TStrings>& chosen) {
    // The progress window shows from the start and is gone before any box.
    std::unique_ptr<TRestoreProgress> progress;
    return RestoreArchive(
        Handle(), archivePath, parent,
        [&](int done, int total, const std::string& entry, bool& cancel) {
            if (!progress)
                progress = std::make_unique<TRestoreProgress>(Handle(), font_.get(),
                                                              ExtractFileName(archivePath), total);
            if (done > 0) progress->Step(entry);
            cancel = progress->Cancelled();
        },
        chosen);
}

void TFormMain::ListViewClick() {
    if (DetailVisible) DetailShowArchiveEntries();
}

void TFormMain::ListViewDblClick() {
    switch (RadioArcCtrl.ItemIndex()) {
        case 0:
            mAssociateClick();
            break;
        case 1:
            mArchiverClick();
            break;
        case 2:
            mExplorClick();
            break;
        case 3:
            mFolderClick();
            break;
        default:
            break;
    }
}

void TFormMain::EditArchiverEllipsisClick() {
    const TStrings chosen =
        OpenFiles(Handle(), {"アプリケーション|*.exe", ExtractFilePath(EditArchiver.Text()), false});
    if (!chosen.empty()) EditArchiver.SetText(chosen.front());
}

// ---- Detail window ----

void TFormMain::tbDetailClick() {
    // During a run the window is the log (or there is none): the toggle keeps its state.
    if (running_) {
        tb97Main.SetDown(tbDetailId, DetailOpen());
        return;
    }
    if (DetailOpen())
        detail_->Close();
    else
        OpenDetail();
}

void TFormMain::OpenDetail() {
    const TDetailGeometry g = LoadDetailGeometry(TSettingsFile(AppDir + kIniFile));
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    detail_ = std::make_unique<TFormPlus>();
    if (!detail_->Create(Handle(), font_.get(), r.right, r.top, g)) {
        detail_.reset();
        DetailVisible = false;
        tb97Main.SetDown(tbDetailId, false);
        return;
    }
    DetailVisible = true;
    tb97Main.SetDown(tbDetailId, true);
    detail_->OnCloseQuery = [this] { return !running_; };
    detail_->OnClose = [this] { DetailFormClose(); };
    DetailFollowPage(false);
    detail_->Show();
}

void TFormMain::DetailFormClose() {
    DetailVisible = false;
    tb97Main.SetDown(tbDetailId, false);
    try {
        TSettingsFile ini(AppDir + kIniFile);
        SaveDetailGeometry(ini, detail_->Geometry());
    } catch (const std::exception& e) {
        ShowErrorBox(Handle(), e.what());  // the window closes all the same
    }
}

void TFormMain::DetailFollowPage(bool pageChanged) {
    if (pageChanged) detail_->EntriesArchive.clear();
    switch (Pages.ActivePageIndex()) {
        case TabReg:
            detail_->ShowList();
            if (pageChanged) {
                detail_->ListRegItem.Clear();
                detail_->ListRegItem.SetColumnCaption(1, kDetailDataColumn);
            }
            break;
        case TabArchive:
            detail_->ShowList();
            if (pageChanged) detail_->ListRegItem.Clear();
            detail_->ListRegItem.SetColumnCaption(1, kDetailSizeColumn);
            break;
        case TabOption:
            // The settings page has no item to show: the last unattended run's record.
            detail_->ShowEdit();
            detail_->Edit.SetLines(LastRunDetailLines(RunRecordPath(AppDir)));
            break;
        default:
            detail_->ShowEdit();
            if (pageChanged) detail_->Edit.Clear();
            break;
    }
}

void TFormMain::DetailShowFile(const std::string& path) {
    if (!DetailOpen() || running_) return;
    const TStrings lines = ReadFilePreview(path);
    detail_->Edit.SetLines(lines);
}

void TFormMain::DetailShowFolderPreview() {
    if (!DetailOpen() || running_) return;
    const int row = CurrentFolderRow();
    if (row < 0 || row >= FolderEntries.Count()) return;
    // As a run leaves them out: its own base folder and, with compression on, the archive folder.
    const TStrings leaveOut = {ResolvedRunFolder(EditBaseDir.Text()),
                               CheckArchive.Checked() ? ResolvedRunFolder(EditArcDir.Text()) : std::string()};
    const TStrings files =
        FolderPreview(FolderEntries.Path(row), EditFilter.Text(), CheckSubFol.Checked(), leaveOut);
    detail_->Edit.Clear();
    detail_->Edit.SetLines(files);
}

namespace {

void FillRows(widgets::TVirtualListView& list, const TDetailRows& rows) {
    std::vector<widgets::TVirtualListView::TRow> texts;
    texts.reserve(rows.size());
    for (const auto& [name, data] : rows) texts.push_back({name, data});
    list.SetRows(std::move(texts));
}

}  // namespace

void TFormMain::DetailShowRegistryValues(TTreeNode node) {
    if (!DetailOpen() || running_) return;
    detail_->EntriesArchive.clear();
    widgets::TVirtualListView& list = detail_->ListRegItem;
    detail_->ShowList();
    list.SetColumnCaption(1, kDetailDataColumn);
    list.Clear();
    FillRows(list, RegistryValueRows(RegView, node));
}

void TFormMain::DetailShowArchiveEntries() {
    if (!DetailOpen() || running_) return;
    widgets::TVirtualListView& list = detail_->ListRegItem;
    detail_->ShowList();
    list.Clear();
    detail_->EntriesArchive.clear();
    list.SetColumnCaption(1, kDetailSizeColumn);
    const std::string path = archives_.SingleSelectedPath();
    if (path.empty() || !FileExists(path)) return;
    FillRows(list, ArchiveEntryRows(Handle(), path));
    detail_->EntriesArchive = path;
}

// ---- Backup run ----

namespace {

// What a run may not meet: the commands that change the lists or load another configuration.
bool LockedDuringRun(UINT command) {
    switch (command) {
        case cmAddFile:
        case cmAddFolder:
        case cmFolUpdate:
        case cmDelete:
        case cmClear:
        case cmSort:
        case cmRegGet:
        case cmProjectMake:
        case cmProjectSave:
        case cmReadini:
        case cmWriteini:
            return true;
        default:
            return command >= cmProjectItemFirst && command <= cmProjectItemLast;
    }
}

}  // namespace

LRESULT TFormMain::WndProc(UINT message, WPARAM wp, LPARAM lp) {
    if (running_) {
        // Shortcuts and drops still arrive while the controls are disabled: refused here.
        if (message == WM_COMMAND && lp == 0 && LockedDuringRun(LOWORD(wp))) return 0;
        if (message == WM_DROPFILES) {
            ::DragFinish(reinterpret_cast<HDROP>(wp));
            return 0;
        }
    }
    return TWindow::WndProc(message, wp, lp);
}

void TFormMain::SetStopButtonRunning(bool running) {
    tb97Main.SetButtonCaption(tbStopId, running ? kStopCaption : "");
    tb97Main.SetButtonWidth(tbStopId, running ? kStopRunningWidth : kStopIdleWidth);
    tb97Main.SetButtonEnabled(tbStopId, running);
}

void TFormMain::SetRunning(bool running) {
    running_ = running;
    for (widgets::TControl* c : std::initializer_list<widgets::TControl*>{
             &ListFiles, &ListFol, &ListReg, &RegView, &EditTitle, &EditFilter, &CheckSubFol, &tbFolUpdate})
        c->SetEnabled(!running);
    tb97Main.SetButtonEnabled(tbBackupId, !running);
    const UINT state = MF_BYCOMMAND | (running ? MF_GRAYED : MF_ENABLED);
    for (UINT id : {cmAddFile, cmAddFolder, cmFolUpdate, cmBackup}) ::EnableMenuItem(menu_.Bar(), id, state);
    HMENU bar = menu_.Bar();
    for (int i = 0, n = ::GetMenuItemCount(bar); i < n; ++i)
        if (::GetSubMenu(bar, i) == menu_.ProjectMenu())
            ::EnableMenuItem(bar, static_cast<UINT>(i), MF_BYPOSITION | (running ? MF_GRAYED : MF_ENABLED));
    ::DrawMenuBar(Handle());
    ::DragAcceptFiles(Handle(), running ? FALSE : TRUE);
}

namespace {

// Thrown through the run when the session ends during it: the archive and the emptying are not
// begun when nobody is left to see them through.
struct TSessionEnds {};

}  // namespace

void TFormMain::mBackupClick() {
    if (running_) {
        ShowInfoBox(Handle(), kRunUnderWay);
        return;
    }
    const std::string base = AddBackslash(EditBaseDir.Text()), arcDir = AddBackslash(EditArcDir.Text());
    EditBaseDir.SetText(base);
    EditArcDir.SetText(arcDir);
    CheckRunFolder(kBaseFolderTerm, base, kBaseFolderUnset);
    if (CheckArchive.Checked()) {
        CheckRunFolder(kArchiveFolderTerm, arcDir, kArchiveFolderUnset);
        CheckArchiveFolder(base, arcDir);
    }
    if (AnotherRunUnderWay()) throw std::runtime_error(kAnotherRun);

    TRunInput in;
    in.Options = CurrentRunOptions();
    {
        const TSettingsFile ini(AppDir + kIniFile);
        in.FileDir = ini.ReadString(kSectionOption, "FileDir", kDefaultFileDir);
        in.RegDir = ini.ReadString(kSectionOption, "RegDir", kDefaultRegDir);
    }
    in.Files = ListFiles.Items();
    in.Folders = FolderEntries.Lines();
    in.Keys = ListReg.Items();
    in.AppDir = AppDir;
    in.Owner = Handle();
    in.CheckStop = [this](bool& stop) { CheckStop(stop); };
    in.OnStage = [this](TRunStage stage) {
        if (sessionEnding_) throw TSessionEnds();
        if (runLog_) {
            runLog_->Flush();
            runLog_->ShowNextLineAtOnce();
        }
        if (stage == TRunStage::rsCopiesDone) {
            SetStopButtonRunning(false);
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        } else {
            RefreshArchiveList();
        }
    };

    StopRequested = false;
    SetStopButtonRunning(true);
    // The window open now is the log of the whole run: it cannot be closed until the end.
    TFormPlus* log = DetailForm();
    std::optional<TMemoLog> sink;
    if (log) {
        log->Edit.Clear();
        log->ShowEdit();
        log->Edit.SetFocus();
        sink.emplace(log->Edit);
        sink->AddLine(kLogRunHeader);
        sink->AddLine("");
        in.Log = &*sink;
        runLog_ = &*sink;
    }
    SetRunning(true);
    TRunResult result;
    std::exception_ptr error;
    try {
        result = RunBackup(in);
    } catch (const TSessionEnds&) {
    } catch (...) {
        error = std::current_exception();
    }
    runLog_ = nullptr;
    if (sessionEnding_) {
        // The settings are saved already; no box holds up the end of the session.
        if (sink) sink->Flush();
        SetRunning(false);
        return;
    }
    // Old archives go after the list was filled at the end of the archive step.
    if (!error && !result.ArchivesRemoved.empty()) RefreshArchiveList();
    const TStrings notices = error ? TStrings() : RunNotices(result, arcDir);
    if (sink)
        for (const std::string& line : notices) sink->AddLine(line);
    if (StopRequested) {
        if (sink) sink->Flush();
        ShowInfoBox(Handle(), kRunStopped);
        if (log) {
            sink->AddLine("");
            sink->AddLine(kLogStopRule);
            sink->AddLine(kRunStopped);
        }
    }
    // Also after an error in the copies, which ends the run before the button went idle.
    SetStopButtonRunning(false);
    if (log) {
        sink->AddLine("");
        sink->AddLine("");
        sink->AddLine(kLogRunEnd);
        sink->Flush();
    }
    SetRunning(false);
    // What the run has to say comes before a close asked for during it: the box would go with the
    // window unseen.
    const bool close = closeAfterRun_;
    closeAfterRun_ = false;
    try {
        if (error) std::rethrow_exception(error);
        if (result.Outcome == TRunResult::roNoBaseFolder)  // gone since the check
            throw std::runtime_error(FolderMissingMessage(kBaseFolderTerm, base));
        if (result.Outcome == TRunResult::roAnotherRun) throw std::runtime_error(kAnotherRun);
        if (!notices.empty()) ShowInfoBox(Handle(), BoxLines(notices));
    } catch (const std::exception& e) {
        if (!close) throw;
        ShowErrorBox(Handle(), e.what());
    }
    if (close) ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TFormMain::tbStopClick() {
    StopRequested = true;
}

void TFormMain::CheckStop(bool& stop) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop the run returns to
            break;
        }
        DispatchMainMessage(*this, msg);
    }
    if (OnStopCheck) OnStopCheck();
    if (runLog_) runLog_->FlushDue();
    stop = StopRequested;
}

}  // namespace ostra
