// The host's local time, for the clock chip.
#pragma once

struct HostLocalTime {
    int year;     // e.g. 2026
    int month;    // 1-12
    int day;      // 1-31
    int weekday;  // 0 = Sunday
    int hour;     // 0-23
    int minute;   // 0-59
    int second;   // 0-59
};

HostLocalTime host_local_time();

// Makes every later host_local_time() return *fixed (copied); nullptr goes
// back to the host's clock. For tests.
void host_local_time_set(const HostLocalTime* fixed);
