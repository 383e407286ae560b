#include "ProgressDialog.h"

#include <commctrl.h>

namespace unlha {

namespace {

constexpr int kBarRange = 1000;
constexpr ULONGLONG kPumpIntervalMs = 30;

HINSTANCE ThisModule() {
    HMODULE m = nullptr;
    ::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &m);
    return m;
}

bool RegisterOnce(HINSTANCE instance, WNDPROC proc) {
    static const bool registered = [&] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = ProgressDialog::kClassName;
        return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

}  // namespace

ProgressDialog::ProgressDialog(HWND owner, const std::string& caption) : owner_(owner) {
    HINSTANCE instance = ThisModule();
    if (!RegisterOnce(instance, &ProgressDialog::WindowProc)) return;
    const int width = 380, height = 140;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_.reset(::CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, caption.c_str(),
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, owner, nullptr,
                                    instance, this));
    if (!window_) return;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));  // stock: never freed
    nameLabel_ =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 12,
                          12, width - 30, 20, window_.get(), nullptr, instance, nullptr);
    bar_ = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 12, 38, width - 30, 18,
                             window_.get(), nullptr, instance, nullptr);
    HWND button =
        ::CreateWindowExA(0, "BUTTON", "キャンセル", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                          (width - 100) / 2, 66, 100, 26, window_.get(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), instance, nullptr);
    for (HWND h : {nameLabel_, button})
        if (h) ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (bar_) ::SendMessageA(bar_, PBM_SETRANGE32, 0, kBarRange);
    // Like a modal dialog: the caller's window takes no input while the command runs.
    if (owner_ && ::IsWindowEnabled(owner_)) {
        ::EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    ::ShowWindow(window_.get(), SW_SHOWNORMAL);
    ::UpdateWindow(window_.get());
    Pump();
}

ProgressDialog::~ProgressDialog() {
    if (ownerDisabled_) ::EnableWindow(owner_, TRUE);
    if (window_) ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK ProgressDialog::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressDialog*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == IDCANCEL && self) self->cancelled_ = true;
            return 0;
        case WM_CLOSE:  // the close box cancels; the window goes with the command
            if (self) self->cancelled_ = true;
            return 0;
        default:
            return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void ProgressDialog::SetMember(const std::string& name) {
    if (nameLabel_) ::SetWindowTextA(nameLabel_, name.c_str());
    if (bar_) ::SendMessageA(bar_, PBM_SETPOS, 0, 0);
    Pump();
}

void ProgressDialog::SetProgress(std::uint64_t done, std::uint64_t total) {
    ULONGLONG now = ::GetTickCount64();
    if (now - lastPump_ < kPumpIntervalMs) return;
    if (bar_) {
        int pos = total ? static_cast<int>(done * kBarRange / total) : kBarRange;
        ::SendMessageA(bar_, PBM_SETPOS, pos > kBarRange ? kBarRange : pos, 0);
    }
    Pump();
}

void ProgressDialog::Pump() {
    lastPump_ = ::GetTickCount64();
    if (!window_) return;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: leave it for the caller's loop and stop the command.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            cancelled_ = true;
            break;
        }
        if (::IsDialogMessageA(window_.get(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace unlha
