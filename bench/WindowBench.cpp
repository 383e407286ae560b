// window-bench: what bench/window-bench.sh times in the window program, each beside the library's
// own work on the same archive, all in this one process (Wine's start-up left out of both):
//   window-bench list ARCHIVE           the detail window listing the archive's entries (the click on
//                                       its row until the list is painted), and the library's own
//                                       listing (OpenArchive, FindFirst, FindNext)
//   window-bench restore ARCHIVE DIR    "展開..." of the archive into a new folder below DIR, with the
//                                       library's progress dialog, and the library's own extraction
//                                       (x -n1) into DIR\lib
//   window-bench run PROGDIR open|closed  a backup run from the window with the configuration of
//                                       PROGDIR, the detail window open (its log) or closed
// Each prints "<what> <seconds>" lines. Not a test: figures for the benchmark script.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Application.h"
#include "ArchiveRestore.h"
#include "DetailContent.h"
#include "FormMain.h"
#include "WindowTestSupport.h"
#include "unlha32/UnlhaApi.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void Report(const char* what, double seconds) {
    std::printf("%s %.3f\n", what, seconds);
    std::fflush(stdout);
}

// Handles what is pending (the paint of what was just filled in) until nothing is left.
void Settle() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string TempProgramFolder() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "window-bench-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool WriteText(const std::string& path, const std::string& text) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    ::CloseHandle(h);
    return true;
}

template <typename T>
T Entry(HMODULE m, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}

int List(const std::string& archive) {
    HMODULE m = ::LoadLibraryA("UNLHA32.DLL");
    if (!m) return 3;
    auto open = Entry<UnlhaOpenArchiveFn>(m, "UnlhaOpenArchive");
    auto first = Entry<UnlhaFindFirstFn>(m, "UnlhaFindFirst");
    auto next = Entry<UnlhaFindNextFn>(m, "UnlhaFindNext");
    auto close = Entry<UnlhaCloseArchiveFn>(m, "UnlhaCloseArchive");
    double t = Now();
    HARC h = open(nullptr, archive.c_str(), 0);
    if (!h) return 4;
    UnlhaEntryInfo e;
    int entries = 0;
    for (int r = first(h, "*", &e); r == 0; r = next(h, &e)) ++entries;
    close(h);
    Report("library-list", Now() - t);

    const std::string prog = TempProgramFolder();
    WriteText(prog + "ostra.ini", "[Option]\r\nIndex=4\r\nArcDir=" + FolderOf(archive) +
                                      "\r\nWidth=400\r\nHeight=500\r\n[Key]\r\nVisible=1\r\nHeight=500\r\n");
    ostra::TFormMain form(prog);
    if (!form.Create()) return 5;
    form.Show(SW_SHOWNOACTIVATE);
    Settle();
    const std::string name = archive.substr(archive.find_last_of('\\') + 1);
    for (int i = 0; i < form.ListView.Count(); ++i)
        form.ListView.SetSelected(i, form.ListView.Caption(i) == name);
    // The entries read through the archive component alone, the rest is the list's.
    t = Now();
    const size_t read = ostra::ArchiveEntryRows(form.Handle(), archive).size();
    Report("window-list-read", Now() - t);
    if (read != static_cast<size_t>(entries)) return 7;
    t = Now();
    form.ListViewClick();
    ::UpdateWindow(form.DetailForm()->ListRegItem.Handle());
    Settle();
    Report("window-list", Now() - t);
    const int rows = form.DetailForm()->ListRegItem.Count();
    if (rows != entries) {
        std::fprintf(stderr, "the window listed %d rows of %d entries\n", rows, entries);
        return 6;
    }
    ::DestroyWindow(form.Handle());
    return 0;
}

int Restore(const std::string& archive, const std::string& parent) {
    HMODULE m = ::LoadLibraryA("UNLHA32.DLL");
    if (!m) return 3;
    auto unlha = Entry<UnlhaFn>(m, "Unlha");
    const std::string lib = parent + "\\lib\\";
    ::CreateDirectoryA(lib.c_str(), nullptr);
    static char report[65536];
    double t = Now();
    const int r = unlha(nullptr, ("x -n1 -jse1 -jso1 \"" + archive + "\" \"" + lib + "\"").c_str(), report,
                        sizeof report);
    Report("library-extract", Now() - t);
    if (r != 0) return 4;

    const std::string prog = TempProgramFolder();
    ostra::TFormMain form(prog);
    if (!form.Create()) return 5;
    form.Show(SW_SHOWNOACTIVATE);
    Settle();
    t = Now();
    const ostra::TRestoreResult done = form.RestoreWithProgress(archive, parent);
    Report("window-restore", Now() - t);
    ::DestroyWindow(form.Handle());
    return done.Outcome == ostra::TRestoreResult::rsDone ? 0 : 6;
}

int Run(const std::string& prog, bool open) {
    std::string ini = prog + "ostra.ini";
    ::WritePrivateProfileStringA("Key", "Visible", open ? "1" : "0", ini.c_str());
    ostra::TFormMain form(prog);
    if (!form.Create()) return 5;
    form.Show(SW_SHOWNOACTIVATE);
    Settle();
    if (open != (form.DetailForm() != nullptr)) return 6;
    testing_support::BoxWatchdog boxes;
    const double t = Now();
    form.mBackupClick();
    if (form.DetailForm()) ::UpdateWindow(form.DetailForm()->Edit.Handle());
    Settle();
    Report(open ? "run-open" : "run-closed", Now() - t);
    boxes.Stop();
    for (const auto& b : boxes.Boxes()) std::fprintf(stderr, "box: %s\n", b.text.c_str());
    if (form.DetailForm()) {
        const auto lines = form.DetailForm()->Edit.Lines();
        std::printf("log-lines %u\n", static_cast<unsigned>(lines.size()));
    }
    ::DestroyWindow(form.Handle());
    return boxes.Boxes().empty() ? 0 : 7;
}

}  // namespace

int main(int argc, char** argv) {
    testing_support::UseOwnDesktop("PelmiraBench");
    ostra::TApplication application;
    try {
        if (argc == 3 && std::strcmp(argv[1], "list") == 0) return List(argv[2]);
        if (argc == 4 && std::strcmp(argv[1], "restore") == 0) return Restore(argv[2], argv[3]);
        if (argc == 4 && std::strcmp(argv[1], "run") == 0)
            return Run(argv[2], std::strcmp(argv[3], "open") == 0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "window-bench: %s\n", e.what());
        return 2;
    }
    std::fprintf(stderr,
                 "usage: window-bench list ARCHIVE | restore ARCHIVE DIR | run PROGDIR open|closed\n");
    return 1;
}
