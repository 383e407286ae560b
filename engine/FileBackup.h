// The first step of a run: the registered single files, flat into the files subfolder.
#pragma once

#include <string>

#include "LogAndStop.h"

namespace ostra {

// Only entries with a full path are backed up; a relative or empty one is skipped like a missing
// file.
void BackupFiles(const std::string& destination, const TStrings& entries, TLog log, bool timestamp,
                 const TCheckStopEvent& checkStop);

}  // namespace ostra
