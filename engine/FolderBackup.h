// The second step of a run: the registered folders, each into its title subfolder of the base
// folder, with the paths below the registered folder kept.
#pragma once

#include <string>

#include "LogAndStop.h"
#include "StepReport.h"

namespace ostra {

// Only entries with a full folder path ("/" taken as "\") are backed up; the walks never enter
// the base folder nor the archive folder (empty: none), whatever the spelling of their paths
// (another drive letter for the same place, a link). A file whose name the ANSI calls cannot
// reach, a folder that cannot be listed and a file that cannot be copied are logged and counted
// with their reason; paths of any length are copied.
TStepReport BackupFolders(const std::string& baseFolder, const TStrings& entries, TLog log, bool timestamp,
                          const TCheckStopEvent& checkStop, const std::string& archiveFolder = std::string());

// True when title names a folder inside the base folder: empty (the base folder itself) or one
// plain name. ".", "..", names of dots and blanks alone (which the file system trims to nothing)
// and names holding \, / or : would lead elsewhere.
bool TitleIsUsable(const std::string& title);

}  // namespace ostra
