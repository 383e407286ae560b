#include "Application.h"

#include <commctrl.h>
#include <ole2.h>

#include "FormMain.h"
#include "MessageBoxes.h"

namespace ostra {

TApplication::TApplication() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                             ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    comInitialized_ = SUCCEEDED(::OleInitialize(nullptr));
    widgets::TWindow::SetExceptionHandler(
        [](const std::string& message) { ShowErrorBox(::GetActiveWindow(), message); });
}

TApplication::~TApplication() {
    if (comInitialized_) ::OleUninitialize();
}

void DispatchMainMessage(TFormMain& mainForm, MSG& msg) {
    HWND main = mainForm.Handle();
    if (main && ::TranslateAcceleratorA(main, mainForm.Accelerators(), &msg)) return;
    // Tab moves between the controls of the window the key was meant for: the main window or a
    // window it owns (the project dialog).
    HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && main && (root == main || ::GetWindow(root, GW_OWNER) == main) &&
        ::IsDialogMessageA(root, &msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

int TApplication::Run(TFormMain& mainForm) {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMainMessage(mainForm, msg);
    return static_cast<int>(msg.wParam);
}

}  // namespace ostra
