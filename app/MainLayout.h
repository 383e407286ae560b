// The controls of the main window, where they sit and what they say: captions, hints and the
// anchor tables of the pages. The form's behaviour lives in FormMain; this file only builds.
#pragma once

#include <windows.h>

#include <memory>

#include "EllipsisEdit.h"
#include "Hints.h"
#include "ListBox.h"
#include "ListView.h"
#include "PageControl.h"
#include "RadioGroup.h"
#include "RegistryTreeView.h"
#include "SpinEdit.h"
#include "StdControls.h"
#include "ToolBar.h"

namespace ostra {

// Page indices, as [Option] Index stores them.
enum TMainPage { TabBackup = 0, TabFol = 1, TabReg = 2, TabOption = 3, TabArchive = 4 };

struct TMainControls {
    widgets::THints Hints;
    widgets::TToolBar tb97Main;
    widgets::TPageControl Pages;
    // File list page
    widgets::TListBox ListFiles;
    // Folder list page
    widgets::TListBox ListFol;
    widgets::TGroupBox grpFolderSetting;
    widgets::TLabel lblTitle, lblFilter;
    widgets::TEdit EditTitle, EditFilter;
    widgets::TCheckBox CheckSubFol;
    widgets::TButton tbFolUpdate;
    // Registry page
    TRegistryTreeViewJ RegView;
    widgets::TListBox ListReg;
    // Settings page
    widgets::TGroupBox grpBaseDir, grpBackup, grpArchive, grpDelete;
    widgets::TLabel lblBaseDir, lblArcDir;
    widgets::TEllipsisEdit EditBaseDir, EditArcDir;
    widgets::TCheckBox CheckTimestamp, CheckArchive, CheckArcProgress, CheckDeleteFiles;
    widgets::TRadioGroup RadioArchive, RadioArcName;
    widgets::TCheckBox chkDelConfirm, chkDelUseRecycleBin, chkDelShowDialog;
    // How many archives to keep ([Option] KeepArchives).
    widgets::TLabel lblKeepArchives;
    widgets::TSpinEdit EditKeepArchives;
    // Archive page
    widgets::TListView ListView;
    widgets::TRadioGroup RadioArcCtrl;
    widgets::TGroupBox grpArchiver;
    widgets::TEllipsisEdit EditArchiver;

    widgets::TTabSheet& Page(TMainPage p) { return Pages.Page(p); }
};

// Creates every control on the form with its caption, hint and font, and the pages' layouts.
void BuildMainLayout(TMainControls& c, HWND form, HFONT font, HICON folderUpdateGlyph);

// Lays out the toolbar and the pages in the form's client area.
void LayoutMainWindow(TMainControls& c, int clientWidth, int clientHeight);

// The sizing rules of the main window: never below 375 × 400; the registry tree takes half of
// every pixel of height beyond 400 (halves rounded to even); the archive column is width − 30.
struct TMainSize {
    int Width;
    int Height;
    int TreeHeight;
    int ColumnWidth;
};
inline constexpr int kMinWidth = 375;
inline constexpr int kMinHeight = 400;
inline constexpr int kMinTreeHeight = 120;
TMainSize MainResizeRule(int width, int height);

// Rounds numerator / 2 to the nearest integer, halves to even.
int HalfRoundedToEven(int numerator);

}  // namespace ostra
