// The body of ostrun: one unattended run with the configuration saved in the program folder.
#pragma once

#include <string>

#include "BackupRun.h"

namespace ostra {

// The input of one unattended run from the configuration in appDir (a folder with a trailing
// backslash): the run settings of ostra.ini, the two subfolder names, and each list whose file
// exists. No progress dialog, no questions, no error boxes of the shell. False when there is no
// ostra.ini: nothing is to be done.
bool ReadRunnerInput(const std::string& appDir, TRunInput& input);

// The exit status of ostrun: 1 when the run had files to pack but made no complete archive,
// else 0 (also when nothing was to be done or another run was under way).
int ExitStatus(const TRunResult& result);

// Reads, runs and returns the exit status. Errors of a step pass through, after the run is over.
int RunOnce(const std::string& appDir);

}  // namespace ostra
