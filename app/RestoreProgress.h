// The progress of a restore ("展開..."): a small window over the main window with the archive's
// name, the entry being written, a bar of the entries done and a cancel button. The main window
// is disabled while it shows (nothing else may start meanwhile), and enabled again when it goes.
#pragma once

#include <windows.h>

#include <string>

#include "StdControls.h"
#include "Window.h"

namespace ostra {

inline constexpr const char* kRestoreProgressCaption = "展開しています";

class TRestoreProgress : public widgets::TWindow {
  public:
    // total: the entries the archive holds (the bar's end).
    TRestoreProgress(HWND owner, HFONT font, const std::string& archiveName, int total);
    ~TRestoreProgress() override;

    // An entry is begun. The window is brought up to date, and the pending messages handled
    // (its cancel button can be pressed), at most every few hundredths of a second.
    void Step(const std::string& entryName);
    // The cancel button, Esc or the close box was pressed.
    bool Cancelled() const { return cancelled_; }

  private:
    void Pump();
    HWND owner_;
    bool ownerWasEnabled_ = false;
    widgets::TLabel archiveLabel_, entryLabel_;
    widgets::TButton cancel_;
    HWND bar_ = nullptr;
    int total_, done_ = 0;
    ULONGLONG lastUpdate_ = 0;
    std::string entry_;
    bool cancelled_ = false;
};

}  // namespace ostra
