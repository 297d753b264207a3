// Debugger commands that run the machine: one instruction, until a return
// instruction, until an address, and the host's run loop.
#include "core/boundary.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "debugger/comment_file.h"
#include "debugger/dbg_commands.h"
#include "debugger/dbg_parse.h"
#include "debugger/debugger.h"
#include "debugger/disasm.h"
#include "host/signals.h"
#include "machine/bus_peek.h"
#include "machine/machine.h"

namespace {

constexpr uint32_t OP_RTS = 0x4E75, OP_RTR = 0x4E77, OP_RTE = 0x4E73;

// One instruction; a slice end it meets is taken as the run loop takes it.
void step_one() {
    init_run_slice(RUN_STEP);
    if (g_machine.requests.event_request == REQ_END_SLICE) emu_take_request();
}

// AC plug by a signal stops the steps too; the console then takes it.
bool stopped() { return (run_flags() & RUN_BREAK) || dbg_run_interrupted() || host_signal_ac_plug_pending(); }

bool at_return() {
    const uint32_t op = bus_peek_word(g_cpu_regs.pc);
    return op == OP_RTS || op == OP_RTR || op == OP_RTE;
}

// Single instructions until done says so, a break or SIGINT; at least one.
template <typename Done> void run_steps(Done done) {
    dbg_run_begin();
    step_one();
    while (!stopped() && !done()) step_one();
    dbg_run_end();
    // SIGINT is told by "break!" below; only a watch hit is told again.
    if (dbg_run_interrupted() && !g_watch_hit_kind) run_flags_clear(RUN_BREAK);
    dbg_interrupt_clear();
    dis_instruction(g_cpu_regs.op_addr);
    dbg_write("break!\n");
    dis_instruction(g_cpu_regs.pc);
}

}  // namespace

bool dbg_cmd_step(std::string_view line) {
    std::optional<StepArgs> a = dbg_parse_step(line);
    if (!a) return false;
    if (a->has_address) {
        g_cpu_regs.pc = a->address;
        g_cpu_regs.refetch = 1;
    }
    step_one();
    dbg_cmd_history("h 1");
    if (g_dbg.show_registers) dbg_show_registers();
    dis_instruction(g_cpu_regs.pc);
    return true;
}

void dbg_cmd_next() { run_steps(at_return); }

bool dbg_cmd_until(std::string_view line) {
    std::optional<uint32_t> target = dbg_parse_until(line);
    if (!target) return false;
    run_steps([&] { return (g_cpu_regs.pc & DBG_ADDRESS_MASK) == *target; });
    return true;
}

void dbg_cmd_go() {
    if (!g_debugger_runner) return;
    dbg_run_begin();
    g_debugger_runner();
    dbg_run_end();
}

void dbg_report_break() {
    const bool interrupted = dbg_run_interrupted();
    dbg_interrupt_clear();
    if (!(run_flags() & RUN_BREAK) && !interrupted) return;
    dbg_cmd_history("h 1");
    if (g_watch_hit_kind) {
        dbg_write(" # access break! at [");
        dbg_write("%c] [%.8X] ", g_watch_hit_kind, g_watch_hit_addr);
        dis_comment_clear();
        dis_comment_for_address(g_watch_hit_addr);
        dbg_write("%s\n", g_dis_comment_out);
        dis_comment_clear();
    } else {
        dbg_write(" # break!\n");
    }
    dis_instruction(g_cpu_regs.pc);
    g_watch_hit_kind = 0;
    run_flags_clear(RUN_BREAK);
}
