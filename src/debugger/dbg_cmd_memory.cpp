// Debugger commands on registers, memory and the access watches. Memory is
// read only through the peeks, which change no device, log or watch.
#include <algorithm>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "debugger/dbg_commands.h"
#include "debugger/dbg_parse.h"
#include "debugger/debugger.h"
#include "debugger/disasm.h"
#include "machine/bus_peek.h"

namespace {

constexpr uint32_t DUMP_DEFAULT_BYTES = 0x80;
constexpr uint32_t DUMP_ROW_BYTES = 16;
constexpr uint16_t WATCH_ON = 1;

void set_watch(WatchRange& w, uint32_t start, uint32_t last) {
    w.start = start;
    w.end = last + 1;
    w.enable |= WATCH_ON;
}

}  // namespace

void dbg_show_registers() {
    const bool s = cpu_supervisor();
    const uint32_t ssp = s ? cpu_sp() : g_cpu_regs.ssp_save;
    const uint32_t usp = s ? g_cpu_regs.usp_save : cpu_sp();
    dbg_write(" PC[%08X] SR[%04X]     SSP[%08X] USP[%08X]\n", g_cpu_regs.pc, g_cpu_regs.sr & 0xFFFF, ssp, usp);
    dbg_write(" D[%08X %08X %08X %08X - %08X %08X %08X %08X \n", cpu_d(0), cpu_d(1), cpu_d(2), cpu_d(3), cpu_d(4),
              cpu_d(5), cpu_d(6), cpu_d(7));
    dbg_write(" A[%08X %08X %08X %08X - %08X %08X %08X %08X \n", cpu_a(0), cpu_a(1), cpu_a(2), cpu_a(3), cpu_a(4),
              cpu_a(5), cpu_a(6), cpu_a(7));
}

bool dbg_cmd_register(std::string_view line) {
    RegArgs a = dbg_parse_register(line);
    switch (a.target) {
    case RegTarget::Nothing: return false;
    case RegTarget::Toggle:
        g_dbg.show_registers = !g_dbg.show_registers;
        if (g_dbg.show_registers) dbg_show_registers();
        return true;
    case RegTarget::Data: cpu_d(a.number) = a.value; break;
    case RegTarget::Address: cpu_a(a.number) = a.value; break;
    case RegTarget::Pc:
        g_cpu_regs.pc = a.value;
        g_cpu_regs.refetch = 1;
        break;
    }
    dbg_show_registers();
    return false;
}

void dbg_dump_memory(char size, uint32_t start, uint32_t end) {
    const uint32_t item = size == 'l' ? 4 : size == 'w' ? 2 : 1;
    if (item > 1) start &= ~1u;
    uint32_t addr = start;
    do {
        if ((addr - start) % DUMP_ROW_BYTES == 0) dbg_write("\n%06X:", addr & DBG_ADDRESS_MASK);
        if (item == 4) dbg_write(" %08X", bus_peek_long(addr));
        else if (item == 2) dbg_write(" %04X", bus_peek_word(addr));
        else dbg_write(" %02X", bus_peek_byte(addr));
        addr += item;
    } while (addr < end);
    dbg_write("\n");
}

void dbg_cmd_dump(std::string_view line) {
    std::optional<DumpArgs> a = dbg_parse_dump(line);
    if (!a) return;
    if (a->size) g_dbg.dump_size = a->size;
    uint32_t start = a->has_start ? a->start : g_dbg.dump_next;
    uint32_t end = a->has_end ? a->end : std::min(start + DUMP_DEFAULT_BYTES, DBG_ADDRESS_END);
    if (g_dbg.dump_size != 'b') start &= DBG_ADDRESS_MASK & ~1u;
    g_dbg.dump_next = end & DBG_ADDRESS_MASK;
    dbg_dump_memory(g_dbg.dump_size, start, end);
    dis_instruction(g_cpu_regs.pc);
}

void dbg_cmd_watch(std::string_view line) {
    WatchArgs a = dbg_parse_watch(line);
    if (a.clear) {
        g_watch_read.enable = 0;
        g_watch_write.enable = 0;
        dbg_write(" clear access break\n");
        return;
    }
    if (a.set) {
        if (a.kind != 'w') set_watch(g_watch_read, a.start, a.last);
        if (a.kind != 'r') set_watch(g_watch_write, a.start, a.last);
    }
    if (g_watch_read.enable) dbg_write(" break(R) %X..%X\n", g_watch_read.start, g_watch_read.end - 1);
    if (g_watch_write.enable) dbg_write(" break(W) %X..%X\n", g_watch_write.start, g_watch_write.end - 1);
    if (!g_watch_read.enable && !g_watch_write.enable) dbg_write(" no access break\n");
}
