#include "FolderDialog.h"

#include <shlobj.h>

namespace widgets {

namespace {

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) {
        const auto* initial = reinterpret_cast<const std::string*>(data);
        if (!initial->empty())
            ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
    }
    return 0;
}

// The folder without its trailing backslash (a drive root keeps it): the dialog selects nothing
// for "C:\Data\".
std::string SelectionPath(const std::string& folder) {
    std::string f = folder;
    if (f.size() > 3 && f.back() == '\\') {
        // A trail byte 0x5C of a double-byte character is no separator.
        size_t i = 0;
        bool lastIsSeparator = false;
        while (i < f.size()) {
            const bool lead = ::IsDBCSLeadByte(static_cast<BYTE>(f[i])) && i + 1 < f.size();
            lastIsSeparator = !lead && f[i] == '\\' && i + 1 == f.size();
            i += lead ? 2 : 1;
        }
        if (lastIsSeparator) f.pop_back();
    }
    return f;
}

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title,
                                           const std::string& initialFolder) {
    PIDLIST_ABSOLUTE drives = nullptr;
    ::SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &drives);
    const std::string initial = SelectionPath(initialFolder);
    char display[MAX_PATH] = {};
    BROWSEINFOA bi{};
    bi.hwndOwner = owner;
    bi.pidlRoot = drives;
    bi.pszDisplayName = display;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = &BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(&initial);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderA(&bi);
    std::optional<std::string> result;
    if (chosen) {
        char path[MAX_PATH] = {};
        if (::SHGetPathFromIDListA(chosen, path)) result = std::string(path);
        ::CoTaskMemFree(chosen);
    }
    if (drives) ::CoTaskMemFree(drives);
    return result;
}

}  // namespace widgets
