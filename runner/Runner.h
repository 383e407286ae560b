// The body of ostrun: one unattended run with the configuration saved in the program folder.
#pragma once

#include <string>

namespace ostra {

// Runs the steps with the configuration found in appDir (a folder with a trailing backslash) and
// returns the process exit status. Errors of a step pass through to the caller.
int RunOnce(const std::string& appDir);

}  // namespace ostra
