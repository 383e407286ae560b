// File times: a file's last-write time, and (from LocalDosTime.h) the packed local DOS date and
// time that archives and the copy steps' time stamps use.
#pragma once

#include <windows.h>

#include <string>

#include "LocalDosTime.h"

namespace ostra {

// The last-write time (UTC) of the file at path; false for a missing path or a folder.
bool FileWriteTime(const std::string& path, FILETIME& utc);

}  // namespace ostra
