#include "FileDialog.h"

#include <commdlg.h>

namespace widgets {

namespace {

// "a|b|c|d" as the dialog wants it: every "|" a NUL, the whole ended by two.
std::string DialogFilter(const std::string& filter) {
    std::string f = filter;
    for (size_t i = 0; i < f.size(); ++i) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(f[i])) && i + 1 < f.size())
            ++i;
        else if (f[i] == '|')
            f[i] = '\0';
    }
    f.push_back('\0');
    f.push_back('\0');
    return f;
}

// True when the last whole character is a backslash (a trail byte 0x5C is none).
bool EndsWithSeparator(const std::string& s) {
    bool last = false;
    for (size_t i = 0; i < s.size(); ++i) {
        last = s[i] == '\\';
        if (::IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size()) {
            ++i;
            last = false;
        }
    }
    return last;
}

}  // namespace

std::vector<std::string> OpenDialogPaths(const char* buffer, size_t size) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < size && buffer[i] != '\0') {
        size_t end = i;
        while (end < size && buffer[end] != '\0') ++end;
        parts.emplace_back(buffer + i, end - i);
        i = end + 1;
    }
    if (parts.size() <= 1) return parts;
    // A folder, then the names of the files in it.
    std::string folder = parts.front();
    if (!EndsWithSeparator(folder)) folder += '\\';
    std::vector<std::string> paths;
    for (size_t k = 1; k < parts.size(); ++k) paths.push_back(folder + parts[k]);
    return paths;
}

std::vector<std::string> ChooseFilesToOpen(HWND owner, const TOpenFileRequest& request) {
    const std::string filter = DialogFilter(request.Filter);
    // Room for many names at once: a multiple selection lists them all in this one buffer.
    std::vector<char> buffer(request.MultiSelect ? 65536 : MAX_PATH * 2, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = request.InitialDir.empty() ? nullptr : request.InitialDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR |
                (request.MultiSelect ? OFN_ALLOWMULTISELECT : 0);
    if (!::GetOpenFileNameA(&ofn)) return {};
    return OpenDialogPaths(buffer.data(), buffer.size());
}

}  // namespace widgets
