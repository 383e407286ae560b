// The first step of a run: the registered single files, flat into the files subfolder.
#pragma once

#include <string>

#include "LogAndStop.h"
#include "StepReport.h"

namespace ostra {

// Only entries with a full path ("/" taken as "\") are backed up; a relative or empty one is
// skipped like a missing file (counted as Missing, no log line). A file that cannot be copied is
// logged and counted with its reason. Paths of any length are copied.
TStepReport BackupFiles(const std::string& destination, const TStrings& entries, TLog log, bool timestamp,
                        const TCheckStopEvent& checkStop);

}  // namespace ostra
