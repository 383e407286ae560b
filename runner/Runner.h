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

// ostrun's exit statuses, for schedulers that show a "last result".
inline constexpr int kExitAllDone = 0;           // everything asked was done (or nothing was asked)
inline constexpr int kExitError = 1;             // the run ended on an error (shown in a box)
inline constexpr int kExitLeftSomethingOut = 2;  // it finished, but left something out

// The exit status of a run that finished: 0 when it did everything it was asked (WhatWasLeftOut
// is empty; an empty BaseDir asks for nothing), else 2.
int ExitStatus(const TRunResult& result);

// Reads, runs, records the run in ostrun.log of the program folder and returns the exit status.
// Errors of a step pass through, after the run is over and recorded with status 1.
int RunOnce(const std::string& appDir);

}  // namespace ostra
