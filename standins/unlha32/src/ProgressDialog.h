// The progress window of -n0: the current name, a bar and a cancel button. It is modeless and
// lives on the caller's thread; every update pumps the thread's pending messages, so it
// repaints and sees the button, and nothing here ever waits. When no window can be made (no
// display), the command simply runs without it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Win32Handle.h"

namespace unlha {

class ProgressDialog {
  public:
    // The class name, for whoever needs to find the window.
    static constexpr const char* kClassName = "UnlhaProgressDialog";

    ProgressDialog(HWND owner, const std::string& caption);
    ~ProgressDialog();
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    void SetMember(const std::string& name);
    // done of total bytes of the current member; pumps messages at most every few milliseconds.
    void SetProgress(std::uint64_t done, std::uint64_t total);
    // Handles what is pending now.
    void Pump();
    bool Cancelled() const { return cancelled_; }
    HWND Window() const { return window_.get(); }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND owner_ = nullptr;
    bool ownerDisabled_ = false;
    WindowHandle window_;
    HWND nameLabel_ = nullptr;
    HWND bar_ = nullptr;
    bool cancelled_ = false;
    ULONGLONG lastPump_ = 0;
};

}  // namespace unlha
