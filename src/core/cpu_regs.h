// MC68000 register record and the run loop's control state.
#pragma once

#include <atomic>
#include <cstdint>

struct CpuRegs {
    uint32_t r[16];             // D0-D7, then A0-A7; A7 is the active stack pointer
    uint32_t pc;                // address of the next opcode word between instructions
    uint32_t op_addr;           // address of the opcode being executed
    uint32_t usp_save;          // user stack pointer while the supervisor stack is active
    uint32_t ssp_save;          // supervisor stack pointer while the user stack is active
    uint32_t sr;                // status register in the low 16 bits
    const uint8_t* fetch_base;  // host = fetch_base + pc
    uint32_t refetch;           // the run loop's slow step follows the instruction (REFETCH_*)
    uint32_t fault_addr;
    uint32_t irq_request;  // an accepted interrupt waits to be taken
    uint32_t irq_level;
    uint32_t irq_vector_offset;
    uint32_t irq_pending;  // bits 0-15 MFP channels, 16+L levels, 22 any MFP, 23 NMI
    uint32_t cycles_per_frame;
    std::atomic<uint32_t> cycles_since_tick;
    uint32_t cycles_in_frame;
    uint32_t cycles;          // cycles since the scheduler last took them
    uint32_t cycle_deadline;  // value of cycles at which the next event is due
    uint32_t event_kind;
    uint32_t fault_code;
    uint32_t exception_busy;  // vector offset being processed, EXCEPTION_NONE when none
    uint32_t trace_delay;     // trace step counter
    uint32_t stopped;         // a STOP at pc waits for an interrupt
};

extern CpuRegs g_cpu_regs;

// The record's fields under the names the rest of the system uses.
// Bits of refetch: reload the fetch base before the next fetch; test the
// trace bit and an accepted interrupt after the instruction, and the read
// watch on the next opcode word (every SR write and interrupt request sets
// it; the loop clears it when none of them holds).
inline constexpr uint32_t REFETCH_BASE = 1, REFETCH_TESTS = 2;
// exception_busy when no exception is processed; vector offsets below
// EXCEPTION_GROUP0_END are the bus and address errors.
inline constexpr uint32_t EXCEPTION_NONE = 0x100, EXCEPTION_GROUP0_END = 0x10;

// Run flags: any nonzero value ends the instruction loop after the current
// instruction. Set from other threads too (the host timer, signals).
inline constexpr uint32_t RUN_STEP = 1;      // stop after one instruction
inline constexpr uint32_t RUN_BREAK = 2;     // watch hit, power-off, debugger
inline constexpr uint32_t RUN_REQUEST = 4;   // machine request pending
inline constexpr uint32_t RUN_RTC_TICK = 8;  // host timer tick
extern std::atomic<uint32_t> g_run_flags;
inline void run_flags_set(uint32_t bits) { g_run_flags.fetch_or(bits, std::memory_order_relaxed); }
inline void run_flags_clear(uint32_t bits) { g_run_flags.fetch_and(~bits, std::memory_order_relaxed); }
inline uint32_t run_flags() { return g_run_flags.load(std::memory_order_relaxed); }

// Bits of irq_pending besides the MFP channels 0-15.
inline constexpr uint32_t IRQ_PENDING_MFP_CHANNELS = 0xFFFF;
inline constexpr uint32_t IRQ_PENDING_MFP_ANY = 1u << 22;
inline constexpr uint32_t IRQ_PENDING_NMI = 1u << 23;
inline constexpr uint32_t irq_pending_level(uint32_t level) { return 1u << (16 + level); }

// Status register bits.
inline constexpr uint32_t SR_C = 0x01, SR_V = 0x02, SR_Z = 0x04, SR_N = 0x08, SR_X = 0x10;
inline constexpr uint32_t SR_S = 0x2000, SR_T = 0x8000;
inline constexpr uint32_t SR_IMPLEMENTED = 0xA71F;  // the bits the chip has

inline uint32_t& cpu_d(unsigned n) { return g_cpu_regs.r[n]; }
inline uint32_t& cpu_a(unsigned n) { return g_cpu_regs.r[8 + n]; }
inline uint32_t& cpu_sp() { return g_cpu_regs.r[15]; }
inline bool cpu_supervisor() { return (g_cpu_regs.sr & SR_S) != 0; }
// Register number 0-15 of a register slot.
inline unsigned cpu_reg_number(const uint32_t* slot) { return unsigned(slot - g_cpu_regs.r); }

extern uint8_t g_cpu_idle;  // 1 while the run loop is not running
