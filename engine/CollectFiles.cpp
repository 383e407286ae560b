#include "CollectFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "FileSystem.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace ostra {

namespace {

bool IsNotDotName(const char* name) {
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

bool Listed(const TStrings& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// folder ends with a backslash; comparable is its ComparablePath key, or empty when nothing is
// left out; leaveOut holds the keys of the folders left out.
void Collect(const std::string& folder, const std::string& comparable, const std::string& pattern,
             TStrings& files, bool recurse, bool includeFolders, const TStrings& leaveOut) {
    WIN32_FIND_DATAA fd;
    if (recurse) {
        FindHandle find(::FindFirstFileA((folder + "*.*").c_str(), &fd));
        if (find) {
            do {
                const DWORD a = fd.dwFileAttributes;
                if (!(a & FILE_ATTRIBUTE_DIRECTORY) || !IsNotDotName(fd.cFileName)) continue;
                if (IsLinkToElsewhere(fd)) continue;
                std::string subComparable;
                if (!leaveOut.empty()) {
                    subComparable = comparable + AnsiLowerCase(fd.cFileName) + '\\';
                    if (Listed(leaveOut, subComparable)) continue;
                }
                Collect(folder + fd.cFileName + '\\', subComparable, pattern, files, recurse, includeFolders,
                        leaveOut);
            } while (::FindNextFileA(find.get(), &fd));
        }
    }
    // An empty pattern would search the folder path itself.
    if (pattern.empty() || LastDelimiter(pattern, "\\/:") != std::string::npos) return;
    FindHandle find(::FindFirstFileA((folder + pattern).c_str(), &fd));
    if (!find) return;
    do {
        if (!IsNotDotName(fd.cFileName)) continue;
        if (!includeFolders && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        files.push_back(folder + fd.cFileName);
    } while (::FindNextFileA(find.get(), &fd));
}

}  // namespace

void CollectFiles(const std::string& folder, const std::string& pattern, TStrings& files, bool recurse,
                  bool includeFolders, const TStrings& leaveOut) {
    // An empty folder text would gather the current folder of the process.
    if (folder.empty()) return;
    const std::string dir = AddBackslash(folder);
    TStrings out;
    for (const std::string& f : leaveOut)
        if (!f.empty()) out.push_back(ComparablePath(f));
    const std::string comparable = out.empty() ? std::string() : ComparablePath(dir);
    if (!out.empty() && Listed(out, comparable)) return;
    Collect(dir, comparable, pattern, files, recurse, includeFolders, out);
}

}  // namespace ostra
