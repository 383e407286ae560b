// TFormMain, the main window of ostra: a toolbar, the main menu and five pages. The handlers are
// named after their control and event; what they decide lives in plain functions (MainSettings,
// MainLayout) and in the engine.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ArchiveList.h"
#include "ArchiveRestore.h"
#include "FileDialog.h"
#include "FolderList.h"
#include "FormPlus.h"
#include "FormProject.h"
#include "GdiHandles.h"
#include "MainLayout.h"
#include "MainMenu.h"
#include "MainSettings.h"
#include "Window.h"
#include "StringLists.h"

namespace ostra {

inline constexpr const char* kMainCaption = "Pelmira : 0.0.9.5";
inline constexpr const char* kHelpFile = "Pelmira.chm";
// Posted by FormShow: the notice of the last unattended run.
inline constexpr UINT kLastRunNoticeMessage = WM_APP + 0x40;

class TFormMain : public widgets::TWindow, public TMainControls {
  public:
    // appDir: the program folder with a trailing backslash (tests give a folder of their own).
    explicit TFormMain(std::string appDir);
    ~TFormMain() override;

    // FormCreate: makes the window and its controls, reads the settings and lists; not shown yet.
    bool Create();
    // Shows the window the first time (FormShow).
    void Show(int cmdShow = SW_SHOWNORMAL);
    // The notice of an unattended run that did not end cleanly, once (LastRunNotice); FormShow
    // posts it, so that it comes after the window is shown.
    void ShowLastRunNotice();
    HACCEL Accelerators() const { return menu_.Accelerators(); }
    // The program ends when this window is gone (not so in tests, which have no message loop).
    bool QuitOnDestroy = false;

    // Fields of the form.
    std::string AppDir;
    // One backfol.ini line per row of ListFol; it changes both together.
    TFolderList FolderEntries{ListFol};
    std::string SelectedKey;
    bool ProjectMode = false;
    bool StopRequested = false;
    bool DetailVisible = false;

    // The folder-browse dialog the ellipsis buttons open; tests put their own choice here.
    std::function<std::optional<std::string>(HWND owner, const std::string& title,
                                             const std::string& initial)>
        BrowseFolder;
    // The file-open dialog; tests put their own choice here.
    std::function<TStrings(HWND owner, const widgets::TOpenFileRequest& request)> OpenFiles;
    // The shell's verbs on a path ("open", "explore") and the start of another program; nothing
    // waits for them or reports their failure. Tests put recorders here.
    std::function<void(HWND owner, const std::string& verb, const std::string& path)> ShellOpen;
    std::function<void(const std::string& commandLine)> StartProgram;

    // Start, sizing, closing.
    void FormCreate();
    void FormShow();
    void FormResize();
    // Saves and lets the window close (never refused).
    bool FormCloseQuery();
    // The session ends (WM_ENDSESSION): saved as closing saves, a run under way stopped before
    // its archive, no box shown.
    void SessionEnds();
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
    // The folder the archive rows were listed from (with its backslash), or the edit's folder
    // while nothing was listed.
    std::string ArchiveFolder() const;

    // List editing.
    void mAddFileClick();
    void mAddFolderClick();
    void mFolUpdateClick();
    void mDeleteClick();
    void mClearClick();
    void mSortClick();
    void mRegGetClick();
    void RegViewChange(TRegistryTreeView& sender, TTreeNode node, HKEY key, const std::string& keyName);
    void ListFilesClick();
    void ListFolClick();
    // Paths dropped from the shell, in the shell's order.
    void FilesDropped(const TStrings& paths);
    // The list a pop-up command of Popup acts on: the one it was opened on.
    widgets::TListBox* PopupList() const { return popupList_; }
    // Delete key and "リストから削除(&D)": the selected rows, from the last to the first.
    void DeleteFromList(widgets::TListBox& list);

    // Archive page commands.
    void mAssociateClick();
    void mArchiverClick();
    void mExplorClick();
    void mFolderClick();
    void mDeleteFileClick();
    void mRefreshClick() { RefreshArchiveList(); }
    // "展開...": the selected archive into a new folder named after it, below a chosen folder.
    void mExtractClick();
    // "選択したファイルを展開..." of the detail window's entry list: the selected entries of the
    // archive it shows, as "展開..." restores the whole archive.
    void DetailExtractChosenClick();
    // The restore itself, with its progress window and cancel button over this window: the whole
    // archive, or the chosen entries (see RestoreArchive).
    TRestoreResult RestoreWithProgress(const std::string& archivePath, const std::string& parent,
                                       const std::optional<TStrings>& chosen = std::nullopt);
    void ListViewClick();
    void ListViewDblClick();
    void EditArchiverEllipsisClick();

