// ostra.exe itself, started from a program folder of its own and closed at once.
#include <gtest/gtest.h>
#include <windows.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "TextRoutines.h"
#include "WindowTestSupport.h"

using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

struct Found {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK FindMainWindow(HWND w, LPARAM param) {
    auto* f = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char caption[64] = {};
    GetWindowTextA(w, caption, sizeof caption);
    if (pid == f->pid && lstrcmpA(caption, "Pelmira : 0.0.9.5") == 0) {
        f->window = w;
        return FALSE;
    }
    return TRUE;
}

TEST(OstraProgram, StartedWithoutSettingsAndClosedAtOnceWritesTheSettingsAndTheThreeLists) {
    ASSERT_TRUE(testing_support::HasTestDisplay())
        << "no test X display (start Xvfb, see scripts/display.sh)";
    TempDir dir;
    const std::string prog = dir.Path();
    ASSERT_TRUE(CopyFileA((ostra::AppDir() + "ostra.exe").c_str(), (prog + "ostra.exe").c_str(), FALSE));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string desktop = testing_support::DesktopName();
    si.lpDesktop = desktop.data();
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + prog + "ostra.exe\"";
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(),
                               &si, &pi));
    Found f{pi.dwProcessId, nullptr};
    for (ULONGLONG until = GetTickCount64() + 30000; !f.window && GetTickCount64() < until; Sleep(50))
        EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&f));
    EXPECT_NE(f.window, nullptr) << "no main window appeared";
    if (f.window) PostMessageA(f.window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 99);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(ended);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(app_test::IniKeys(prog + "ostra.ini"), app_test::FirstCloseKeys());
    for (const char* list : {"backup.ini", "backfol.ini", "backreg.ini"})
        EXPECT_EQ(ReadFileBytes(prog + list), "") << list;
    const std::string ini = ReadFileBytes(prog + "ostra.ini");
    EXPECT_NE(ini.find("Width=375\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Index=3\r\n"), std::string::npos) << ini;
}

}  // namespace
