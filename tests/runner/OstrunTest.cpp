// ostrun.exe started as a scheduler would start it, in a program folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "TextRoutines.h"

using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

class OstrunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prog = dir / "program\\";
        base = dir / "base\\";
        CreateDirectoryA(prog.c_str(), nullptr);
        CreateDirectoryA(base.c_str(), nullptr);
        CreateDirectoryA((dir / "arc").c_str(), nullptr);
        ASSERT_TRUE(
            CopyFileA((ostra::AppDir() + "ostrun.exe").c_str(), (prog + "ostrun.exe").c_str(), FALSE));
        ASSERT_TRUE(WriteFileBytes(dir / "memo.txt", "memo"));
        ASSERT_TRUE(WriteFileBytes(prog + "backup.ini", dir / "memo.txt\r\n"));
        ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini",
                                   "[Option]\r\nBaseDir=" + base + "\r\nArcDir=" + (dir / "arc") +
                                       "\r\nArchive=1\r\nDeleteFiles=1\r\nDelUseRecycleBin=0\r\n"));
    }

    // Runs ostrun and returns its exit status; -1 when it did not end in time.
    DWORD RunOstrun(DWORD timeoutMs = 60000) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = "\"" + prog + "ostrun.exe\"";
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, prog.c_str(), &si, &pi))
            return static_cast<DWORD>(-2);
        DWORD code = static_cast<DWORD>(-1);
        if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &code);
        else
            TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return code;
    }

    TempDir dir;
    std::string prog, base;
};

}  // namespace

TEST_F(OstrunTest, SecondRunnerWhileOneIsRunningTouchesNothing) {
    HANDLE running = CreateMutexA(nullptr, FALSE, "Pelmira - Ostrun by zedka");
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(RunOstrun(), 0u);
    CloseHandle(running);
    EXPECT_FALSE(Exists(base + "backup"));
}

TEST_F(OstrunTest, MissingArchiverLibraryShowsTheErrorBoxAndEndsWithStatusOne) {
    // The box needs a display; the test command provides one.
    ASSERT_TRUE(testing_support::HasTestDisplay()) << "no test X display (start Xvfb, see scripts/display.sh)";
    std::atomic<bool> done{false};
    std::string boxText;
    bool markedWhileBoxShown = false;
    std::thread watchdog([&] {
        // <chrono> cannot be compiled for code page 932 (its "µs" suffix), so the tick count it is.
        const ULONGLONG until = GetTickCount64() + 60000;
        while (!done && GetTickCount64() < until) {
            HWND box = FindWindowA(nullptr, "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ");
            if (box) {
                char text[512] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message box's text control
                boxText = text;
                HANDLE marker = OpenMutexA(SYNCHRONIZE, FALSE, "Pelmira - Ostrun by zedka");
                markedWhileBoxShown = marker != nullptr;
                if (marker) CloseHandle(marker);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
    DWORD code = RunOstrun();
    done = true;
    watchdog.join();
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(boxText, "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
    // The run is over when the box appears: a box nobody closes must not turn later runs away.
    EXPECT_FALSE(markedWhileBoxShown) << "the run marker stayed while the error box was up";
    // The copies were made; nothing was deleted.
    EXPECT_TRUE(Exists(base + "backup\\memo.txt"));
}
