#include "FileTimes.h"

namespace ostra {

bool FileWriteTime(const std::string& path, FILETIME& utc) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return false;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    utc = d.ftLastWriteTime;
    return true;
}

bool FileTimeToLocalDos(const FILETIME& utc, uint32_t& dos) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
        return false;
    dos = (static_cast<uint32_t>(date) << 16) | time;
    return true;
}

bool LocalDosToFileTime(uint16_t date, uint16_t time, FILETIME& utc) {
    FILETIME local;
    return ::DosDateTimeToFileTime(date, time, &local) && ::LocalFileTimeToFileTime(&local, &utc);
}

}  // namespace ostra
