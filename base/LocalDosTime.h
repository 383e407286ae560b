// Conversions between UTC file times and the packed local DOS date and time (date in the upper 16
// bits, time with seconds halved in the lower 16) that archives and the copy steps' time stamps
// use. Header-only, so that the stand-in libraries, which link nothing of ours, share them too.
#pragma once

#include <windows.h>

#include <cstdint>

namespace ostra {

// The local DOS date and time of a UTC file time; false for a time the DOS form cannot hold
// (before 1980, after 2107).
inline bool FileTimeToLocalDos(const FILETIME& utc, uint32_t& dos) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
        return false;
    dos = (static_cast<uint32_t>(date) << 16) | time;
    return true;
}

// The UTC file time of a local DOS date and time; false when they name no valid moment.
inline bool LocalDosToFileTime(uint16_t date, uint16_t time, FILETIME& utc) {
    FILETIME local;
    return ::DosDateTimeToFileTime(date, time, &local) && ::LocalFileTimeToFileTime(&local, &utc);
}

inline uint64_t FileTimeValue(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace ostra
