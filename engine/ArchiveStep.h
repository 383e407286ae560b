// The archive step: the base folder packed into one dated LHA archive in the archive folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "LogAndStop.h"

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
};

// The local date and time an archive is named after: the system's clock, or a fixed one in tests.
using TLocalClock = std::function<SYSTEMTIME()>;

// Packs every file below the base folder under its relative name, with method index 0 "lh5",
// 1 "lh6", 2 "lh7" (any other value "lh5"), into the archive named after clock's time (the
// system's local time when clock is empty). Errors of the archive component pass through.
TArchiveResult MakeArchive(const std::string& baseFolder, const std::string& archiveFolder, int method,
                           bool longNaming, bool progressDialog, TLog log,
                           const TLocalClock& clock = nullptr);

// True when the library reads the archive back whole: every entry decoded and its CRC checked.
// Errors of the archive component pass through.
bool ArchiveReadsBack(const std::string& archivePath);

}  // namespace ostra
