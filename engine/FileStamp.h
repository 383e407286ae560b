// Time stamps of the copy steps: a copy is made only when its source is newer than the copy
// already there, at the two-second resolution of packed DOS times.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ostra {

// The file's last-write time in local time, packed into the DOS form (date in the upper 16 bits,
// time with seconds halved in the lower 16); -1 for a path that names no file, or a time the
// DOS form cannot hold.
int32_t FileStamp(const std::string& path);

// True when source is newer than target. A missing target is always older. Times that differ by
// less than two seconds (within one DOS time step) count as equal; every date orders correctly,
// including those the packed form cannot hold (before 1980, or 2044 and later where the packed
// value turns negative).
bool SourceIsNewer(const std::string& source, const std::string& target);
// The same rule on two last-write times (UTC).
bool IsNewer(const FILETIME& source, const FILETIME& target);

}  // namespace ostra
