// IOCS call tables (TRAP #15 served on the host).
#pragma once

// Firmware routines take no arguments; they work on the registers and memory.
using FirmwareRoutine = void (*)();

extern FirmwareRoutine g_iocs_hook_table[256];
extern FirmwareRoutine g_iocs_native_table[256];
