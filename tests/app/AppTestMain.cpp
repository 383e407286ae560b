// The window program's tests run in one process with the application object of ostra: common
// controls, COM, and handler errors shown in the error box (which the tests' watchdog closes),
// on a Wine desktop of their own.
#include <gtest/gtest.h>

#include "Application.h"
#include "WindowTestSupport.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::UseOwnDesktop();
    ostra::TApplication application;
    return RUN_ALL_TESTS();
}
