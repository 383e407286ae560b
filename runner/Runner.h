// The body of ostrun: one unattended run with the configuration saved in the program folder.
#pragma once

#include <string>

#include "WinHandles.h"

namespace ostra {

// Runs the steps with the configuration found in appDir (a folder with a trailing backslash) and
// returns the process exit status. Errors of a step pass through to the caller. The run marker is
// handed to runMarker, which the caller keeps until the process ends: an error box may stay up
// for hours, and the run is under way until it is closed.
int RunOnce(const std::string& appDir, KernelHandle& runMarker);

}  // namespace ostra
