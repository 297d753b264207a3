// The run driver and the fetch-dispatch loop.
#include "core/run_loop.h"

#include <csetjmp>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/exceptions.h"
#include "core/trace.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "sound/fm_card.h"

CpuRegs g_cpu_regs;

// Where an exception leaves the instruction in progress.
static std::jmp_buf g_loop_resume;

void cpu_loop_exit() { std::longjmp(g_loop_resume, 1); }

void cpu_dispatch_event() {
    uint32_t kind = g_event_kind;
    if (kind < 16) {
        if (kind != 7) cpu_raise_mfp_interrupt(kind);
        return;
    }
    switch (kind) {
    case 16: break;
    case 17: case 18: case 19: case 20: case 21: case 22: case 23:
        cpu_raise_level_interrupt(kind - 16);
        break;
    case EV_FRAME_START: emu_post_request(REQ_FRAME_START); break;
    case EV_VSYNC_END: emu_post_request(REQ_VSYNC_END); break;
    case EV_OPM_TIMER_A:
    case EV_OPM_TIMER_B: {
        uint32_t timer = kind - EV_OPM_TIMER_A; // 0 = A, 1 = B
        uint8_t control = g_fmcard.opm_regs[0x14];
        if (!(control & (1u << timer))) {
            sched_set_event(int(kind), 0);
            break;
        }
        if (timer == 0) emu_opm_timer_a(1); else emu_opm_timer_b(1);
        if (control & (4u << timer)) {
            sched_set_event(3, 2);
            g_fmcard.opm_regs[0] |= uint8_t(1u << timer);
        }
        break;
    }
    case EV_VDISP_START: emu_post_request(REQ_VDISP_START); break;
    case EV_VDISP_END: emu_post_request(REQ_VDISP_END); break;
    case EV_REFIND: sched_set_event(-1, 0); break;
    default: break;
    }
}

void cpu_check_deadline() {
    if (g_cycles >= g_cycle_deadline) cpu_dispatch_event();
}

// The resume step: true when the loop must return to the run driver.
static bool cpu_loop_resume() {
    uint32_t flags = run_flags();
    if (flags == 0) return false;
    if ((flags & 7) == 0 && (flags & RUN_RTC_TICK)) {
        g_event_request = REQ_RTC_TICK;
        run_flags_clear(RUN_RTC_TICK);
        run_flags_set(RUN_REQUEST);
    }
    return true;
}

static const uint8_t* cpu_reload_fetch_base(uint32_t pc) {
    g_refetch = 0;
    if (pc & 1) mem_address_error_fetch(pc);
    const uint8_t* base = g_fetch_page_table[bus_page(pc & 0xFFFFFF)];
    if (!base) {
        g_fault_code = mem_fault_code_read();
        g_fault_addr = pc;
        cpu_raise_fault_exception(VEC_BUS_ERROR, pc);
        cpu_take_exception(VEC_BUS_ERROR, pc);
    }
    g_fetch_base = base;
    return base;
}

// The PC, the fetch base and the history index stay in locals; the handlers
// see them in g_cpu_pc, g_fetch_base and g_trace_index, which only the loop,
// interrupts, the trace step and a TRAP served on the host change while it
// runs (an exception leaves the loop altogether). The index goes through
// memory once per instruction, not three times.
static void cpu_run_loop() {
    uint32_t pc = g_cpu_pc;
    const uint8_t* base = g_fetch_base;
    uint32_t index = g_trace_index;
    for (;;) {
        if (g_irq_request) [[unlikely]] {
            cpu_take_interrupt();
            pc = g_cpu_pc;
            index = g_trace_index;
        }
        uint32_t e = index % TRACE_SIZE;
        g_trace_index = e;
        g_trace_pc[e] = pc;
        g_trace_kind[e] = TRACE_INSN;
        if (pc - 0xFE0000u < ROM_ACCESS_MAP_SIZE) [[unlikely]]
            g_rom_access_map[pc - 0xFE0000u] |= ROM_EXECUTED;
        g_cpu_op_addr = pc;
        mem_watch_read_word(pc);
        if (g_refetch) [[unlikely]] base = cpu_reload_fetch_base(pc);
        const uint8_t* p = base + (pc & 0xFFFFFF);
        uint32_t opcode = (uint32_t(p[0]) << 8) | p[1];
        g_opcode_counts[opcode]++;
        const DecodeRecord* rec = g_opcode_table[opcode];
        OpResult r = rec->exec(rec, pc + 2);
        index = g_trace_index + 1;
        g_trace_index = index;
        pc = r.pc;
        g_cpu_pc = pc;
        uint32_t cycles = g_cycles + cpu_clamp_cycles(r.cycles);
        g_cycles = cycles;
        if (cycles >= g_cycle_deadline) [[unlikely]] {
            cpu_check_deadline();
            index = g_trace_index;
        }
        // The trace bit and the run flags: one test on the common path.
        if ((g_cpu_sr & SR_T) | run_flags()) [[unlikely]] {
            if (g_cpu_sr & SR_T) {
                cpu_trace_step();
                pc = g_cpu_pc;
                index = g_trace_index;
            }
            if (run_flags() && cpu_loop_resume()) return;
        }
    }
}

void cpu_enter_loop() {
    g_refetch = 1;
    if (setjmp(g_loop_resume) != 0) {
        // An exception left an instruction; its frame is stacked.
        if (cpu_loop_resume()) return;
    }
    cpu_run_loop();
}

void cpu_run() {
    g_cpu_idle = 0;
    g_slice_continue = 1;
    for (;;) {
        if (g_event_request == 0) {
            cpu_enter_loop();
            // A debugger step runs one instruction; a request it left waits.
            if (g_event_request == 0 || (run_flags() & RUN_STEP)) {
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
