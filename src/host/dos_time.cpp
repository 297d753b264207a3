#include "host/dos_time.h"

namespace {

constexpr int DOS_EPOCH_YEAR = 1980;
constexpr int DOS_LAST_YEAR = 2107;
constexpr int TM_YEAR_BASE = 1900;

constexpr DosTime DOS_FIRST = {0, (1 << 5) | 1};
constexpr DosTime DOS_LAST = {(23 << 11) | (59 << 5) | 29, ((DOS_LAST_YEAR - DOS_EPOCH_YEAR) << 9) | (12 << 5) | 31};

bool leap_year(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap_year(year) ? 29 : DAYS[month - 1];
}

}  // namespace

DosTime dos_time_from_host(std::time_t t) {
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return DOS_FIRST;
    int year = tm.tm_year + TM_YEAR_BASE;
    if (year < DOS_EPOCH_YEAR) return DOS_FIRST;
    if (year > DOS_LAST_YEAR) return DOS_LAST;
    int second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return {uint16_t((tm.tm_hour << 11) | (tm.tm_min << 5) | (second / 2)),
            uint16_t(((year - DOS_EPOCH_YEAR) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday)};
}

bool dos_time_to_host(DosTime dos, std::time_t& t) {
    int second = (dos.time & 0x1F) * 2, minute = (dos.time >> 5) & 0x3F, hour = dos.time >> 11;
    int day = dos.date & 0x1F, month = (dos.date >> 5) & 0x0F, year = (dos.date >> 9) + DOS_EPOCH_YEAR;
    if (second > 59 || minute > 59 || hour > 23 || month < 1 || month > 12) return false;
    if (day < 1 || day > days_in_month(year, month)) return false;
    std::tm tm{};
    tm.tm_year = year - TM_YEAR_BASE;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    t = std::mktime(&tm);
    return true;
}
