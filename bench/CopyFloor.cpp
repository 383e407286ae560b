// copy-floor LIST FROM TO: the floor of a copy step on this platform. LIST holds relative file
// names, one a line (backslash separators); each is copied from FROM to TO with CopyFileA and
// nothing else: the folders are made once before, no folder is walked, nothing is compared or
// checked. For bench/run-bench.sh, which times it against the copy step of a run.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: copy-floor LIST FROM TO\n");
        return 2;
    }
    std::ifstream list(argv[1], std::ios::binary);
    if (!list) {
        std::fprintf(stderr, "copy-floor: cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<std::string> names;
    std::set<std::string> folders;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        // Every folder on the way, shorter names first (the set sorts a parent before its children).
        for (std::size_t at = line.find('\\'); at != std::string::npos; at = line.find('\\', at + 1))
            folders.insert(line.substr(0, at));
        names.push_back(line);
    }
    const std::string from = std::string(argv[2]) + "\\", to = std::string(argv[3]) + "\\";
    ::CreateDirectoryA(argv[3], nullptr);
    for (const std::string& f : folders) ::CreateDirectoryA((to + f).c_str(), nullptr);
    int failed = 0;
    for (const std::string& n : names)
        if (!::CopyFileA((from + n).c_str(), (to + n).c_str(), FALSE)) ++failed;
    if (failed) std::fprintf(stderr, "copy-floor: %d files not copied\n", failed);
    return failed ? 1 : 0;
}
