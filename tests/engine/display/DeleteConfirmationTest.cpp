// Emptying the base folder with the shell's confirmation: the user's answer decides.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "ArchiveFolders.h"
#include "TestSupport.h"

using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

struct Found {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK TakeOwnVisibleWindow(HWND w, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == found->pid && IsWindowVisible(w)) {
        found->window = w;
        return FALSE;
    }
    return TRUE;
}

// Answers the first window this process shows with `answer`; gives up after 30 s.
class Answerer {
  public:
    explicit Answerer(int answer)
        : thread_([this, answer] {
              const ULONGLONG until = GetTickCount64() + 30000;
              while (!done_ && GetTickCount64() < until) {
                  Found found{GetCurrentProcessId(), nullptr};
                  EnumWindows(&TakeOwnVisibleWindow, reinterpret_cast<LPARAM>(&found));
                  if (found.window) {
                      PostMessageA(found.window, WM_COMMAND, answer, 0);
                      asked_ = true;
                      return;
                  }
                  Sleep(50);
              }
          }) {}
    ~Answerer() { Finish(); }
    bool Finish() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return asked_;
    }

  private:
    std::atomic<bool> done_{false}, asked_{false};
    std::thread thread_;
};

class DeleteConfirmationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing_support::HasTestDisplay()) << "no test X display (start Xvfb, see scripts/display.sh)";
        base = dir / "base\\";
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((base + "backup").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(base + "backup\\a.txt", "a"));
    }
    TempDir dir;
    std::string base;
};

TEST_F(DeleteConfirmationTest, DecliningKeepsEverything) {
    Answerer no(IDNO);
    ostra::DeleteBaseFolder(base, nullptr, true, false, false, true);
    ASSERT_TRUE(no.Finish()) << "the shell asked nothing";
    EXPECT_TRUE(Exists(base + "backup\\a.txt"));
}

TEST_F(DeleteConfirmationTest, AgreeingEmptiesTheFolderAndMakesItAgain) {
    Answerer yes(IDYES);
    ostra::DeleteBaseFolder(base, nullptr, true, false, false, true);
    ASSERT_TRUE(yes.Finish()) << "the shell asked nothing";
    EXPECT_FALSE(Exists(base + "backup"));
    EXPECT_TRUE(Exists(base));
}

}  // namespace
