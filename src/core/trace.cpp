#include "core/trace.h"

#include <cstring>

#include "core/bus.h"

TraceHistory g_trace_history;

IoTrace g_iotrace = {0xE80000, 0xE9FFFF, 0, {}, {}, {}, {}};

uint8_t g_rom_access_map[ROM_ACCESS_MAP_SIZE];

void iotrace_record(uint8_t kind, uint32_t addr, uint32_t value, uint32_t pc) {
    uint32_t a = addr & 0xFFFFFF;
    if (a < g_iotrace.window_start || a > g_iotrace.window_end) return;
    uint32_t i = g_iotrace.index % TRACE_SIZE;
    g_iotrace.kind[i] = kind;
    g_iotrace.pc[i] = pc;
    g_iotrace.value[i] = value;
    g_iotrace.addr[i] = addr;
    g_iotrace.index = i + 1;
}

void init_clear_trace_buffers() {
    std::memset(g_trace_kind, 0, sizeof g_trace_kind);
    std::memset(g_trace_pc, 0, sizeof g_trace_pc);
    std::memset(g_trace_addr, 0, sizeof g_trace_addr);
    std::memset(g_trace_value, 0, sizeof g_trace_value);
    std::memset(&g_iotrace, 0, sizeof g_iotrace);
    g_iotrace.window_start = 0xE80000;
    g_iotrace.window_end = 0xE9FFFF;
    g_watch_read.enable = 0;
    g_watch_write.enable = 0;
}
