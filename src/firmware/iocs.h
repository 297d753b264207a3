// IOCS call tables (TRAP #15 served on the host).
#pragma once

#include "core/boundary.h"  // FirmwareRoutine, g_iocs_hook_table, g_iocs_native_table

// The IOCS call that only senses the keyboard; the paste text waits over it.
inline constexpr uint32_t IOCS_B_KEYSNS = 0x01;
