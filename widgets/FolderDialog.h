// The folder-browse dialog: a title above the folder tree (rooted at the computer's drives) and
// an initial folder. Returns the chosen folder, or nothing when the user cancelled.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace widgets {

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title,
                                           const std::string& initialFolder);

}  // namespace widgets
