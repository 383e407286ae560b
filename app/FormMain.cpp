#include "FormMain.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ArchiveFolders.h"
#include "ArchiveRestore.h"
#include "BackupLists.h"
#include "FileSystem.h"
#include "FolderDialog.h"
#include "MessageBoxes.h"
#include "SettingsFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

constexpr const char* kFormClass = "TFormMain";
constexpr int kGlyphBackup = 0, kGlyphClose = 1, kGlyphDetail = 2, kGlyphOnTop = 3, kGlyphStop = 4,
              kGlyphFolderUpdate = 5;
constexpr int kStopIdleWidth = 23;

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
    ::SetWindowPos(Handle(), nullptr, w.Left, w.Top, w.Width, w.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    EditBaseDir.SetText(s.Options.BaseDir);
    EditArcDir.SetText(s.Options.ArcDir);
    CheckTimestamp.SetChecked(s.Options.Timestamp);
    CheckArchive.SetChecked(s.Options.Archive);
    CheckDeleteFiles.SetChecked(s.Options.DeleteFiles);
    CheckArcProgress.SetChecked(s.Options.ArcProgress);
    RadioArchive.SetItemIndex(s.Options.Lha);
    RadioArcName.SetItemIndex(s.Options.ArcName);
    EditArchiver.SetText(w.Archiver);
    RadioArcCtrl.SetItemIndex(w.DblClick);
    chkDelConfirm.SetChecked(s.Options.DelConfirm);
    chkDelUseRecycleBin.SetChecked(s.Options.DelUseRecycleBin);
    chkDelShowDialog.SetChecked(s.Options.DelShowDialog);
    Pages.SetActivePageIndex(w.Index >= TabBackup && w.Index <= TabArchive ? w.Index : TabOption);
    DetailVisible = w.DetailVisible;
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
    On(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        if (QuitOnDestroy) ::PostQuitMessage(0);
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
    SaveSettings();
    return true;
}

void TFormMain::TabChange() {
    if (Pages.ActivePageIndex() == TabArchive && Page(TabArchive).Tag == 0) {
        RefreshArchiveList();
        Page(TabArchive).Tag = 1;
    }
}

TWindowState TFormMain::CurrentWindowState() const {
    TWindowState w;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
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
    return o;
}

TMainLists TFormMain::CurrentLists() const {
    return {ListFiles.Items(), FolderEntries.Lines(), ListReg.Items()};
}

void TFormMain::SaveSettings() {
    // The detail window's geometry joins in once that window exists.
    const std::vector<std::string> errors = SaveMainSettings(
        AppDir, CurrentWindowState(), nullptr, ProjectMode, CurrentRunOptions(), CurrentLists());
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

void TFormMain::tbDetailClick() {
    // Until the detail window exists the toggle has nothing to show: it stays up.
    tb97Main.SetDown(tbDetailId, DetailVisible);
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
    if (chosen) {
        const std::string refusal = FolderPathRefusal(*chosen);
        if (refusal.empty())
            FolderEntries.Add(NewFolderEntry(*chosen));
        else
            ShowInfoBox(Handle(), refusal);
    }
    Pages.SetActivePageIndex(TabFol);
}

void TFormMain::FilesDropped(const TStrings& paths) {
    bool lastWasFile = false;
    std::string refused;
    for (const auto& path : paths) {
        if (DirectoryExists(path)) {
            lastWasFile = false;
            if (ContainsPath(ListFol.Items(), path)) continue;
            const std::string refusal = FolderPathRefusal(path);
            if (refusal.empty())
                FolderEntries.Add(NewFolderEntry(path));
            else
                refused += (refused.empty() ? "" : "\r\n") + refusal;
        } else if (FileExists(path)) {
            lastWasFile = true;
            if (!ContainsPath(ListFiles.Items(), path)) ListFiles.Add(path);
        }
    }
    Pages.SetActivePageIndex(lastWasFile ? TabBackup : TabFol);
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
    if (path.empty()) return;
    const auto parent = BrowseFolder(Handle(), "展開先フォルダの指定", "");
    if (!parent) return;
    const std::string folder = RestoreArchive(Handle(), path, *parent);
    ShowInfoBox(Handle(), "\"" + folder + "\"に展開しました");
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

}  // namespace ostra
