// The format probe most back-ends share.
#pragma once

#include <string>

#include "ArchiverDll.h"

namespace arc {

// Mode of the probes' OpenArchive.
constexpr DWORD kProbeOpenMode = 0x800002;

// Loads the class's binding, opens the file (its full name) for listing and closes the handle
// again (only one the library gave). True when it gave one; any exception answers false.
bool OpensAsArchive(TBindingHolder& classBinding, const std::string& fileName);

}  // namespace arc
