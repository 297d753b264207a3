// File times as the emulated system keeps them: DOS time and date words in
// local time (the TZ of the host).
#pragma once

#include <cstdint>
#include <ctime>

struct DosTime {
    uint16_t time;  // hour << 11 | minute << 5 | second / 2
    uint16_t date;  // (year - 1980) << 9 | month << 5 | day
};

// The local DOS form of a host time; years before 1980 give the first
// moment of 1980, years after 2107 the last of 2107.
DosTime dos_time_from_host(std::time_t t);
// The host time of a local DOS time and date; false when a field is out of
// range (month 0 or 13, day 31 of April, hour 24, minute 60, second 60).
bool dos_time_to_host(DosTime dos, std::time_t& t);
