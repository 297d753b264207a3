// What the floppy controller last did, for the configuration dump. The
// controller does not count its accesses yet.
#pragma once

#include <cstdint>

inline uint32_t g_fdc_last_access = 0;
inline int32_t g_fdc_access_count = 0;
