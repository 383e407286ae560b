// Helpers for the archive component tests: small file trees on disk and the current directory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace archive_test {

// Writes every file (relative names, folders made as needed) with its own name as contents.
inline void MakeTree(const std::string& base, const std::vector<std::string>& files) {
    for (const std::string& rel : files) {
        for (size_t p = rel.find('\\'); p != std::string::npos; p = rel.find('\\', p + 1))
            ::CreateDirectoryA((base + rel.substr(0, p)).c_str(), nullptr);
        testing_support::WriteFileBytes(base + rel, "data of " + rel);
    }
}

inline std::string CurrentDir() {
    char buf[MAX_PATH * 2];
    DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
    return std::string(buf, n);
}

// Puts the current directory back when a test ends.
class CurrentDirKeeper {
  public:
    CurrentDirKeeper() : Saved(CurrentDir()) {}
    ~CurrentDirKeeper() { ::SetCurrentDirectoryA(Saved.c_str()); }
    CurrentDirKeeper(const CurrentDirKeeper&) = delete;
    CurrentDirKeeper& operator=(const CurrentDirKeeper&) = delete;

  private:
    std::string Saved;
};

// Every file below base (relative names, sorted as the file system lists them per folder).
inline std::vector<std::string> FilesBelow(const std::string& base, const std::string& rel = "") {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((base + rel + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (auto& s : FilesBelow(base, rel + n + "\\")) out.push_back(s);
        } else {
            out.push_back(rel + n);
        }
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return out;
}

}  // namespace archive_test
