// Folder trees for tests, written as a list: "sub\\" is a folder, "sub\\a.txt=text" a file holding
// text, "sub\\a.txt" an empty file. MakeTree builds such a tree, TreeOf reads one back in the same
// notation (every folder and file, sorted by name), so a test compares a whole tree in one line:
//   MakeTree(dir.Path(), {"docs\\", "docs\\memo.txt=memo"});
//   EXPECT_EQ(TreeOf(base), (TTree{"backup\\", "backup\\memo.txt=memo"}));
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace testing_support {

using TTree = std::vector<std::string>;

// Makes every item below root (a folder with a trailing backslash), with the folders an item
// needs; false when one cannot be made.
inline bool MakeTree(const std::string& root, const TTree& items) {
    for (const std::string& item : items) {
        const size_t eq = item.find('=');
        const std::string path = item.substr(0, eq);
        // Double-byte characters whole: the second byte of "ソ" or "表" is a backslash's.
        for (size_t p = 0; p < path.size(); p += ::IsDBCSLeadByte(static_cast<BYTE>(path[p])) ? 2 : 1)
            if (path[p] == '\\') ::CreateDirectoryA((root + path.substr(0, p)).c_str(), nullptr);
        if (!path.empty() && path.back() == '\\') continue;
        if (!WriteFileBytes(root + path, eq == std::string::npos ? std::string() : item.substr(eq + 1)))
            return false;
    }
    return true;
}

namespace detail {
inline void ReadTree(const std::string& root, const std::string& rel, TTree& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((root + rel + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(rel + name + "\\");
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ReadTree(root, rel + name + "\\", out);
        } else {
            const std::string data = ReadFileBytes(root + rel + name);
            out.push_back(data.empty() ? rel + name : rel + name + "=" + data);
        }
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}
}  // namespace detail

// The tree below root (a folder with a trailing backslash) in MakeTree's notation, sorted; empty
// when root is missing or empty.
inline TTree TreeOf(const std::string& root) {
    TTree tree;
    detail::ReadTree(root, "", tree);
    std::sort(tree.begin(), tree.end());
    return tree;
}

// The names directly in folder (a folder's with a trailing backslash), sorted.
inline TTree NamesOf(const std::string& folder) {
    TTree names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        names.push_back(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? name + "\\" : name);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_support
