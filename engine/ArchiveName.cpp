#include <cstdio>

#include "ArchiveStep.h"

namespace ostra {

std::string ArchiveName(const SYSTEMTIME& t, bool longForm) {
    char buf[64];
    if (longForm)
        std::snprintf(buf, sizeof buf, "%04u年%02u月%02u日%02u時%02u分.lzh", t.wYear, t.wMonth, t.wDay,
                      t.wHour, t.wMinute);
    else
        std::snprintf(buf, sizeof buf, "%04u_%02u%02u_%02u%02u.lzh", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute);
    return buf;
}

}  // namespace ostra
