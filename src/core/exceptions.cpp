// Exception entry, the fault road, trace, interrupts and SR writes.
#include "core/exceptions.h"

#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/trace.h"

uint8_t g_cpu_idle = 1;

// Switches to the supervisor stack (if not on it) with S set and T clear;
// returns the SR before.
static uint32_t enter_supervisor() {
    uint32_t old_sr = g_cpu_regs.sr;
    if (!(old_sr & SR_S)) {
        g_cpu_regs.usp_save = cpu_sp();
        cpu_sp() = g_cpu_regs.ssp_save;
    }
    g_cpu_regs.sr = (old_sr | SR_S) & ~SR_T;
    return old_sr;
}

// The chip's time for the exception processing, which stands for the
// instruction that raised it too (its own count is abandoned). An interrupt
// is taken apart and adds none.
static uint32_t exception_cycles(uint32_t v) {
    switch (v) {
    case VEC_BUS_ERROR:
    case VEC_ADDRESS_ERROR: return 50;
    case VEC_ZERO_DIVIDE: return 38;
    case VEC_CHK: return 40;
    default: return 34;
    }
}

static uint32_t main_ram_vector(uint32_t offset) {
    const uint8_t* ram = emu_main_ram();
    if (!ram || offset + 4 > emu_main_ram_size()) return 0;
    return be_read32(ram + offset);
}

void cpu_take_exception(uint32_t v, uint32_t pc) {
    g_cpu_regs.refetch = 1;
    g_trace_kind[trace_entry()] = TRACE_EXCEPTION;
    trace_advance();
    if (v < EXCEPTION_GROUP0_END && g_cpu_regs.exception_busy < EXCEPTION_GROUP0_END) cpu_double_fault_halt();
    g_cpu_regs.exception_busy = v;
    g_cpu_regs.stopped = 0;
    uint32_t old_sr = enter_supervisor();
    cpu_sp() -= 4;
    mem_write_long(cpu_sp(), pc);
    cpu_sp() -= 2;
    mem_write_word(cpu_sp(), old_sr);
    if (v == VEC_BUS_ERROR || v == VEC_ADDRESS_ERROR) {
        uint32_t op_addr = g_cpu_regs.op_addr & ~1u;
        uint32_t insn = (op_addr & 0xFFFFFF) < emu_main_ram_size() ? mem_read_word(op_addr) : 0;
        mem_write_word(cpu_sp() - 2, insn);
        mem_write_long(cpu_sp() - 6, g_cpu_regs.fault_addr);
        mem_write_word(cpu_sp() - 8, (insn & 0xFFE0) | g_cpu_regs.fault_code);
        cpu_sp() -= 8;
    }
    g_cpu_regs.pc = main_ram_vector(v);
    g_cpu_regs.sr |= SR_S;
    g_cpu_regs.refetch = 1;
    g_cpu_regs.cycles += exception_cycles(v);
    // A bus or address error is processed until the handler's first word is
    // fetched: a fault on that fetch (an odd or unmapped handler) is a double
    // fault too. The loop's fetch-base reload ends it.
    g_cpu_regs.exception_busy = v < EXCEPTION_GROUP0_END ? v : EXCEPTION_NONE;
    cpu_loop_exit();
}

void cpu_raise_exception(uint32_t v, uint32_t pc) { cpu_take_exception(v, pc); }
void cpu_raise_zero_divide(uint32_t pc) { cpu_take_exception(VEC_ZERO_DIVIDE, pc); }

void cpu_raise_fault_exception(uint32_t v, uint32_t pc) {
    if (g_debugger_active) run_flags_set(RUN_STEP | RUN_BREAK);
    if (g_cpu_idle || g_host_fault_unwinding) return;
    cpu_take_exception(v, pc);
}

void cpu_privilege_violation(uint32_t handler_pc) { cpu_raise_fault_exception(VEC_PRIVILEGE, handler_pc - 2); }

void cpu_double_fault_halt() {
    emu_cpu_halted(g_cpu_regs.op_addr);
    g_cpu_regs.exception_busy = EXCEPTION_NONE;
    cpu_loop_exit();
}

void cpu_trace_step() {
    if (g_cpu_regs.trace_delay == 0) {
        g_cpu_regs.trace_delay = 1;
        return;
    }
    g_cpu_regs.trace_delay = 0;
    // A traced STOP goes on after itself.
    cpu_take_exception(VEC_TRACE, g_cpu_regs.stopped ? g_cpu_regs.pc + 4 : g_cpu_regs.pc);
}

OpResult cpu_op_illegal(const DecodeRecord*, uint32_t pc) {
    uint32_t op_addr = pc - 2;
    uint32_t opcode = cpu_fetch_word(op_addr);
    if ((opcode & 0xF000) == 0xF000) cpu_raise_exception(VEC_LINE_F, op_addr);
    if ((opcode & 0xF000) == 0xA000) cpu_raise_exception(VEC_LINE_A, op_addr);
    cpu_raise_fault_exception(VEC_ILLEGAL, op_addr);
    return {4, pc};
}

OpResult cpu_op_dos_call(const DecodeRecord*, uint32_t pc) { cpu_raise_exception(VEC_LINE_F, pc - 2); }

