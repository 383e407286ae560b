// The file-open dialog: a filter of "description|pattern" pairs, an initial folder, one file or
// several. Returns the full paths of the chosen files in the dialog's order, nothing when the
// user cancelled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace widgets {

struct TOpenFileRequest {
    std::string Filter;      // e.g. "すべてのファイル|*.*"
    std::string InitialDir;  // empty: the dialog's own choice
    bool MultiSelect = false;
};

std::vector<std::string> ChooseFilesToOpen(HWND owner, const TOpenFileRequest& request);

// The paths in the buffer an explorer-style open dialog fills: one full path, or a folder followed
// by file names, each ended by a NUL, the whole ended by a second NUL.
std::vector<std::string> OpenDialogPaths(const char* buffer, size_t size);

}  // namespace widgets
