// empty-folder-bench FOLDER [shell]: empties FOLDER as a run's last step does (DeleteBaseFolder,
// no confirmation, no progress dialog, no recycle bin) and prints the seconds it took. With
// "shell" it takes the shell's delete instead (asked for through its progress dialog, which
// under Wine shows nothing), for comparison. For bench/run-bench.sh.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ArchiveFolders.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: empty-folder-bench FOLDER [shell]\n");
        return 2;
    }
    const bool shell = argc > 2 && std::strcmp(argv[2], "shell") == 0;
    LARGE_INTEGER f, a, b;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&a);
    ostra::DeleteBaseFolder(argv[1], nullptr, false, shell, false, false);
    ::QueryPerformanceCounter(&b);
    std::printf("%.3f\n", static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart));
    return 0;
}
