// TFormProject, the project dialog: the name to save the current configuration under, and the
// projects that exist (a click takes a name over, the Delete key deletes that project's archive).
// It is shown without being modal while the main window is disabled; closing it discards the
// project work files and enables the main window again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Hints.h"
#include "ListBox.h"
#include "StdControls.h"
#include "Window.h"

namespace ostra {

inline constexpr const char* kProjectCaption = "Ostra プロジェクト";
inline constexpr int kProjectClientWidth = 201;
inline constexpr int kProjectClientHeight = 162;

class TFormProject : public widgets::TWindow {
  public:
    // appDir: the program folder; owner: the main window, enabled again when the dialog closes.
    TFormProject(std::string appDir, HWND owner);
    ~TFormProject() override;

    // Makes the dialog at (left, top) with the font and fills the list (FormCreate); not shown yet.
    bool Create(int left, int top, HFONT font);
    // btnSaveProjectClick hands the name here (the main window's SaveProject).
    std::function<void(const std::string& name)> OnSaveProject;

    widgets::TLabel lblName, lblList;
    widgets::TEdit edProject;
    widgets::TButton btnSaveProject;
    widgets::TListBox ListProject;
    widgets::THints Hints;

    void FormCreate();
    void ListProjectClick();
    void ListProjectKeyDown(WORD& key);
    void edProjectKeyPress(char& key);
    void btnSaveProjectClick();
    // Deletes the work files and enables the owner; closing is never refused.
    bool FormCloseQuery();
    // Closes the dialog as its close button does (FormCloseQuery, then the window goes).
    void Close();
    bool IsOpen() const { return Handle() != nullptr; }

  private:
    std::string appDir_;
    HWND owner_;
};

}  // namespace ostra
