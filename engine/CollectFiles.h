// File gathering of the folder backup and the archive step.
#pragma once

#include <windows.h>

#include <string>

#include "StringLists.h"

namespace ostra {

// Appends the full paths of the entries of folder whose names match pattern. With recurse, every
// subfolder is gathered first, depth-first, before the folder's own entries; within a folder the
// file system's order is kept. The pattern applies to names in the folder only: subfolders are
// descended into whatever their names, and a pattern holding a path delimiter matches nothing.
// Hidden, system and read-only files are taken; folders only with includeFolders. A missing
// folder (or an empty folder text) yields nothing.
//
// A junction or symbolic link is never descended into, so a link to an ancestor cannot loop and
// a link to another drive cannot pull that drive in. The folders of leaveOut (in any spelling of
// their paths; empty texts name none) are never entered, and asked for one of them itself nothing
// is gathered: the folder backup keeps its own base folder, with the copies it holds, and the
// archive folder, with the archives, out of a registered folder.
void CollectFiles(const std::string& folder, const std::string& pattern, TStrings& files, bool recurse,
                  bool includeFolders, const TStrings& leaveOut = {});
inline void CollectFiles(const std::string& folder, const std::string& pattern, TStrings& files, bool recurse,
                         bool includeFolders, const std::string& leaveOut) {
    CollectFiles(folder, pattern, files, recurse, includeFolders, TStrings{leaveOut});
}

}  // namespace ostra
