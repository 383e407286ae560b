// The main window in this process for a test: a program folder of its own, the form started and
// shown on the test display, closed as the user closes it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "FormMain.h"
#include "TestHostWindow.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

namespace app_test {

class FormMainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing_support::HasTestDisplay())
            << "no test X display (start Xvfb, see scripts/display.sh)";
        prog = dir.Path();
    }
    std::unique_ptr<ostra::TFormMain> Start() {
        auto form = std::make_unique<ostra::TFormMain>(prog);
        EXPECT_TRUE(form->Create());
        form->Show(SW_SHOWNOACTIVATE);
        testing_support::PumpFor(30);
        return form;
    }
    // Closes the window as the user does and waits until it is gone.
    static bool Close(ostra::TFormMain& form) {
        ::PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
        return testing_support::PumpUntil([&] { return form.Handle() == nullptr; });
    }
    static RECT WindowRect(const ostra::TFormMain& form) {
        RECT r{};
        ::GetWindowRect(form.Handle(), &r);
        return r;
    }
    static void ClickToolButton(ostra::TFormMain& form, int id) {
        RECT r = form.tb97Main.ButtonRect(id);
        testing_support::ClickAt(form.tb97Main.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Opens the detail window by its toolbar toggle; null when it did not open.
    static ostra::TFormPlus* OpenDetail(ostra::TFormMain& form) {
        if (!form.DetailForm()) ClickToolButton(form, ostra::tbDetailId);
        return form.DetailForm();
    }
    // A menu or pop-up command, as choosing it does.
    static void Command(ostra::TFormMain& form, UINT id) {
        ::SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    // A click on a row of a list box, as the user selects it (raises its click event).
    static void ClickRow(widgets::TListBox& list, int row) {
        RECT r{};
        ::SendMessageA(list.Handle(), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        testing_support::ClickAt(list.Handle(), r.left + 4, (r.top + r.bottom) / 2);
    }
    // A right click at a point of a control, its middle by default.
    static void RightClick(widgets::TControl& c, POINT at = {-1, -1}) {
        RECT r{};
        ::GetClientRect(c.Handle(), &r);
        if (at.x < 0) at = {r.right / 2, r.bottom / 2};
        testing_support::PressAt(c.Handle(), at.x, at.y, true);
    }
    // Opens the control's pop-up menu by a right click and chooses an item (see MenuWatchdog);
    // returns the menu's captions.
    static std::vector<std::string> ChooseFromMenuOf(widgets::TControl& c, int item, POINT at = {-1, -1}) {
        testing_support::MenuWatchdog menu(item);
        RightClick(c, at);
        return menu.Items();
    }
    testing_support::TempDir dir;
    std::string prog;
};

}  // namespace app_test
