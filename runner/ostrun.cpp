// ostrun: one backup run without a window, for shortcuts, start-up entries and schedulers.
#include <windows.h>

#include <exception>

#include "Runner.h"
#include "TextRoutines.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ostra::KernelHandle runMarker;  // open until the process ends, error box included
    try {
        return ostra::RunOnce(ostra::AppDir(), runMarker);
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
        return 1;
    } catch (...) {
        ::MessageBoxA(nullptr, "予期しないエラーが発生しました", "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ",
                      MB_OK | MB_ICONSTOP | MB_TASKMODAL);
        return 1;
    }
}