    // The backup run from the window: the folder checks, then the engine's run with the lists
    // as shown, the log in the detail window while it is open, the stop button between items.
    void mBackupClick();
    void tbStopClick();
    // The stop callback of the run: the pending messages first (the window repaints, the stop
    // button can be pressed), then the flag.
    void CheckStop(bool& stop);
    // True while a run is under way: the lists and their commands are locked, the detail window
    // stays open, closing the main window waits for the end of the run.
    bool Running() const { return running_; }
    // Called at each stop check after the pending messages (tests act on the window mid-run).
    std::function<void()> OnStopCheck;

    // The detail window: opened and closed by tbDetail, restored at start-up.
    void tbDetailClick();
    // The open detail window, or null.
    TFormPlus* DetailForm() const { return DetailOpen() ? detail_.get() : nullptr; }

    // Projects (FormMainProject.cpp): the project menu, the project dialog, saving and loading.
    void mProjectClick();
    void PopulateProjectMenu();
    void mProjectMakeClick();
    void mProjectSaveClick();
    void mReadiniClick();
    void mWriteiniClick();
    // A project item of the menu; name is the project's name (its caption).
    void mProjectItemClick(const std::string& name);
    // The dialog's save: packs the work files as project name.
    void SaveProject(const std::string& name);
    // The project dialog while it is open, else null.
    TFormProject* ProjectForm() const;
    // The names of the project items in the menu, in menu order.
    const TStrings& ProjectMenuNames() const { return projectItems_; }

    // What the detail window shows for a click in the lists; called only while DetailVisible.
    // During a run the window shows the log and keeps it.
    void DetailShowFile(const std::string& path);
    void DetailShowFolderPreview();
    void DetailShowRegistryValues(TTreeNode node);
    void DetailShowArchiveEntries();

  protected:
    LRESULT WndProc(UINT message, WPARAM wp, LPARAM lp) override;

  private:
    bool DetailOpen() const { return detail_ && detail_->Handle(); }
    void OpenDetail();
    // FormClose of the detail window: the toggle up, its geometry written to [Key].
    void DetailFormClose();
    // The detail window's control and captions for the active page (on a page change emptied).
    void DetailFollowPage(bool pageChanged);
    void SetStopButtonRunning(bool running);
    // Locks or frees the lists and the commands that change them while a run reads them.
    void SetRunning(bool running);
    void BindEvents();
    void ApplySettings(const TMainSettings& s);
    void ApplyRunOptions(const TRunOptions& o);
    void AddProjectMenuItem(const std::string& name);
    void CloseProjectForm();
    void ChooseFolder(widgets::TEllipsisEdit& edit, const char* title);
    void ShowPopup(HMENU menu, POINT at);
    void WMDropFiles(HDROP drop);
    // The one selected folder row (the caret row when it is selected), -1 without one.
    int CurrentFolderRow() const;
    // Selects one folder row alone and shows its settings in the group.
    void SelectFolderRow(int row);
    void FolderEditKeyPress(const widgets::TEdit& edit, char& key);
    // Asks for the parent folder, restores into a new folder below it and tells how it went.
    void RestoreAsked(const std::string& archivePath, const std::optional<TStrings>& chosen);

    TMainMenu menu_;
    widgets::FontHandle font_;
    widgets::IconHandle folderUpdateGlyph_;
    TArchiveList archives_{ListView};
    widgets::TListBox* popupList_ = nullptr;
    bool resizing_ = false;
    std::unique_ptr<TFormPlus> detail_;
    bool running_ = false;
    // The user closed the main window during a run: it closes once the run is over.
    bool closeAfterRun_ = false;
    // The log of the run under way while the detail window shows it, else null.
    TMemoLog* runLog_ = nullptr;
    // Windows is ending the session: a run stops and shows nothing.
    bool sessionEnding_ = false;
    std::unique_ptr<TFormProject> projectForm_;
    TStrings projectItems_;
    bool projectMenuFilled_ = false;
    // The folder the last restore went into, where the next one starts.
    std::string lastRestoreParent_;
    // A restore is under way (its folder dialog or its progress): no other starts meanwhile.
    bool restoring_ = false;
};

}  // namespace ostra
