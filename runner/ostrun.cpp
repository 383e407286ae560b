// ostrun: one backup run without a window, for shortcuts, start-up entries and schedulers.
#include <windows.h>

#include <exception>

#include "Runner.h"
#include "TextRoutines.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The run is over (its marker released) before a box shows: a box nobody closes must not turn
    // the next scheduled runs away.
    try {
        return ostra::RunOnce(ostra::AppDir());
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    } catch (...) {
        ::MessageBoxA(nullptr, "予期しないエラーが発生しました", "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ",
                      MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    }
    return 1;
}
