// A plain top-level window for tests that place controls on it, made with the window base class
// (so that the controls' notifications reach their wrappers as on a form).
#pragma once

#include "Window.h"

namespace testing_support {

class TestHostWindow : public widgets::TWindow {
  public:
    bool Create(int width = 400, int height = 300) {
        if (!CreateHandle("PelmiraTestHost", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                          "test host", 0, 0, width, height, nullptr))
            return false;
        ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        return true;
    }
    using widgets::TWindow::On;
    using widgets::TWindow::OnCommand;
};

// Presses the left mouse button at a point of a control's client area, as a click there does.
inline void ClickAt(HWND control, int x, int y, bool doubleClick = false) {
    const LPARAM at = MAKELPARAM(x, y);
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(control, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        ::SendMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::SendMessageA(control, WM_LBUTTONUP, 0, at);
    }
}

// A click of the left or right button at a point of a control's client area, for controls that
// follow the button in a loop of their own until it is released (a list view waits there to tell
// a click from a drag): the release is queued before the press is handed over, and then handled.
inline void PressAt(HWND control, int x, int y, bool right = false) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageA(control, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
    ::SendMessageA(control, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace testing_support
