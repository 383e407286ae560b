#include "lha/lha.h"

#include <algorithm>

namespace lha {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's civil algorithm).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

}  // namespace

std::int64_t dos_time_to_seconds(std::uint32_t dos_time) {
    unsigned date = dos_time >> 16, time = dos_time & 0xFFFF;
    std::int64_t year = 1980 + (date >> 9);
    unsigned month = std::clamp((date >> 5) & 15u, 1u, 12u);
    unsigned day = std::clamp(date & 31u, 1u, 31u);
    unsigned hour = std::min(time >> 11, 23u);
    unsigned minute = std::min((time >> 5) & 63u, 59u);
    unsigned second = std::min((time & 31u) * 2, 59u);
    return days_from_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::uint32_t seconds_to_dos_time(std::int64_t seconds) {
    const std::int64_t lo = days_from_civil(1980, 1, 1) * 86400;
    const std::int64_t hi = days_from_civil(2107, 12, 31) * 86400 + 86399;
    seconds = std::clamp(seconds, lo, hi);
    std::int64_t days = seconds / 86400, rest = seconds % 86400;
    std::int64_t y;
    unsigned m, d;
    civil_from_days(days, y, m, d);
    auto date = static_cast<std::uint32_t>(((y - 1980) << 9) | (m << 5) | d);
    auto time =
        static_cast<std::uint32_t>(((rest / 3600) << 11) | (((rest / 60) % 60) << 5) | ((rest % 60) / 2));
    return (date << 16) | time;
}

}  // namespace lha
