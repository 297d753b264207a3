// The run driver and the fetch-dispatch loop.
#include "core/cpu_loop.h"

#include <csetjmp>
#include <cstring>

#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/exceptions.h"
#include "core/inline.h"
#include "core/trace.h"

CpuRegs g_cpu_regs;
std::atomic<uint32_t> g_run_flags;
uint32_t g_host_call_depth;
uint32_t g_host_fault_unwinding;

// Where an exception leaves the instruction in progress. The core's own
// frames hold nothing to destroy, so a jump is enough; host code under a
// HostCallScope is left by a C++ exception instead, so its destructors run.
static std::jmp_buf g_loop_resume;

void cpu_loop_exit() {
    if (g_host_call_depth != 0) {
        g_host_fault_unwinding = 1;
        throw GuestExceptionTaken{};
    }
    std::longjmp(g_loop_resume, 1);
}

void cpu_power_on() {
    std::memset(static_cast<void*>(&g_cpu_regs), 0, sizeof g_cpu_regs);
    g_cpu_idle = 1;
    g_cpu_regs.exception_busy = EXCEPTION_NONE;
    g_cpu_regs.refetch = 1;
}

std::span<const uint8_t> cpu_state() { return {reinterpret_cast<const uint8_t*>(&g_cpu_regs), sizeof g_cpu_regs}; }

void cpu_dispatch_event() {
    HostCallScope host;
    sched_dispatch(g_cpu_regs.event_kind);
}

void cpu_check_deadline() {
    if (g_cpu_regs.cycles >= g_cpu_regs.cycle_deadline) cpu_dispatch_event();
}

// The resume step: true when the loop must return to the run driver.
static bool cpu_loop_resume() {
    uint32_t flags = run_flags();
    if (flags == 0) return false;
    if ((flags & (RUN_STEP | RUN_BREAK | RUN_REQUEST)) == 0 && (flags & RUN_RTC_TICK)) {
        run_flags_clear(RUN_RTC_TICK);
        emu_post_request(REQ_RTC_TICK);
    }
    return true;
}

// The bookkeeping before an instruction at pc: its history entry e, the IPL
// ROM access map and the opcode address. The read watch on the opcode word
// is tested apart (cpu_watch_opcode).
ZOLM_ALWAYS_INLINE void cpu_begin_instruction(uint32_t pc, uint32_t e) {
    g_trace_index = e;
    g_trace_pc[e] = pc;
    g_trace_kind[e] = TRACE_INSN;
    // One compare: the IPL ROM is the top of the 24-bit space.
    if (pc >= ROM_ACCESS_MAP_BASE) [[unlikely]] {
        if (pc - ROM_ACCESS_MAP_BASE < ROM_ACCESS_MAP_SIZE) g_rom_access_map[pc - ROM_ACCESS_MAP_BASE] |= ROM_EXECUTED;
    }
    g_cpu_regs.op_addr = pc;
}
// While a read watch is set, the test after each instruction runs the full
// way and tests the next opcode word there, the last thing before it runs.
ZOLM_ALWAYS_INLINE uint32_t cpu_watch_opcode(uint32_t pc) {
    mem_watch_read_word(pc);
    return g_watch_read.enable ? REFETCH_TESTS : 0;
}

// The fetch base for the instruction at pc (history entry e) after
// g_cpu_regs.refetch. A fetch that faults does so after the instruction's
// bookkeeping, as a fetch does.
static const uint8_t* cpu_reload_fetch_base(uint32_t pc, uint32_t e) {
    const uint8_t* base = (pc & 1) ? nullptr : g_fetch_page_table[bus_page(pc & 0xFFFFFF)];
    g_cpu_regs.refetch &= ~REFETCH_BASE;
    if (!base) {
        cpu_begin_instruction(pc, e);
        mem_watch_read_word(pc);
        if (pc & 1) mem_address_error_fetch(pc);
        g_cpu_regs.fault_code = mem_fault_code_read();
        g_cpu_regs.fault_addr = pc;
        cpu_raise_fault_exception(VEC_BUS_ERROR, pc);
        cpu_take_exception(VEC_BUS_ERROR, pc);
    }
    // The first word of a bus or address error's handler can be fetched.
    g_cpu_regs.exception_busy = EXCEPTION_NONE;
    g_cpu_regs.fetch_base = base;
    return base;
}

