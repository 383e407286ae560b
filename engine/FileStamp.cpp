#include "FileStamp.h"

#include <windows.h>

namespace ostra {

namespace {
bool LastWriteTime(const std::string& path, uint64_t& t) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return false;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    t = (static_cast<uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
    return true;
}
constexpr uint64_t kTwoSeconds = 20000000;  // in 100-ns units
}  // namespace

int32_t FileStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!::FileTimeToLocalFileTime(&d.ftLastWriteTime, &local) ||
        !::FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

bool SourceIsNewer(const std::string& source, const std::string& target) {
    uint64_t s = 0, t = 0;
    if (!LastWriteTime(target, t)) return true;
    if (!LastWriteTime(source, s)) return false;
    // Whole two-second steps of the full file time order exactly as the packed local DOS stamps
    // do (the local offset is a whole number of minutes), without their limits.
    return s / kTwoSeconds > t / kTwoSeconds;
}

}  // namespace ostra
