// The main menu, the pop-up menus of the lists and the Ctrl shortcuts, with one command id per
// item; the form maps each id to its handler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "GdiHandles.h"

namespace ostra {

enum TMainCommand : UINT {
    // Main menu
    cmAddFile = 100,
    cmAddFolder,
    cmFolUpdate,
    cmBackup,
    cmClose,
    cmProjectMake,
    cmProjectSave,
    cmReadini,
    cmWriteini,
    cmExplore,
    cmRegEdit,
    cmHelpEx,
    cmAbout,
    // List pop-up (Popup), registry tree pop-up (PopReg), archive list pop-up (PopArc)
    cmDelete = 200,
    cmClear,
    cmSort,
    cmRegGet,
    cmAssociate,
    cmArchiver,
    cmExplor,
    cmFolder,
    cmDeleteFile,
    cmRefresh,
    cmExtract,
    // Detail window: its list of an archive's entries
    cmExtractChosen = 250,
    // Toolbar buttons
    tbBackupId = 300,
    tbCloseId,
    tbDetailId,
    tbOnTopId,
    tbStopId,
    // Project items of the project menu, one per project archive
    cmProjectItemFirst = 1000,
    cmProjectItemLast = 1999,
};

struct TShortcut {
    UINT command;
    char key;  // with Ctrl
};

// Ctrl+F, D, B, Q, N, S, E, R with their commands.
const std::vector<TShortcut>& MainShortcuts();

class TMainMenu {
  public:
    TMainMenu();
    // The menu bar; the window takes it over when it is attached (and destroys it with itself).
    HMENU Bar() const { return bar_; }
    HMENU ProjectMenu() const { return project_; }
    HACCEL Accelerators() const { return accelerators_.get(); }
    HMENU Popup() const { return popup_.get(); }
    HMENU PopReg() const { return popReg_.get(); }
    HMENU PopArc() const { return popArc_.get(); }
    // Once attached, the bar belongs to the window.
    void Attached() { barOwned_.release(); }

    // Menus cannot hide items: "基本設定を読み込む(&R)" is in the project menu exactly in project
    // mode, "基本設定に書き込む(&W)" exactly outside it.
    void ShowBaseSettingsItems(bool projectMode);
    // Appends a project item (the separator before the first one) and returns its command id.
    UINT AddProjectItem(const std::string& name);
    int ProjectItemCount() const { return projectItems_; }

  private:
    HMENU bar_ = nullptr;
    HMENU project_ = nullptr;
    int projectItems_ = 0;
    widgets::MenuHandle barOwned_;
    widgets::MenuHandle popup_, popReg_, popArc_;
    widgets::AcceleratorHandle accelerators_;
};

}  // namespace ostra
