// The window tests of the components run on the test display, with the common controls set up
// once for the process, on a Wine desktop of their own.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "WindowTestSupport.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::UseOwnDesktop();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::OleInitialize(nullptr);
    const int status = RUN_ALL_TESTS();
    ::OleUninitialize();
    return status;
}
