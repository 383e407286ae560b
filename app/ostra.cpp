// ostra: the window program. Edits what is backed up, sets the options, keeps them in ostra.ini
// and the list files beside itself.
#include <windows.h>

#include <exception>

#include "Application.h"
#include "FormMain.h"
#include "MessageBoxes.h"
#include "TextRoutines.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int cmdShow) {
    try {
        ostra::TApplication application;
        ostra::TFormMain form(ostra::AppDir());
        form.QuitOnDestroy = true;
        if (!form.Create()) return 1;
        form.Show(cmdShow);
        return application.Run(form);
    } catch (const std::exception& e) {
        ostra::ShowErrorBox(nullptr, e.what());
        return 1;
    }
}
