#include "Control.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <vector>

#include "Window.h"

namespace widgets {

namespace {
constexpr const char* kWrapperProperty = "PelmiraControl";
constexpr UINT_PTR kSubclassId = 0x50454C;
}  // namespace

TControl::~TControl() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        if (hooked_) ::RemoveWindowSubclass(hwnd_, &TControl::SubclassProc, kSubclassId);
        ::RemovePropA(hwnd_, kWrapperProperty);
        ::DestroyWindow(hwnd_);
    }
}

TControl* TControl::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TControl*>(::GetPropA(hwnd, kWrapperProperty)) : nullptr;
}

bool TControl::CreateControl(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                             HWND parent, int id) {
    HWND h = ::CreateWindowExA(exStyle, className, text.c_str(), style | WS_CHILD, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
    if (!h) return false;
    Bind(h);
    return true;
}

void TControl::Bind(HWND hwnd) {
    if (!hwnd_) hwnd_ = hwnd;
    ::SetPropA(hwnd, kWrapperProperty, this);
}

void TControl::SetBounds(int x, int y, int width, int height) {
    ::MoveWindow(hwnd_, x, y, width, height, TRUE);
}

RECT TControl::Bounds() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int TControl::Width() const {
    RECT r = Bounds();
    return r.right - r.left;
}

int TControl::Height() const {
    RECT r = Bounds();
    return r.bottom - r.top;
}

void TControl::SetHeight(int height) {
    RECT r = Bounds();
    SetBounds(r.left, r.top, r.right - r.left, height);
}

void TControl::SetVisible(bool visible) {
    ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
bool TControl::Visible() const {
    return (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}
void TControl::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled);
}
bool TControl::Enabled() const {
    return ::IsWindowEnabled(hwnd_) != 0;
}
void TControl::SetFont(HFONT font) {
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

std::string TControl::Text() const {
    int n = ::GetWindowTextLengthA(hwnd_);
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    int got = ::GetWindowTextA(hwnd_, buf.data(), n + 1);
    return std::string(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void TControl::SetText(const std::string& text) {
    ::SetWindowTextA(hwnd_, text.c_str());
}
void TControl::SetFocus() {
    ::SetFocus(hwnd_);
}

bool TControl::HandleCommand(WPARAM) {
    return false;
}
bool TControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}

void TControl::HookKeys() {
    if (hooked_ || !hwnd_) return;
    hooked_ = ::SetWindowSubclass(hwnd_, &TControl::SubclassProc, kSubclassId,
                                  reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

bool TControl::HandleOwnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (message == WM_KEYDOWN && OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        OnKeyDown(key);
        if (key == 0) {
            result = 0;
            return true;
        }
    } else if (message == WM_CHAR && OnKeyPress) {
        char key = static_cast<char>(wp);
        OnKeyPress(key);
        if (key == 0) {
            result = 0;
            return true;
        }
    } else if (message == WM_CONTEXTMENU && OnContextMenu) {
        POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (lp == static_cast<LPARAM>(-1)) {
            at = KeyboardMenuPoint();
            ::ClientToScreen(hwnd_, &at);
        }
        OnContextMenu(at);
        result = 0;
        return true;
    } else if (message == WM_GETDLGCODE && OnKeyPress && lp) {
        // Enter reaches the control's key handler, not the dialog manager (Tab still moves on).
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if ((m->message == WM_KEYDOWN || m->message == WM_CHAR) && m->wParam == VK_RETURN) {
            result = DLGC_WANTMESSAGE | ::DefSubclassProc(hwnd_, message, wp, lp);
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK TControl::SubclassProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR data) {
    auto* self = reinterpret_cast<TControl*>(data);
    try {
        LRESULT result = 0;
        if (self && self->HandleOwnMessage(message, wp, lp, result)) return result;
    } catch (const std::exception& e) {
        TWindow::ReportException(e.what());
        return 0;
    } catch (...) {
        TWindow::ReportException("予期しないエラーが発生しました");
        return 0;
    }
    return ::DefSubclassProc(hwnd, message, wp, lp);
}

}  // namespace widgets
