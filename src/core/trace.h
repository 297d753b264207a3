// Debugger data kept by the core: execution history, I/O access log,
// per-opcode counters and the IPL ROM access map.
#pragma once

#include <cstdint>

#include "core/inline.h"
#include "core/opcode_indexed.h"

inline constexpr uint32_t TRACE_SIZE = 8192;

// History entry kinds.
enum TraceKind : uint8_t {
    // clang-format off
    TRACE_NONE = 0, TRACE_INSN = 1,
    TRACE_MEM_B = 3, TRACE_MEM_W = 5, TRACE_MEM_L = 7,
    TRACE_REG_B = 9, TRACE_REG_W = 11, TRACE_REG_L = 13,
    TRACE_EXCEPTION = 15, TRACE_INTERRUPT = 17, TRACE_IOCS = 19,
    // clang-format on
};

// The history and the per-opcode counters in one record, so that the loop
// and the handlers reach every array from one base address.
struct TraceHistory {
    uint32_t index;
    uint32_t pc[TRACE_SIZE];
    uint32_t addr[TRACE_SIZE];
    uint32_t value[TRACE_SIZE];
    uint8_t kind[TRACE_SIZE];
    OpcodeIndexed<uint32_t> opcode_counts;
};
extern TraceHistory g_trace_history;
// The record's arrays under names of their own: the CPU loop runs about 0.1%
// fewer host instructions with these than with the fields spelled out
// (callgrind on bench_cpu).
inline constexpr auto& g_trace_index = g_trace_history.index;
inline constexpr auto& g_trace_pc = g_trace_history.pc;
inline constexpr auto& g_trace_addr = g_trace_history.addr;
inline constexpr auto& g_trace_value = g_trace_history.value;
inline constexpr auto& g_trace_kind = g_trace_history.kind;
inline constexpr auto& g_opcode_counts = g_trace_history.opcode_counts;

// The index is kept below TRACE_SIZE: it is the entry of the newest record.
ZOLM_ALWAYS_INLINE uint32_t trace_entry() { return g_trace_index; }
ZOLM_ALWAYS_INLINE uint32_t trace_next(uint32_t e) { return (e + 1) % TRACE_SIZE; }
ZOLM_ALWAYS_INLINE void trace_advance() { g_trace_index = trace_next(g_trace_index); }

ZOLM_ALWAYS_INLINE void optrace_record_mem(uint8_t kind, uint32_t keep_mask, uint32_t addr, uint32_t value) {
    uint32_t e = trace_entry();
    g_trace_kind[e] = kind;
    g_trace_value[e] = (g_trace_value[e] & keep_mask) | (value & ~keep_mask);
    g_trace_addr[e] = addr;
}
// clang-format off
ZOLM_ALWAYS_INLINE void optrace_record_mem_b(uint32_t addr, uint32_t v) { optrace_record_mem(TRACE_MEM_B, 0xFFFFFF00, addr, v); }
ZOLM_ALWAYS_INLINE void optrace_record_mem_w(uint32_t addr, uint32_t v) { optrace_record_mem(TRACE_MEM_W, 0xFFFF0000, addr, v); }
// clang-format on
ZOLM_ALWAYS_INLINE void optrace_record_mem_l(uint32_t addr, uint32_t v) { optrace_record_mem(TRACE_MEM_L, 0, addr, v); }

// A register operand does not replace a memory operand of the same size.
ZOLM_ALWAYS_INLINE void optrace_record_reg(uint8_t mem_kind, uint32_t value) {
    uint32_t e = trace_entry();
    if (g_trace_kind[e] == mem_kind) return;
    g_trace_kind[e] = uint8_t(mem_kind + 6);
    g_trace_value[e] = value;
}
// A register record that is the instruction's first: its entry still holds
// TRACE_INSN, so there is no memory record to keep.
ZOLM_ALWAYS_INLINE void optrace_record_reg_first(uint8_t mem_kind, uint32_t value) {
    uint32_t e = trace_entry();
    g_trace_kind[e] = uint8_t(mem_kind + 6);
    g_trace_value[e] = value;
}
ZOLM_ALWAYS_INLINE void optrace_record_reg_byte(uint32_t v) { optrace_record_reg(TRACE_MEM_B, v); }
ZOLM_ALWAYS_INLINE void optrace_record_reg_word(uint32_t v) { optrace_record_reg(TRACE_MEM_W, v); }
ZOLM_ALWAYS_INLINE void optrace_record_reg_long(uint32_t v) { optrace_record_reg(TRACE_MEM_L, v); }

// I/O access log.
struct IoTrace {
    uint32_t window_start;
    uint32_t window_end;  // inclusive
    uint32_t index;
    uint8_t kind[TRACE_SIZE];
    uint32_t pc[TRACE_SIZE];
    uint32_t value[TRACE_SIZE];
    uint32_t addr[TRACE_SIZE];
};
extern IoTrace g_iotrace;

enum IoTraceKind : uint8_t {
    // clang-format off
    IOTRACE_READ_B = 1, IOTRACE_READ_W, IOTRACE_READ_L,
    IOTRACE_WRITE_B, IOTRACE_WRITE_W, IOTRACE_WRITE_L,
    // clang-format on
};
void iotrace_record(uint8_t kind, uint32_t addr, uint32_t value, uint32_t pc);
inline void iotrace_record_read_byte(uint32_t a, uint32_t v, uint32_t pc) { iotrace_record(IOTRACE_READ_B, a, v, pc); }
inline void iotrace_record_read_word(uint32_t a, uint32_t v, uint32_t pc) { iotrace_record(IOTRACE_READ_W, a, v, pc); }
inline void iotrace_record_read_long(uint32_t a, uint32_t v, uint32_t pc) { iotrace_record(IOTRACE_READ_L, a, v, pc); }
// clang-format off
inline void iotrace_record_write_byte(uint32_t a, uint32_t v, uint32_t pc) { iotrace_record(IOTRACE_WRITE_B, a, v, pc); }
inline void iotrace_record_write_word(uint32_t a, uint32_t v, uint32_t pc) { iotrace_record(IOTRACE_WRITE_W, a, v, pc); }
inline void iotrace_record_write_long(uint32_t a, uint32_t v, uint32_t pc) { iotrace_record(IOTRACE_WRITE_L, a, v, pc); }
// clang-format on

// Empties the history and the I/O log, resets the log window and disarms the watches.
void init_clear_trace_buffers();


// One flag byte per IPL ROM byte ($FE0000-$FFFFFF).
inline constexpr uint32_t ROM_ACCESS_MAP_BASE = 0xFE0000;
inline constexpr uint32_t ROM_ACCESS_MAP_SIZE = 0x20000;
enum RomAccess : uint8_t {
    // clang-format off
    ROM_EXECUTED = 0x01, ROM_LABEL_A = 0x02, ROM_LABEL_B = 0x04, ROM_LABEL_C = 0x08,
    ROM_READ_B = 0x10, ROM_READ_W = 0x20, ROM_READ_L = 0x40,
    // clang-format on
};
extern uint8_t g_rom_access_map[ROM_ACCESS_MAP_SIZE];
