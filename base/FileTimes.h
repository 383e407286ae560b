// File times: a file's last-write time, and the packed local DOS date and time that archives and
// the copy steps' time stamps use (date in the upper 16 bits, time with seconds halved in the
// lower 16).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ostra {

// The last-write time (UTC) of the file at path; false for a missing path or a folder.
bool FileWriteTime(const std::string& path, FILETIME& utc);

// The local DOS date and time of a UTC file time; false for a time the DOS form cannot hold
// (before 1980, after 2107).
bool FileTimeToLocalDos(const FILETIME& utc, uint32_t& dos);

// The UTC file time of a local DOS date and time; false when they name no valid moment.
bool LocalDosToFileTime(uint16_t date, uint16_t time, FILETIME& utc);

inline uint64_t FileTimeValue(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace ostra
