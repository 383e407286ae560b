// Folder tests and the emptying of the base folder around the archive step.
#pragma once

#include <windows.h>

#include <string>

namespace ostra {

// True when the archive folder (with a backslash added) contains the base folder text, or, by the
// folders' identity, is the base folder or lies below it (another drive letter for the same place,
// a link on the way): the test by which a run refuses archives that would land in what is packed.
bool ArchiveFolderInBase(const std::string& baseFolder, const std::string& archiveFolder);

// Raises std::runtime_error with the six-line message when both folders exist and the archive
// folder is the base folder or lies below it.
void CheckArchiveFolder(const std::string& baseFolder, const std::string& archiveFolder);

// Removes the base folder as a whole, then makes it again, empty: through the shell when the
// recycle bin, the confirmation or the progress dialog is asked for, otherwise by our own walk
// (RemoveFolderTree). A drive root, a relative path or a path with wildcards is never removed,
// so nothing outside the base folder can be. With showErrors
// off the shell shows no error boxes (an unattended run must never wait on one).
void DeleteBaseFolder(const std::string& baseFolder, HWND owner, bool confirm, bool progressDialog,
                      bool recycleBin, bool showErrors = true);

// True when folder may be handed to the shell's delete operation: a full path, no drive or share
// root, no wildcard.
bool MayHandToShellForDeletion(const std::string& folder);

// True when the base folder is a drive root ("C:\") or a share root ("\\server\share\").
bool IsRootFolder(const std::string& folder);

}  // namespace ostra
