#include "Window.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "Control.h"

namespace widgets {

namespace {

std::function<void(const std::string&)>& ExceptionHandler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

}  // namespace

HINSTANCE ProgramInstance() {
    return ::GetModuleHandleA(nullptr);
}

TWindow::~TWindow() {
    DestroyHandle();
}

void TWindow::DestroyHandle() {
    if (hwnd_) {
        HWND h = hwnd_;
        ::DestroyWindow(h);
        // WM_NCDESTROY has cleared hwnd_; a window destroyed from outside cleared it earlier.
        hwnd_ = nullptr;
    }
}

bool TWindow::CreateHandle(const char* className, DWORD exStyle, DWORD style, const std::string& caption,
                           int x, int y, int width, int height, HWND parent, HMENU menu) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExA(ProgramInstance(), className, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &TWindow::Trampoline;
        wc.hInstance = ProgramInstance();
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = ::LoadIconA(ProgramInstance(), "MAINICON");
        wc.lpszClassName = className;
        if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    ::CreateWindowExA(exStyle, className, caption.c_str(), style, x, y, width, height, parent, menu,
                      ProgramInstance(), this);
    return hwnd_ != nullptr;
}

void TWindow::SetExceptionHandler(std::function<void(const std::string&)> handler) {
    ExceptionHandler() = std::move(handler);
}

void TWindow::ReportException(const std::string& message) {
    if (ExceptionHandler())
        ExceptionHandler()(message);
    else
        ::MessageBoxA(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void TWindow::On(UINT message, THandler handler) {
    handlers_[message] = std::move(handler);
}

void TWindow::OnCommand(UINT id, std::function<void()> handler) {
    commands_[id] = std::move(handler);
}

LRESULT TWindow::DefaultProc(UINT message, WPARAM wp, LPARAM lp) {
    return ::DefWindowProcA(hwnd_, message, wp, lp);
}

LRESULT TWindow::WndProc(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND:
            if (lp) {
                if (TControl* c = TControl::FromHandle(reinterpret_cast<HWND>(lp)))
                    if (c->HandleCommand(wp)) return 0;
            } else if (auto it = commands_.find(LOWORD(wp)); it != commands_.end()) {
                it->second();
                return 0;
            }
            break;
        case WM_NOTIFY: {
            auto* nm = reinterpret_cast<NMHDR*>(lp);
            if (TControl* c = TControl::FromHandle(nm->hwndFrom)) {
                LRESULT result = 0;
                if (c->HandleNotify(nm, result)) return result;
            }
            break;
        }
        default:
            break;
    }
    if (auto it = handlers_.find(message); it != handlers_.end()) return it->second(wp, lp);
    return DefaultProc(message, wp, lp);
}

LRESULT TWindow::Dispatch(UINT message, WPARAM wp, LPARAM lp) {
    try {
        return WndProc(message, wp, lp);
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("予期しないエラーが発生しました");
    }
    return 0;
}

LRESULT CALLBACK TWindow::Trampoline(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    TWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<TWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(hwnd, message, wp, lp);
    LRESULT result = self->Dispatch(message, wp, lp);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace widgets
