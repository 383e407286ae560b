// Owning wrappers for the Win32 handles of this library, so that every way out of a command, an
// exception included, closes what it opened. They are the programs' header-only wrappers: a
// stand-in for another product links nothing of ours, but a header is no dependency.
#pragma once

#include "WinHandles.h"

namespace unlha {

using ostra::FileHandle;
using ostra::FindHandle;
using ostra::WindowHandle;

}  // namespace unlha
