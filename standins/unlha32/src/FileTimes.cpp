#include "FileTimes.h"

#include "LocalDosTime.h"

namespace unlha {

namespace {
constexpr std::int64_t kEpochDifference = 11644473600LL;  // seconds from 1601 to 1970
constexpr std::int64_t kTicksPerSecond = 10000000LL;
}  // namespace

std::uint64_t ToUint64(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t v) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(v);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return ft;
}

std::uint64_t UnixToFileTime(std::int64_t seconds) {
    if (seconds < -kEpochDifference) return 0;
    return static_cast<std::uint64_t>((seconds + kEpochDifference) * kTicksPerSecond);
}

std::int64_t FileTimeToUnix(std::uint64_t ft) {
    return static_cast<std::int64_t>(ft / kTicksPerSecond) - kEpochDifference;
}

std::uint64_t DosToFileTime(std::uint32_t dosTime) {
    if (dosTime == 0) return 0;
    FILETIME utc;
    if (!ostra::LocalDosToFileTime(static_cast<WORD>(dosTime >> 16), static_cast<WORD>(dosTime), utc))
        return 0;
    return ToUint64(utc);
}

std::uint32_t FileTimeToDos(std::uint64_t ft) {
    if (ft == 0) return 0;
    std::uint32_t dos = 0;
    return ostra::FileTimeToLocalDos(ToFileTime(ft), dos) ? dos : 0;
}

std::uint64_t EntryWriteTime(const lha::Entry& e) {
    if (e.has_file_times && e.write_time != 0) return e.write_time;
    if (e.has_unix_time) return UnixToFileTime(e.unix_time);
    if (e.has_dos_time) return DosToFileTime(e.dos_time);
    return 0;
}

std::uint64_t EntryCreationTime(const lha::Entry& e) {
    if (e.has_file_times && e.creation_time != 0) return e.creation_time;
    return EntryWriteTime(e);
}

std::uint64_t EntryAccessTime(const lha::Entry& e) {
    if (e.has_file_times && e.access_time != 0) return e.access_time;
    return EntryWriteTime(e);
}

std::uint32_t EntryDosTime(const lha::Entry& e) {
    if (e.has_dos_time) return e.dos_time;
    return FileTimeToDos(EntryWriteTime(e));
}

}  // namespace unlha
