#include "debugger/debugger.h"

#include <cstdarg>
#include <cstdio>

uint32_t g_debugger_active;

void dbg_write(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stdout, fmt, args);
    va_end(args);
}
