// Console debugger.
#pragma once

#include <cstdint>

extern uint32_t g_debugger_active; // 1 while the console is open
// Text output of the debugger.
void dbg_write(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
