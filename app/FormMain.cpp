#include "FormMain.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ArchiveFolders.h"
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

// The window font: the named Shift-JIS face with a character height of 13 pixels.
HFONT CreateWindowFont(const std::string& face) {
    return ::CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

}  // namespace

TFormMain::TFormMain(std::string appDir)
    : AppDir(std::move(appDir)), BrowseFolder(&widgets::BrowseForFolder) {}

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
    FolderEntries.clear();
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
    FolderEntries = lists.FolderEntries;
    for (const auto& line : FolderEntries) {
        std::string rest = line;
        ListFol.Add(CutToken(rest, ","));
    }
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
    On(WM_CONTEXTMENU, [this](WPARAM wp, LPARAM lp) -> LRESULT {
        HWND target = reinterpret_cast<HWND>(wp);
        if (target == ListFiles.Handle() || target == ListFol.Handle() || target == ListReg.Handle())
            ShowPopup(menu_.Popup(), lp);
        else if (target == RegView.Handle())
            ShowPopup(menu_.PopReg(), lp);
        else if (target == ListView.Handle())
            ShowPopup(menu_.PopArc(), lp);
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
    return {ListFiles.Items(), FolderEntries, ListReg.Items()};
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

void TFormMain::RefreshArchiveList() {
    if (!DirectoryExists(EditArcDir.Text())) return;
    const std::string dir = AddBackslash(EditArcDir.Text());
    EditArcDir.SetText(dir);
    ListView.Clear();
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((dir + "*.lzh").c_str(), &fd));
    if (!find) return;
    do {
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY)) continue;
        // One icon, the shell's for the first file listed, serves every row.
        if (!archiveIcons_) {
            SHFILEINFOA info{};
            const std::string path = dir + fd.cFileName;
            if (::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
                info.hIcon) {
                archiveIcons_.reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0));
                ImageList_AddIcon(archiveIcons_.get(), info.hIcon);
                ::DestroyIcon(info.hIcon);
                ListView.SetSmallImages(archiveIcons_.get());
            }
        }
        ListView.Add(fd.cFileName, archiveIcons_ ? 0 : -1);
    } while (::FindNextFileA(find.get(), &fd));
    ListView.SortByCaption();
}

void TFormMain::ShowPopup(HMENU menu, LPARAM at) {
    POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == static_cast<LPARAM>(-1)) ::GetCursorPos(&p);  // from the keyboard
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, Handle(), nullptr);
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

}  // namespace ostra
