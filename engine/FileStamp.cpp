#include "FileStamp.h"

#include "FileTimes.h"

namespace ostra {

namespace {
constexpr uint64_t kTwoSeconds = 20000000;  // in 100-ns units
}  // namespace

int32_t FileStamp(const std::string& path) {
    FILETIME t;
    uint32_t dos = 0;
    if (!FileWriteTime(path, t) || !FileTimeToLocalDos(t, dos)) return -1;
    return static_cast<int32_t>(dos);
}

bool SourceIsNewer(const std::string& source, const std::string& target) {
    FILETIME s, t;
    if (!FileWriteTime(target, t)) return true;
    if (!FileWriteTime(source, s)) return false;
    return IsNewer(s, t);
}

bool IsNewer(const FILETIME& source, const FILETIME& target) {
    // Whole two-second steps of the full file time order exactly as the packed local DOS stamps
    // do (the local offset is a whole number of minutes), without their limits.
    return FileTimeValue(source) / kTwoSeconds > FileTimeValue(target) / kTwoSeconds;
}

}  // namespace ostra
