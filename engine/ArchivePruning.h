// The removal of old archives after a run: the archive folder keeps the newest archives this
// program made, as many as KeepArchives says, and loses the older ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LogAndStop.h"
#include "StepReport.h"
#include "StringLists.h"

namespace ostra {

// The most archives KeepArchives can ask to keep; a larger value is taken as this one.
inline constexpr int kMaxKeepArchives = 9999;

// KeepArchives as a run takes it: a negative value is 0 (keep all), a larger one kMaxKeepArchives.
int KeepArchivesOf(int value);

// The date in an archive name this program gives, as YYYYMMDDhhmm, when name is exactly one of its
// two forms ("2005_0302_0905.lzh" or "2005年03月02日09時05分.lzh": digits only, a real date and
// time, ".lzh" as written); -1 for any other name.
int64_t ArchiveNameDate(const std::string& name);

struct TPruneResult {
    TStrings Removed;                     // file names of the archives removed, oldest first
    std::vector<TFailedItem> NotRemoved;  // archives that were to go and stayed
};

// Keeps the newest keep archives of folder, counting newArchive (the one the run just made, never
// removed) as one of them, and removes the older ones: through the recycle bin (with no question,
// no progress and no error box) when recycleBin is set, else for good. Only files whose names
// ArchiveNameDate takes are counted or removed; other files and any folder are never touched.
// Archives are ordered by the date in their names, not by file times. Each removal, and each
// failure, is written to log. keep of 0 or less removes nothing.
TPruneResult PruneOldArchives(const std::string& folder, int keep, const std::string& newArchive,
                              bool recycleBin, TLog log);

}  // namespace ostra
