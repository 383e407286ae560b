#include "RestoreProgress.h"

#include <commctrl.h>

namespace ostra {

namespace {

constexpr ULONGLONG kUpdateInterval = 50;
constexpr int kWidth = 360, kHeight = 150;  // within the main window at its smallest

}  // namespace

TRestoreProgress::TRestoreProgress(HWND owner, HFONT font, const std::string& archiveName, int total)
    : owner_(owner), total_(total > 0 ? total : 1) {
    RECT o{};
    ::GetWindowRect(owner, &o);
    const int x = o.left + ((o.right - o.left) - kWidth) / 2, y = o.top + ((o.bottom - o.top) - kHeight) / 2;
    if (!CreateHandle("TRestoreProgress", WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU, kRestoreProgressCaption, x, y, kWidth, kHeight,
                      owner))
        return;
    RECT c{};
    ::GetClientRect(Handle(), &c);
    const int w = c.right - 24;
    archiveLabel_.Create(Handle(), archiveName + " を展開しています", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS);
    archiveLabel_.SetBounds(12, 10, w, 18);
    entryLabel_.Create(Handle(), "", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS);
    entryLabel_.SetBounds(12, 32, w, 18);
    bar_ = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 12, 56, w, 18, Handle(), nullptr,
                             widgets::ProgramInstance(), nullptr);
    ::SendMessageA(bar_, PBM_SETRANGE32, 0, total_);
    cancel_.Create(Handle(), "キャンセル", BS_DEFPUSHBUTTON);
    cancel_.SetBounds(c.right - 12 - 90, 84, 90, 26);
    cancel_.OnClick = [this] { cancelled_ = true; };
    for (widgets::TControl* control :
         {static_cast<widgets::TControl*>(&archiveLabel_), static_cast<widgets::TControl*>(&entryLabel_),
          static_cast<widgets::TControl*>(&cancel_)})
        control->SetFont(font);
    OnCommand(IDCANCEL, [this] { cancelled_ = true; });  // Esc
    On(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        cancelled_ = true;  // the close box cancels; the window goes with the restore
        return 0;
    });
    // A modal window's manners: the main window takes no commands while the restore runs.
    ownerWasEnabled_ = !::EnableWindow(owner_, FALSE);
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    ::UpdateWindow(Handle());
    cancel_.SetFocus();
}

TRestoreProgress::~TRestoreProgress() {
    if (ownerWasEnabled_) ::EnableWindow(owner_, TRUE);
    // The main window takes the activation back before this one goes (else another program's
    // window would come to the front).
    if (Handle() && ::GetActiveWindow() == Handle()) ::SetActiveWindow(owner_);
}

void TRestoreProgress::Step(const std::string& entryName) {
    ++done_;
    entry_ = entryName;
    const ULONGLONG now = ::GetTickCount64();
    if (now - lastUpdate_ < kUpdateInterval) return;
    lastUpdate_ = now;
    if (!Handle()) return;
    entryLabel_.SetText(entry_);
    ::SendMessageA(bar_, PBM_SETPOS, done_ < total_ ? done_ : total_, 0);
    Pump();
}

void TRestoreProgress::Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop the restore returns to
            cancelled_ = true;
            break;
        }
        if (::IsDialogMessageA(Handle(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

}  // namespace ostra
