// Restoring a backup archive without any program of the user's: its files, with their folders,
// go into a new folder named after the archive, so that nothing already on disk is overwritten.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "StringLists.h"

namespace ostra {

// parent\<the archive's name without its extension>.
std::string RestoreFolderFor(const std::string& archivePath, const std::string& parent);

struct TRestoreResult {
    enum TOutcome {
        rsDone,       // every entry was written
        rsPartial,    // some entries were written, the others refused (Written, NotWritten)
        rsCancelled,  // cancelled through the progress event: the new folder is gone again
    };
    TOutcome Outcome = rsDone;
    std::string Folder;
    // Files placed in the new folder; with rsPartial, the archive's names that have no file there.
    size_t Written = 0;
    TStrings NotWritten;
};

// Told first with done 0, then as each entry is begun (entry: its name in the archive), of the
// entries done and the entries to restore; setting cancel stops the restore.
using TRestoreProgressEvent =
    std::function<void(int done, int total, const std::string& entry, bool& cancel)>;

// The archive's entries (as listed, in their order) that a choice of listed names means: each
// chosen name, everything beneath a chosen folder entry (a name ending in a backslash), and a
// chosen file's named streams (entries "<name><streamSeparator><stream>"). Letters are folded.
TStrings ChosenEntries(const TStrings& entries, const TStrings& chosen, const std::string& streamSeparator);

// Extracts the whole archive, or with chosen only the entries ChosenEntries gives for it (only
// those are named to the library, which reads and writes no other), into
// RestoreFolderFor(archivePath, parent), which it creates. Raises std::runtime_error with the
// message to show when the archive is missing, when the choice is empty or names nothing the
// archive holds, when the folder exists already (then nothing is written at all), when it cannot
// be made, or when the library reports a failure and wrote nothing (the new folder is removed
// again). Errors of the archive component (a missing library) pass through before anything is made.
TRestoreResult RestoreArchive(HWND owner, const std::string& archivePath, const std::string& parent,
                              const TRestoreProgressEvent& progress = nullptr,
                              const std::optional<TStrings>& chosen = std::nullopt);

// The box text of a restore that wrote only part of the archive.
std::string PartialRestoreMessage(const std::string& archivePath, const TRestoreResult& result);

}  // namespace ostra
