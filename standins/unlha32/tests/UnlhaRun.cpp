// unlha-run: hands its one argument, a command line, to UNLHA32.DLL's main entry, prints the
// library's text report and exits with its result. "unlha-run --list ARCHIVE" prints one line
// per entry (method, size, name) through the listing entries. For the cross-checks with the
// Linux LHA tools.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "unlha32/UnlhaApi.h"

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 3 && std::strcmp(argv[1], "--list") == 0)) {
        std::fprintf(stderr, "usage: unlha-run \"COMMAND LINE\" | --list ARCHIVE\n");
        return 2;
    }
    HMODULE m = ::LoadLibraryA("UNLHA32.DLL");
    if (!m) {
        std::fprintf(stderr, "UNLHA32.DLL not found\n");
        return 3;
    }
    if (argc == 3) {
        auto open = reinterpret_cast<UnlhaOpenArchiveFn>(
            reinterpret_cast<void*>(::GetProcAddress(m, "UnlhaOpenArchive")));
        auto first = reinterpret_cast<UnlhaFindFirstFn>(
            reinterpret_cast<void*>(::GetProcAddress(m, "UnlhaFindFirst")));
        auto next =
            reinterpret_cast<UnlhaFindNextFn>(reinterpret_cast<void*>(::GetProcAddress(m, "UnlhaFindNext")));
        auto close = reinterpret_cast<UnlhaCloseArchiveFn>(
            reinterpret_cast<void*>(::GetProcAddress(m, "UnlhaCloseArchive")));
        HARC h = open(nullptr, argv[2], 0);
        if (!h) return 4;
        UnlhaEntryInfo e;
        int r = first(h, "*", &e);
        for (; r == 0; r = next(h, &e)) std::printf("%s %u %s\n", e.method, e.originalSize, e.fileName);
        close(h);
        return r == UNLHA_FIND_END ? 0 : r;
    }
    auto unlha = reinterpret_cast<UnlhaFn>(reinterpret_cast<void*>(::GetProcAddress(m, "Unlha")));
    if (!unlha) return 3;
    static char report[65536];
    int r = unlha(nullptr, argv[1], report, sizeof report);
    std::fputs(report, stdout);
    return r;
}
