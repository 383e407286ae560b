#include "FolderEmptying.h"

#include <windows.h>

#include <vector>

#include "WinHandles.h"

namespace ostra {

namespace {

// The folder as a wide path with the prefix that lifts the MAX_PATH limit ("\\?\C:\..." or
// "\\?\UNC\server\share\..."); such a path is taken as it stands, so it must be full.
std::wstring LongWidePath(const std::string& folder) {
    std::wstring wide;
    const int n =
        ::MultiByteToWideChar(CP_ACP, 0, folder.data(), static_cast<int>(folder.size()), nullptr, 0);
    if (n > 0) {
        wide.resize(static_cast<std::size_t>(n));
        ::MultiByteToWideChar(CP_ACP, 0, folder.data(), static_cast<int>(folder.size()), wide.data(), n);
    }
    while (wide.size() > 3 && wide.back() == L'\\') wide.pop_back();
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    return L"\\\\?\\" + wide;
}

bool IsDots(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Removes a file, or a link of either kind, as itself.
bool RemoveEntry(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    // A folder, or a link to one (symbolic link, junction): RemoveDirectory removes the link
    // itself, never what it points to. (Wine refuses it for a Unix link to a folder, which then
    // stays.)
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ::RemoveDirectoryW(path.c_str()) != 0;
    return ::DeleteFileW(path.c_str()) != 0;
}

}  // namespace

bool RemoveFolderTree(const std::string& folder) {
    const std::wstring top = LongWidePath(folder);
    const DWORD topAttributes = ::GetFileAttributesW(top.c_str());
    if (topAttributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(topAttributes & FILE_ATTRIBUTE_DIRECTORY) || (topAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveEntry(top, topAttributes);

    // Folders still to be emptied, and the folders emptied, to be removed deepest first. A
    // stack instead of recursion: a deep tree cannot run out of it.
    struct Folder {
        std::wstring path;
        DWORD attributes;
    };
    std::vector<Folder> toWalk{{top, topAttributes}}, toRemove;
    bool complete = true;
    while (!toWalk.empty()) {
        Folder f = std::move(toWalk.back());
        toWalk.pop_back();
        WIN32_FIND_DATAW fd;
        FindHandle h(::FindFirstFileExW((f.path + L"\\*").c_str(), FindExInfoBasic, &fd,
                                        FindExSearchNameMatch, nullptr, 0));
        if (h) {
            do {
                if (IsDots(fd.cFileName)) continue;
                std::wstring path = f.path + L"\\" + fd.cFileName;
                const DWORD a = fd.dwFileAttributes;
                if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
                    toWalk.push_back({std::move(path), a});
                else if (!RemoveEntry(path, a))
                    complete = false;
            } while (::FindNextFileW(h.get(), &fd));
        }
        toRemove.push_back(std::move(f));
    }
    // Children were listed after their parents: backwards, every folder is empty when reached.
    for (auto it = toRemove.rbegin(); it != toRemove.rend(); ++it)
        if (!RemoveEntry(it->path, it->attributes)) complete = false;
    return complete && ::GetFileAttributesW(top.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace ostra
