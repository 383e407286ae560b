// The one window base class: it registers the window class, binds the C++ object to its window
// in the creation trampoline and dispatches each message to the handler registered for it.
// Notifications of child controls (WM_COMMAND, WM_NOTIFY) are handed to the control's own
// wrapper first, so that a control raises its events wherever it sits.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <unordered_map>

namespace widgets {

class TWindow {
  public:
    using THandler = std::function<LRESULT(WPARAM, LPARAM)>;

    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return hwnd_; }

    // Registers className (once per process) and creates the window. False when it could not be
    // made.
    bool CreateHandle(const char* className, DWORD exStyle, DWORD style, const std::string& caption, int x,
                      int y, int width, int height, HWND parent, HMENU menu = nullptr);
    void DestroyHandle();

    // What happens to an error that escapes a handler (it must never cross into the system's
    // code): shown in a box by default; the application installs its own error box.
    static void SetExceptionHandler(std::function<void(const std::string&)> handler);
    static void ReportException(const std::string& message);

  protected:
    // The handler of one message; a later registration replaces an earlier one.
    void On(UINT message, THandler handler);
    // The handler of a menu or accelerator command (WM_COMMAND without a control).
    void OnCommand(UINT id, std::function<void()> handler);

    // Runs the registered handler or, without one, the default processing.
    virtual LRESULT WndProc(UINT message, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT message, WPARAM wp, LPARAM lp);

  private:
    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT message, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    std::unordered_map<UINT, THandler> handlers_;
    std::unordered_map<UINT, std::function<void()>> commands_;
};

// The module that holds the program's resources and window classes.
HINSTANCE ProgramInstance();

}  // namespace widgets
