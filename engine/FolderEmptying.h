// The emptying of the base folder by our own walk of the tree, for runs that want neither the
// recycle bin, nor the shell's confirmation, nor its progress dialog: the shell's delete costs a
// hundred times what the walk costs on a tree of a few thousand small files.
#pragma once

#include <string>

namespace ostra {

// Removes the folder and everything below it. Names are handled as wide strings, so any name
// the file system holds is removed, also below MAX_PATH's reach; read-only files and folders are
// made writable first; a link (any reparse point: symbolic link, junction, mount point) is
// removed as the link itself and never followed, so nothing outside the folder is touched. What
// cannot be removed (a file in use) stays, and the walk goes on with the rest. True when the
// folder is gone. The caller checks that the folder is one that may be removed.
bool RemoveFolderTree(const std::string& folder);

}  // namespace ostra
