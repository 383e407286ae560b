// TFormMain, the main window of ostra: a toolbar, the main menu and five pages. The handlers are
// named after their control and event; what they decide lives in plain functions (MainSettings,
// MainLayout) and in the engine.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>

#include "GdiHandles.h"
#include "MainLayout.h"
#include "MainMenu.h"
#include "MainSettings.h"
#include "Window.h"
#include "ostra_types.h"

namespace ostra {

inline constexpr const char* kMainCaption = "Pelmira : 0.0.9.5";
inline constexpr const char* kHelpFile = "Pelmira.chm";

class TFormMain : public widgets::TWindow, public TMainControls {
  public:
    // appDir: the program folder with a trailing backslash (tests give a folder of their own).
    explicit TFormMain(std::string appDir);
    ~TFormMain() override;

    // FormCreate: makes the window and its controls, reads the settings and lists; not shown yet.
    bool Create();
    // Shows the window the first time (FormShow).
    void Show(int cmdShow = SW_SHOWNORMAL);
    HACCEL Accelerators() const { return menu_.Accelerators(); }
    // The program ends when this window is gone (not so in tests, which have no message loop).
    bool QuitOnDestroy = false;

    // Fields of the form.
    std::string AppDir;
    TStrings FolderEntries;  // one backfol.ini line per row of ListFol
    std::string SelectedKey;
    bool ProjectMode = false;
    bool StopRequested = false;
    bool DetailVisible = false;

    // The folder-browse dialog the ellipsis buttons open; tests put their own choice here.
    std::function<std::optional<std::string>(HWND owner, const std::string& title,
                                             const std::string& initial)>
        BrowseFolder;

    // Start, sizing, closing.
    void FormCreate();
    void FormShow();
    void FormResize();
    // Saves and lets the window close (never refused).
    bool FormCloseQuery();
    void TabChange();
    void LoadSettings();
    // Writes ostra.ini and, outside project mode, the lists; shows what failed in one error box.
    void SaveSettings();
    // The state SaveSettings writes, gathered from the controls.
    TWindowState CurrentWindowState() const;
    TRunOptions CurrentRunOptions() const;
    TMainLists CurrentLists() const;

    // Toolbar and menu commands.
    void mCloseClick();
    void tbOnTopClick();
    void mExploreClick();
    void mRegEditClick();
    void mHelpExClick();
    void mAboutClick();

    // Settings page.
    void EditBaseDirEllipsisClick();
    void EditArcDirEllipsisClick();
    void EditBaseDirChange();
    void EditArcDirChange();
    void CheckDeleteFilesClick();

    // Archive page: the list of the archive folder's *.lzh files.
    void RefreshArchiveList();

    // Commands whose behaviour comes with the list editing, the run, the archive commands, the
    // detail window and the projects; bound to their controls already.
    void mAddFileClick() {}
    void mAddFolderClick() {}
    void mFolUpdateClick() {}
    void mBackupClick() {}
    void tbStopClick() {}
    void tbDetailClick();
    void mProjectClick() {}
    void mProjectMakeClick() {}
    void mProjectSaveClick() {}
    void mReadiniClick() {}
    void mWriteiniClick() {}
    void mDeleteClick() {}
    void mClearClick() {}
    void mSortClick() {}
    void mRegGetClick() {}
    void mAssociateClick() {}
    void mArchiverClick() {}
    void mExplorClick() {}
    void mFolderClick() {}
    void mDeleteFileClick() {}
    void mRefreshClick() { RefreshArchiveList(); }
    void RegViewChange(TRegistryTreeView&, TTreeNode, HKEY, const std::string&) {}
    void ListFilesClick() {}
    void ListFolClick() {}
    void ListViewClick() {}
    void ListViewDblClick() {}
    void EditArchiverEllipsisClick() {}
    // Paths dropped from the shell, in the shell's order.
    void FilesDropped(const TStrings&) {}

  private:
    void BindEvents();
    void ApplySettings(const TMainSettings& s);
    void ChooseFolder(widgets::TEllipsisEdit& edit, const char* title);
    void ShowPopup(HMENU menu, LPARAM at);
    void WMDropFiles(HDROP drop);

    TMainMenu menu_;
    widgets::FontHandle font_;
    widgets::IconHandle folderUpdateGlyph_;
    widgets::ImageListHandle archiveIcons_;
    bool resizing_ = false;
};

}  // namespace ostra