// The slow step after an instruction, given the next PC and history entry:
// each test in its order. True when the loop must return to the run driver;
// else the loop goes on from g_cpu_regs.pc, the history index and g_cpu_regs.fetch_base.
[[gnu::noinline]] static bool cpu_after_instruction(uint32_t pc, uint32_t e) {
    g_cpu_regs.pc = pc;
    g_trace_index = e;
    if (g_cpu_regs.sr & SR_T) cpu_trace_step();
    if (run_flags() && cpu_loop_resume()) return true;
    if (g_cpu_regs.irq_request) cpu_take_interrupt();
    pc = g_cpu_regs.pc;
    if (g_cpu_regs.refetch & REFETCH_BASE) cpu_reload_fetch_base(pc, trace_entry());
    g_cpu_regs.refetch = ((g_cpu_regs.sr & SR_T) | g_cpu_regs.irq_request) ? REFETCH_TESTS : 0;
    g_cpu_regs.refetch |= cpu_watch_opcode(pc);
    return false;
}

// The PC, the fetch base and the history entry stay in locals. A handler
// finds its opcode address in g_cpu_regs.op_addr, the base in g_cpu_regs.fetch_base and
// its entry in g_trace_index; g_cpu_regs.pc gets the next PC only when the loop
// leaves its fast path (the slow step, an event, an exception). Only the
// loop, interrupts, the trace step and a TRAP served on the host move the
// entry.
static void cpu_run_loop() {
    uint32_t pc = g_cpu_regs.pc;
    const uint8_t* base = g_cpu_regs.fetch_base;
    if (g_cpu_regs.irq_request) [[unlikely]] {
        cpu_take_interrupt();
        pc = g_cpu_regs.pc;
    }
    uint32_t e = trace_entry();
    if (g_cpu_regs.refetch & REFETCH_BASE) base = cpu_reload_fetch_base(pc, e);
    // The registers may have been changed from outside: the first
    // instruction's test is the full one.
    g_cpu_regs.refetch = REFETCH_TESTS;
    cpu_watch_opcode(pc);
    for (;;) {
        cpu_begin_instruction(pc, e);
        const uint8_t* p = base + pc;
        // The opcode word as the host loads it: both tables are in that order.
        uint16_t slot;
        std::memcpy(&slot, p, sizeof slot);
        g_opcode_counts.raw(slot)++;
        const DecodeRecord* rec = g_opcode_table.raw(slot);
        OpResult r = rec->exec(rec, pc + 2);
        e = trace_next(trace_entry());
        pc = r.pc;
        uint32_t cycles = g_cpu_regs.cycles + r.cycles;
        g_cpu_regs.cycles = cycles;
        if (cycles >= g_cpu_regs.cycle_deadline) [[unlikely]] {
            g_cpu_regs.pc = pc;
            g_trace_index = e;
            cpu_check_deadline();
            e = trace_entry();
        }
        // The trace bit, the run flags, an accepted interrupt and a reload of
        // the fetch base: one test on the common path, the rest apart.
        if (g_cpu_regs.refetch | run_flags()) [[unlikely]] {
            if (cpu_after_instruction(pc, e)) return;
            pc = g_cpu_regs.pc;
            e = trace_entry();
            base = g_cpu_regs.fetch_base;
        }
    }
}

void cpu_enter_loop() {
    g_cpu_regs.refetch = 1;
    volatile bool resumed = false;
    if (setjmp(g_loop_resume) != 0) resumed = true;
    for (;;) {
        try {
            if (resumed) {
                // An exception left an instruction; its frame is stacked. An
                // event that fell due meanwhile runs now, as it would have
                // after the instruction: a machine whose every instruction
                // faults keeps time.
                cpu_check_deadline();
                if (cpu_loop_resume()) return;
            }
            cpu_run_loop();
            return;
        } catch (const GuestExceptionTaken&) {
            // The same, from host code that has now unwound.
            g_host_fault_unwinding = 0;
            resumed = true;
        }
    }
}

void cpu_run() {
    g_cpu_idle = 0;
    for (;;) {
        if (emu_pending_request() == REQ_NONE) {
            cpu_enter_loop();
            // A debugger step runs one instruction; a request it left waits.
            if (emu_pending_request() == REQ_NONE || (run_flags() & RUN_STEP)) {
                g_cpu_idle = 1;
                return;
            }
        }
        g_cpu_idle = 1;
        uint32_t go_on = emu_dispatch_request();
        g_cpu_idle = 0;
        if (!go_on) {
            g_cpu_idle = 1;
            return;
        }
    }
}
