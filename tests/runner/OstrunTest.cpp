// ostrun.exe started as a scheduler would start it, in a program folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "ArchiveListing.h"
#include "RunRecord.h"
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

    void WithArchiverLibrary() {
        ASSERT_TRUE(
            CopyFileA((ostra::AppDir() + "UNLHA32.DLL").c_str(), (prog + "UNLHA32.DLL").c_str(), FALSE));
    }

    // Starts ostrun in its program folder; a null process handle when it could not be started.
    PROCESS_INFORMATION StartOstrun() {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = "\"" + prog + "ostrun.exe\"";
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, prog.c_str(), &si, &pi))
            return PROCESS_INFORMATION{};
        return pi;
    }

    // Runs ostrun and returns its exit status; -1 when it did not end in time.
    DWORD RunOstrun(DWORD timeoutMs = 60000) {
        PROCESS_INFORMATION pi = StartOstrun();
        if (!pi.hProcess) return static_cast<DWORD>(-2);
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

TEST_F(OstrunTest, SecondRunnerWhileOneIsRunningTouchesNothingAndSaysSo) {
    HANDLE running = CreateMutexA(nullptr, FALSE, "Pelmira - Ostrun by zedka");
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(RunOstrun(), 2u) << "nothing asked was done";
    CloseHandle(running);
    EXPECT_FALSE(Exists(base + "backup"));
    ostra::TRunRecord record;
    ASSERT_TRUE(ostra::ReadLastRunRecord(prog + "ostrun.log", record));
    EXPECT_EQ(record.ExitStatus, 2);
    EXPECT_EQ(record.Outcome, "別のバックアップが実行中のため、何もしませんでした");
}

TEST_F(OstrunTest, AFileLeftOutEndsWithStatusTwoAndTheRecordSaysWhich) {
    WithArchiverLibrary();
    // One archive to keep: an earlier one goes only after the run that does it all.
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini",
                               testing_support::ReadFileBytes(prog + "ostra.ini") + "KeepArchives=1\r\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "arc\\2000_0101_0000.lzh", "old"));
    HANDLE held =
        CreateFileA((dir / "memo.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD code = RunOstrun();
    CloseHandle(held);
    EXPECT_EQ(code, 2u);
    ostra::TRunRecord record;
    ASSERT_TRUE(ostra::ReadLastRunRecord(prog + "ostrun.log", record));
    EXPECT_TRUE(record.Finished);
    EXPECT_EQ(record.ExitStatus, 2);
    EXPECT_EQ(record.Files.Failed, 1u);
    EXPECT_EQ(record.Failures, TStrings{dir / "memo.txt: 他のプログラムが使用中です"});
    EXPECT_EQ(record.Lines,
              (TStrings{"[ファイルのバックアップ]", "  memo.txt  →コピー失敗（他のプログラムが使用中です）",
                        "", "アーカイブファイルの作成開始..."}));
    // The base folder held nothing to pack: no archive, nothing else left out.
    EXPECT_EQ(record.Outcome, "ファイル 1 個をバックアップできませんでした");

    // The next run does it all: status 0, and its record comes last.
    EXPECT_EQ(RunOstrun(), 0u);
    ASSERT_TRUE(ostra::ReadLastRunRecord(prog + "ostrun.log", record));
    EXPECT_EQ(record.ExitStatus, 0);
    EXPECT_EQ(record.Files.Done, 1u);
    EXPECT_FALSE(record.Archive.empty());
    EXPECT_EQ(record.Outcome, "すべて完了しました");
    EXPECT_FALSE(Exists(dir / "arc\\2000_0101_0000.lzh"));
    EXPECT_EQ(record.Lines.back(), "  2000_0101_0000.lzh  →古い書庫を削除しました");
}

// Ended by force while a large file is being copied (as a shutdown or a task manager ends it), the
// run leaves no cut file under the copy's name; the next run, with the time-stamp option on, puts
// the whole file in the base folder and in its archive.
TEST_F(OstrunTest, EndedDuringALargeCopyTheNextRunHoldsTheWholeFile) {
    WithArchiverLibrary();
    const std::string big = dir / "big.bin";
    const size_t size = 160u << 20;
    ASSERT_TRUE(WriteFileBytes(big, std::string(size, 'z')));
    ASSERT_TRUE(WriteFileBytes(prog + "backup.ini", big + "\r\n"));
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nBaseDir=" + base + "\r\nArcDir=" +
                                                       (dir / "arc") + "\r\nTimestamp=1\r\nArchive=1\r\n"));
    const std::string copy = base + "backup\\big.bin";
    bool caught = false;
    for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
        testing_support::RemoveTree(base + "backup");
        PROCESS_INFORMATION pi = StartOstrun();
        ASSERT_NE(pi.hProcess, nullptr);
        // The process is ended as soon as a part of the copy shows, under whatever name.
        const ULONGLONG until = GetTickCount64() + 120000;
        while (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT && !caught && GetTickCount64() < until)
            caught =
                Exists(copy + ".~pelmira-copy") || (Exists(copy) && testing_support::FileSizeOf(copy) < size);
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 60000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (!caught) GTEST_SKIP() << "the copy ended each time before it could be caught under way";
    // Nothing of the copy under its final name; at most an empty file, when the process ended the
    // moment the file was made (the next run makes such a copy again, whatever its time).
    EXPECT_TRUE(!Exists(copy) || testing_support::FileSizeOf(copy) == 0)
        << "a cut copy carries the final name";
    ostra::TRunRecord record;
    ASSERT_TRUE(ostra::ReadLastRunRecord(prog + "ostrun.log", record));
    EXPECT_FALSE(record.Finished) << "a run ended by force is on record as started, never finished";

    EXPECT_EQ(RunOstrun(180000), 0u);
    EXPECT_EQ(testing_support::FileSizeOf(copy), size);
    EXPECT_FALSE(Exists(copy + ".~pelmira-copy"));
    ASSERT_TRUE(ostra::ReadLastRunRecord(prog + "ostrun.log", record));
    ASSERT_FALSE(record.Archive.empty());
    const TStrings entries = testing_support::ArchiveListing(dir / "arc\\" + record.Archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].rfind("backup\\big.bin " + std::to_string(size) + " ", 0), 0u) << entries[0];
}

TEST_F(OstrunTest, MissingArchiverLibraryShowsTheErrorBoxAndEndsWithStatusOne) {
    // The box needs a display; the test command provides one.
    ASSERT_TRUE(testing_support::HasTestDisplay())
        << "no test X display (start Xvfb, see scripts/display.sh)";
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
