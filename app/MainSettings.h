// What the main window keeps in ostra.ini and the list files, read at start and written when it
// closes, as plain data so that the orders and the project-mode rule can be tested without a window.
#pragma once

#include <string>
#include <vector>

#include "RunOptions.h"
#include "SettingsFile.h"
#include "StringLists.h"

namespace ostra {

struct TWindowState {
    int Top = 0;
    int Left = 0;
    int Width = 300;
    int Height = 350;
    std::string Font = "MS UI Gothic";
    int Index = 3;
    int DblClick = 0;
    std::string Archiver;
    bool DetailVisible = false;
};

// The detail window's size and column widths ([Key]).
struct TDetailGeometry {
    int Width = 284;
    int Height = 241;
    int Name = 125;
    int Data = 125;
};

struct TMainSettings {
    TWindowState Window;
    TRunOptions Options;
};

// The three lists: backup.ini, the lines of backfol.ini (FolderEntries), backreg.ini.
struct TMainLists {
    TStrings Files;
    TStrings FolderEntries;
    TStrings Registry;
};

// [Option] Top to Index (KeepArchives before Index) and [Key] Visible, in the order the window
// reads them at start.
TMainSettings LoadMainSettings(const TSettingsFile& ini);
// [Key] Width, Height, Name, Data, read whenever the detail window opens.
TDetailGeometry LoadDetailGeometry(const TSettingsFile& ini);
// [Key] Width, Height, Name, Data, written as the detail window closes.
void SaveDetailGeometry(TSettingsFile& ini, const TDetailGeometry& geometry);

// Replaces each list whose file exists in appDir; a missing file leaves its list as it was.
void LoadMainLists(const std::string& appDir, TMainLists& lists);

// The closing write, in its order: window state and [Key] Visible, DblClick, Archiver; the detail
// window's geometry when it is open; outside project mode the eleven options, KeepArchives (only
// when it is not 0 or the file has it already) and the three lists.
// A failed write of ostra.ini stops the writes to it, but each list is still written under its
// own guard, so that list edits are not lost with it. Returns the errors (empty when all was written).
std::vector<std::string> SaveMainSettings(const std::string& appDir, const TWindowState& window,
                                          const TDetailGeometry* openDetail, bool projectMode,
                                          const TRunOptions& options, const TMainLists& lists);

}  // namespace ostra
