#include "core/link/recorder_clock.h"

namespace {

long long FloorDiv(long long a, long long b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar. Months outside
// 1..12 and days outside the month roll over, as the C library's mktime does.
long long DaysFromCivil(long long y, long long m, long long d) {
    const long long m0 = m - 1;
    y += FloorDiv(m0, 12);
    const long long month = m0 - FloorDiv(m0, 12) * 12 + 1;
    y -= month <= 2;
    const long long era = FloorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + (d - 1);
}

// Local midnight of the day `days` after 1 January 2001.
std::time_t LocalMidnight(int days) {
    std::tm tm{};
    tm.tm_year = 2001 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 1 + days;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace

int TimeValue(int hour, int minute) {
    return (hour * 60 + minute) * 30;
}

int DateValue(int year, int month, int day) {
    // Whole calendar days, not seconds between two local midnights divided by 86400: across a
    // daylight-saving change that division comes out an hour short and truncates to the day
    // before, which would set the recorder's calendar a day behind all summer.
    const long long days = DaysFromCivil(year, month, day) - DaysFromCivil(2001, 1, 1);
    if (days < 0) return 0;
    return days > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(days);
}

std::time_t DateFromValue(int value) {
    // Local midnight of that calendar day (daylight saving taken into account, so the day read
    // back in local time is always the right one).
    return LocalMidnight(static_cast<int>(static_cast<unsigned>(value) & 0xFFFF));
}

std::time_t RecorderBaseDate() {
    return LocalMidnight(0);
}
