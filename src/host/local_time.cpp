#include "host/local_time.h"

#include <ctime>

static bool g_fixed_set;
static HostLocalTime g_fixed;

HostLocalTime host_local_time() {
    if (g_fixed_set) return g_fixed;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    if (localtime_r(&now, &tm) == nullptr) return HostLocalTime{1980, 1, 1, 2, 0, 0, 0};
    HostLocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.weekday = tm.tm_wday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    // A leap second shows as 59: the clock has no digit for 60.
    t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return t;
}

void host_local_time_set(const HostLocalTime* fixed) {
    g_fixed_set = fixed != nullptr;
    if (fixed) g_fixed = *fixed;
}
