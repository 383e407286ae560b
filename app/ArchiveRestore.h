// Restoring a backup archive without any program of the user's: its files, with their folders,
// go into a new folder named after the archive, so that nothing already on disk is overwritten.
#pragma once

#include <windows.h>

#include <string>

namespace ostra {

// parent\<the archive's name without its extension>.
std::string RestoreFolderFor(const std::string& archivePath, const std::string& parent);

// Extracts the whole archive into RestoreFolderFor(archivePath, parent), which it creates, and
// returns that folder. Raises std::runtime_error with the message to show when the archive is
// missing, when the folder exists already (then nothing is written at all), when it cannot be
// made, or when the library reports a failure (an empty new folder is removed again). Errors of
// the archive component (a missing library) pass through before anything is made.
std::string RestoreArchive(HWND owner, const std::string& archivePath, const std::string& parent);

}  // namespace ostra
