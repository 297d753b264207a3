// Debugger listings: disassembly, the execution history and the I/O
// access log.
#include <algorithm>
#include <cstdio>

#include "core/cpu_regs.h"
#include "core/trace.h"
#include "debugger/comment_file.h"
#include "debugger/dbg_commands.h"
#include "debugger/dbg_parse.h"
#include "debugger/debugger.h"
#include "debugger/disasm.h"

namespace {

constexpr int32_t HISTORY_MIN = 20;  // a bare "h" shows at least this many
constexpr int32_t PER_COMMAND = 20;  // entries printed per "h"

template <typename... Args> void note(const char* fmt, Args... args) {
    std::snprintf(g_dis_access_note, DIS_NOTE_SIZE, fmt, args...);
}

// The note and comments of one history entry, for its listing line.
void history_note(uint32_t e) {
    const uint32_t addr = g_trace_addr[e] & DBG_ADDRESS_MASK, value = g_trace_value[e];
    dis_comment_clear();
    switch (g_trace_kind[e]) {
    // clang-format off
    case TRACE_MEM_B: note("[$%06X]=%02X ", addr, value & 0xFF); dis_comment_for_address(addr); break;
    case TRACE_MEM_W: note("[$%06X]=%04X ", addr, value & 0xFFFF); dis_comment_for_address(addr); break;
    case TRACE_MEM_L: note("[$%06X]=%08X ", addr, value); dis_comment_for_address(addr); break;
    // clang-format on
    case TRACE_REG_B: note("[REG]=%02X ", value & 0xFF); break;
    case TRACE_REG_W: note("[REG]=%04X ", value & 0xFFFF); break;
    case TRACE_REG_L:
        note("[REG]=%08X ", value);
        dis_comment_for_address(value);
        break;
    case TRACE_EXCEPTION: note(" [Exception Now!] "); break;
    case TRACE_INTERRUPT: note(" [## Interrrupt %d ##] ", int(value)); break;
    case TRACE_IOCS: note(" [## TRAP_15 %X ##] ", value); break;
    default: break;
    }
}

}  // namespace

void dbg_cmd_list(std::string_view line) {
    std::optional<ListArgs> a = dbg_parse_list(line);
    if (!a) return;
    uint32_t addr;
    if (a->has_start) {
        addr = a->start;
    } else if (g_cpu_regs.pc == g_dbg.list_pc) {
        addr = g_dbg.list_next;
    } else {
        addr = g_cpu_regs.pc;
        g_dbg.list_pc = g_cpu_regs.pc;
    }
    addr &= DBG_ADDRESS_MASK & ~1u;
    for (uint32_t i = 0; i < a->count; i++) addr = dis_instruction(addr);
    g_dbg.list_next = addr;
}

void dbg_cmd_history(std::string_view line) {
    std::optional<int32_t> parsed = dbg_parse_history(line);
    if (!parsed) return;
    int32_t count = *parsed >= 0 ? *parsed : std::max(g_dbg.history_left, HISTORY_MIN);
    count = std::min(count, DBG_LOG_ENTRIES);
    g_dbg.history_left = count;
    const uint32_t newest = g_trace_index;
    int32_t printed = 0;
    for (uint32_t i = newest - uint32_t(count); i != newest && printed < PER_COMMAND; i++) {
        const uint32_t e = i % TRACE_SIZE;
        g_dbg.history_left--;
        if (g_trace_kind[e] == TRACE_NONE) continue;
        dbg_write("[%2d] ", int(newest - i));
        history_note(e);
        g_dis_history_mode = 1;
        dis_instruction(g_trace_pc[e]);
        printed++;
    }
}

void dbg_cmd_io_log(std::string_view line) {
    std::optional<IoArgs> a = dbg_parse_io(line);
    if (!a) return;
    int32_t page = DBG_PAGE_DEFAULT;
    switch (a->form) {
    case IoForm::Window:
        if (a->start > a->end) a->start = a->end = 0;
        g_iotrace.window_start = a->start;
        g_iotrace.window_end = a->end;
        if (a->start) dbg_write(" start io log %X..%X\n", a->start, a->end);
        return;
    case IoForm::CountAndPage:
        g_dbg.iotrace_show_count = a->count;
        page = a->page;
        break;
    case IoForm::Count: g_dbg.iotrace_show_count = a->count; break;
    case IoForm::Bare:
        if (g_dbg.iotrace_show_count <= 0) g_dbg.iotrace_show_count = DBG_PAGE_DEFAULT;
        break;
    }
    dbg_show_io_log(page);
}

void dbg_show_io_log(int32_t page) {
    int32_t& count = g_dbg.iotrace_show_count;
    count = std::min(count, DBG_LOG_ENTRIES);
    const uint32_t newest = g_iotrace.index;
    int32_t printed = 0;
    for (uint32_t i = newest - uint32_t(count); i != newest && count > 0 && printed < page; i++) {
        const uint32_t e = i % TRACE_SIZE;
        if (g_iotrace.kind[e] == 0) continue;
        const uint32_t pc = g_iotrace.pc[e], v = g_iotrace.value[e], a = g_iotrace.addr[e] & DBG_ADDRESS_MASK;
        dbg_write("[%2d] ", int(newest - i));
        switch (g_iotrace.kind[e]) {
        case IOTRACE_READ_B: dbg_write("%08X read.b         %02X <- [$%06X] ", pc, v & 0xFF, a); break;
        case IOTRACE_READ_W: dbg_write("%08X read.w       %04X <- [$%06X] ", pc, v & 0xFFFF, a); break;
        case IOTRACE_READ_L: dbg_write("%08X read.l   %08X <- [$%06X]", pc, v, a); break;
        case IOTRACE_WRITE_B: dbg_write("%08X write.b [$%06X] <- %02X        ", pc, a, v & 0xFF); break;
        case IOTRACE_WRITE_W: dbg_write("%08X write.w [$%06X] <- %04X      ", pc, a, v & 0xFFFF); break;
        default: dbg_write("%08X write.l [$%06X] <- %08X  ", pc, a, v); break;
        }
        dis_comment_clear();
        dis_comment_for_access(a);
        dbg_write(";%s\n", g_dis_comment_out);
        dis_comment_clear();
        count--;
        printed++;
        g_dis_history_mode = 1;
    }
}
