// Debugger instruction statistics: the opcode counters grouped by their
// execution handler, the most frequent listed at an occurrence in the IPL ROM.
#include <cstdio>
#include <utility>
#include <vector>

#include "core/decode.h"
#include "core/trace.h"
#include "debugger/dbg_commands.h"
#include "debugger/debugger.h"
#include "debugger/disasm.h"
#include "machine/memory_map.h"

namespace {

constexpr size_t GROUPS_MAX = 1000;
constexpr size_t GROUPS_LISTED = 23;
constexpr uint32_t OPCODES = 65536;
constexpr uint32_t IPLROM_BYTES = 0x20000;
constexpr uint32_t IPLROM_START = 0xFE0000;

struct Group {
    OpHandler handler;
    uint32_t count;   // saturating
    uint32_t opcode;  // the lowest opcode of the group
};

uint32_t add_saturating(uint32_t a, uint32_t b) { return a + b < a ? UINT32_MAX : a + b; }

// The IPL ROM offset of the opcode as a big-endian word, -1 when absent.
int64_t rom_offset_of(uint32_t opcode) {
    if (!g_iplrom) return -1;
    for (uint32_t off = 0; off < IPLROM_BYTES; off += 2)
        if ((uint32_t(g_iplrom[off]) << 8 | g_iplrom[off + 1]) == opcode) return off;
    return -1;
}

void list_stats() {
    dbg_write("setup..  \r");
    std::vector<Group> groups;
    uint32_t total = 0;
    for (uint32_t op = 0; op < OPCODES; op++) {
        if (!g_opcode_counts[op]) continue;
        total = add_saturating(total, g_opcode_counts[op]);
        OpHandler h = g_opcode_table[op] ? g_opcode_table[op]->exec : nullptr;
        Group* g = nullptr;
        for (Group& x : groups)
            if (x.handler == h) g = &x;
        if (!g) {
            if (groups.size() >= GROUPS_MAX) {
                dbg_write("over work\n");
                break;
            }
            groups.push_back({h, 0, op});
            g = &groups.back();
        }
        g->count = add_saturating(g->count, g_opcode_counts[op]);
    }
    dbg_write("sorting ...  \r");
    for (size_t i = 0; i < groups.size(); i++)
        for (size_t j = i + 1; j < groups.size(); j++)
            if (groups[j].count > groups[i].count) std::swap(groups[i], groups[j]);
    dbg_write("total %X instruction\n", total);
    for (size_t rank = 0; rank < groups.size() && rank < GROUPS_LISTED; rank++) {
        const Group& g = groups[rank];
        int64_t off = rom_offset_of(g.opcode);
        if (off < 0) continue;
        const uint64_t thousandths = total ? uint64_t(g.count) * 100000 / total : 0;
        dbg_write("[%2d]", int(rank + 1));
        std::snprintf(g_dis_access_note, DIS_NOTE_SIZE, " [%8X %2d.%03d%%]  ", g.count, int(thousandths / 1000),
                      int(thousandths % 1000));
        dis_instruction(IPLROM_START + uint32_t(off));
    }
}

}  // namespace

void dbg_cmd_stats(std::string_view line) {
    if (line.starts_with("tc")) {
        for (uint32_t& c : g_opcode_counts) c = 0;
        return;
    }
    list_stats();
}
