#include "FileTimes.h"

namespace ostra {

bool FileWriteTime(const std::string& path, FILETIME& utc) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return false;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    utc = d.ftLastWriteTime;
    return true;
}

}  // namespace ostra
