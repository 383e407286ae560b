// Conversions between the time stamps of LHA headers and Windows file times. The programs' base
// library has its own; this library stands in for another product and links nothing of ours.
#pragma once

#include <windows.h>

#include <lha/lha.h>

#include <cstdint>

namespace unlha {

std::uint64_t ToUint64(const FILETIME& ft);
FILETIME ToFileTime(std::uint64_t v);
std::uint64_t UnixToFileTime(std::int64_t seconds);
std::int64_t FileTimeToUnix(std::uint64_t ft);
// DOS date-time (date in the high word) read as local time, in UTC; 0 when invalid.
std::uint64_t DosToFileTime(std::uint32_t dosTime);
// Local DOS date-time of a UTC file time; 0 when it cannot be converted.
std::uint32_t FileTimeToDos(std::uint64_t ft);

// The entry's last-write time in UTC: the Windows time when stored, else the Unix time, else
// the DOS time. 0 when the entry has none.
std::uint64_t EntryWriteTime(const lha::Entry& e);
std::uint64_t EntryCreationTime(const lha::Entry& e);  // falls back to the write time
std::uint64_t EntryAccessTime(const lha::Entry& e);    // falls back to the write time
// The entry's local DOS date-time, from the DOS field or converted from the other times.
std::uint32_t EntryDosTime(const lha::Entry& e);

}  // namespace unlha
