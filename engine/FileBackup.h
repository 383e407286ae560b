// The first step of a run: the registered single files, flat into the files subfolder.
#pragma once

#include <string>

#include "LogAndStop.h"

namespace ostra {

void BackupFiles(const std::string& destination, const TStrings& entries, TLog log, bool timestamp,
                 const TCheckStopEvent& checkStop);

}  // namespace ostra
