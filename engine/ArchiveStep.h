// The archive step: the base folder packed into one dated LHA archive in the archive folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "LogAndStop.h"
#include "StepReport.h"

namespace ostra {

// "2005_0302_0905.lzh" or, in the long form, "2005年03月02日09時05分.lzh".
std::string ArchiveName(const SYSTEMTIME& localTime, bool longForm);

struct TArchiveResult {
    enum TOutcome {
        arSkipped,        // a folder is missing: nothing was done
        arNothingToPack,  // the base folder holds no file
        arCreated,        // the library reported success and the archive lists every packed file
        arFailed          // cancelled, failed, or the archive is missing or incomplete
    };
    TOutcome Outcome = arSkipped;
    std::string ArchivePath;
    size_t PackedFiles = 0;
    // Files of the base folder the library cannot be given (a path of MAX_PATH or more, a name
    // without an ANSI form or ending in a dot or blank) and folders that could not be listed: left
    // out of the archive, which holds the rest.
    std::vector<TFailedItem> LeftOut;
    // Leftovers of runs that were ended half-way, removed: the library's temporary files in the
    // archive folder, and cut copies under their temporary names in the base folder.
    size_t PackLeftoversRemoved = 0;
    size_t CutCopiesRemoved = 0;
};

// The local date and time an archive is named after: the system's clock, or a fixed one in tests.
using TLocalClock = std::function<SYSTEMTIME()>;

// Packs every file below the base folder under its relative name (those the library cannot be
// given are left out and listed in LeftOut), with method index 0 "lh5",
// 1 "lh6", 2 "lh7" (any other value "lh5"), into the archive named after clock's time (the
// system's local time when clock is empty). Errors of the archive component pass through.
TArchiveResult MakeArchive(const std::string& baseFolder, const std::string& archiveFolder, int method,
                           bool longNaming, bool progressDialog, TLog log,
                           const TLocalClock& clock = nullptr);

// True for a name the LHA library gives its temporary files ("ulh" and up to four hex digits,
// ".tmp"): a pack that was ended half-way leaves one in the archive folder.
bool IsPackLeftoverName(const std::string& name);

// Removes the files of folder that are leftovers of an ended pack (IsPackLeftoverName) and are not
// in use; returns how many went.
size_t RemovePackLeftovers(const std::string& folder, TLog log = nullptr);

// True when the library reads the archive back whole: every entry decoded and its CRC checked.
// Errors of the archive component pass through.
bool ArchiveReadsBack(const std::string& archivePath);

}  // namespace ostra