OpResult cpu_op_fe_call(const DecodeRecord*, uint32_t pc) {
    FirmwareRoutine routine = fe_call_routine(cpu_fetch_word(pc - 2) & 0xFF);
    if (!routine) cpu_raise_exception(VEC_LINE_F, pc - 2);
    cpu_call_host(routine);
    optrace_record_reg_long(cpu_d(0));
    return {8, pc};
}

void cpu_build_dos_calls() {
    for (uint32_t op = 0xFF00; op <= 0xFFFF; op++) {
        DecodeRecord* rec = cpu_new_ind(op);
        rec->exec = cpu_op_dos_call;
        rec->dis = dis_dosfunc;
    }
}

void cpu_build_fe_calls() {
    for (uint32_t op = 0xFE00; op <= 0xFEFF; op++) {
        DecodeRecord* rec = cpu_new_ind(op);
        rec->exec = cpu_op_fe_call;
        rec->dis = dis_fefunc;
    }
}

void cpu_set_sr(uint32_t value) {
    if (g_cpu_regs.sr & SR_S) g_cpu_regs.ssp_save = cpu_sp();
    else g_cpu_regs.usp_save = cpu_sp();
    cpu_sp() = (value & SR_S) ? g_cpu_regs.ssp_save : g_cpu_regs.usp_save;
    // Setting T starts the trace afresh: the instruction that sets it is not traced.
    if ((value & SR_T) && !(g_cpu_regs.sr & SR_T)) g_cpu_regs.trace_delay = 0;
    g_cpu_regs.sr = value & SR_IMPLEMENTED;
    g_cpu_regs.refetch |= REFETCH_TESTS;
    cpu_check_deadline();
    cpu_check_interrupts();
}

static uint32_t sr_mask() { return (g_cpu_regs.sr >> 8) & 7; }

void cpu_request_interrupt(uint32_t vector, uint32_t level) {
    g_cpu_regs.irq_level = level;
    g_cpu_regs.irq_vector_offset = vector * 4;
    g_cpu_regs.irq_request = 1;
    g_cpu_regs.refetch |= REFETCH_TESTS;
}

void cpu_raise_level_interrupt(uint32_t level) {
    g_cpu_regs.irq_pending |= irq_pending_level(level);
    if (level == 7 || sr_mask() < level) cpu_check_interrupts();
}

// The vector each level is answered with; level 3 takes the DMA
// controller's, level 6 is the MFP's (its own scan).
static void cpu_ack_level(uint32_t level) {
    static const uint32_t vectors[8] = {0, 0x19, 0x42, 0, 0x8E, 0x54, 0, 0x1F};
    g_cpu_regs.irq_pending &= ~irq_pending_level(level);
    uint32_t vector = level == 3 ? (dma_pending_vector() & 0xFF) : vectors[level];
    cpu_request_interrupt(vector, level);
}

void cpu_check_interrupts() {
    // An accepted interrupt that waits to be taken is not displaced: its
    // pending bit is gone already, so it would be lost.
    if (g_cpu_regs.irq_pending == 0 || g_cpu_regs.irq_request) return;
    if (g_cpu_regs.irq_pending & IRQ_PENDING_NMI) {
        cpu_ack_level(7);
        return;
    }
    uint32_t mask = sr_mask();
    if (mask >= 6) return;
    if (g_cpu_regs.irq_pending & IRQ_PENDING_MFP_ANY) {
        bool requested = mfp_scan_interrupts();
        if (!(g_cpu_regs.irq_pending & IRQ_PENDING_MFP_CHANNELS)) g_cpu_regs.irq_pending &= ~IRQ_PENDING_MFP_ANY;
        if (requested) return;
    }
    for (uint32_t level = 5; level >= 1; level--) {
        if (level <= mask) return;
        if (g_cpu_regs.irq_pending & irq_pending_level(level)) {
            cpu_ack_level(level);
            return;
        }
    }
}

void cpu_take_interrupt() {
    // A STOP that waits is finished by the interrupt: return after it.
    if (g_cpu_regs.stopped) {
        g_cpu_regs.pc += 4;
        g_cpu_regs.stopped = 0;
    }
    uint32_t old_sr = enter_supervisor();
    mem_write_long(cpu_sp() - 4, g_cpu_regs.pc);
    mem_write_word(cpu_sp() - 6, old_sr);
    cpu_sp() -= 6;
    uint32_t pc = mem_read_long(g_cpu_regs.irq_vector_offset);
    g_cpu_regs.sr = (old_sr & ~uint32_t(SR_T | 0x2700)) | SR_S | ((g_cpu_regs.irq_level & 7) << 8);
    uint32_t e = trace_entry();
    g_trace_kind[e] = TRACE_INTERRUPT;
    g_trace_pc[e] = pc;
    g_trace_value[e] = g_cpu_regs.irq_level;
    trace_advance();
    g_cpu_regs.refetch = 1;
    g_cpu_regs.irq_request = 0;
    g_cpu_regs.pc = pc;
    // A higher level that is still pending may now be accepted.
    cpu_check_interrupts();
}
