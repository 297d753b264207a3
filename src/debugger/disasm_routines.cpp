// Fixed-form listing routines: the operands come from opcode fields alone.
#include "core/bus.h"
#include "debugger/comment_file.h"
#include "debugger/disasm.h"
#include "machine/bus_peek.h"

namespace {

// Head, the text already appended by the caller, and the line end.
uint32_t fixed(DisLine& out, uint32_t pc, uint32_t next) {
    dis_emit_line(out, pc);
    return next;
}

uint32_t plain(DisLine& out, uint32_t pc, uint32_t opcode, const char* text) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s", text);
    return fixed(out, pc, pc + 2);
}

bool memory_form(uint32_t opcode) { return (opcode & 0x08) != 0; }

}  // namespace

uint32_t dis_illegal(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    return plain(out, pc, opcode, "illegal instruction");
}
// clang-format off
uint32_t dis_nop(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return plain(out, pc, opcode, "nop"); }
uint32_t dis_reset(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return plain(out, pc, opcode, "reset"); }
uint32_t dis_rte(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return plain(out, pc, opcode, "rte"); }
uint32_t dis_rtr(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return plain(out, pc, opcode, "rtr"); }
uint32_t dis_rts(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return plain(out, pc, opcode, "rts"); }
uint32_t dis_trapv(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return plain(out, pc, opcode, "trapv"); }
// clang-format on

uint32_t dis_abcd(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, memory_form(opcode) ? "%s  -(A%1d),-(A%1d)" : "%s  D%d,D%d", "abcd.b", dis_ry(opcode),
               dis_rx(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_sbcd(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, memory_form(opcode) ? "%s.b  -(A%1d),-(A%1d)" : "%s.b  D%d,D%d", "sbcd", dis_ry(opcode),
               dis_rx(opcode));
    return fixed(out, pc, pc + 2);
}

namespace {
uint32_t extended(DisLine& out, uint32_t pc, uint32_t opcode, const char* name) {
    dis_head(out, pc, opcode);
    dis_append(out, memory_form(opcode) ? "%s.%s   -(A%d),-(A%d)" : "%s.%s   D%d,D%d", name,
               dis_size_letter_012((opcode >> 6) & 3), dis_ry(opcode), dis_rx(opcode));
    return fixed(out, pc, pc + 2);
}
}  // namespace

// clang-format off
uint32_t dis_addx(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return extended(out, pc, opcode, "addx"); }
uint32_t dis_subx(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) { return extended(out, pc, opcode, "subx"); }
// clang-format on

uint32_t dis_cmpm(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s  (A%1d)+,(A%1d)+", "cmpm", dis_size_letter_012((opcode >> 6) & 3), dis_ry(opcode),
               dis_rx(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_exg(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    const uint32_t opmode = (opcode >> 3) & 0x1F;
    if (opmode == 8) dis_append(out, "%s.l   D%d,D%d", "exg", dis_rx(opcode), dis_ry(opcode));
    else if (opmode == 9) dis_append(out, "%s.l   A%d,A%d", "exg", dis_rx(opcode), dis_ry(opcode));
    else dis_append(out, "%s.l   A%d,D%d", "exg", dis_ry(opcode), dis_rx(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_ext(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%c   D%d", "ext", (opcode & 0x40) ? 'l' : 'w', dis_ry(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_swap(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s.w  D%1X", "swap", dis_ry(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_link(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    const uint32_t w = bus_peek_word(pc + 2);
    dis_head_ext(out, pc, opcode, w);
    dis_append(out, "%s    A%1d,#$%.4X", "link", dis_ry(opcode), w);
    return fixed(out, pc, pc + 4);
}

uint32_t dis_unlk(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s    A%1d", "unlk", dis_ry(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_trap(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s    #$%1X", "trap", opcode & 0xF);
    return fixed(out, pc, pc + 2);
}

uint32_t dis_stop(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s #$%.4X", "stop", bus_peek_word(pc + 2));
    return fixed(out, pc, pc + 4);
}

uint32_t dis_move_usp(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, memory_form(opcode) ? "%s.l  USP,A%1d" : "%s.l  A%1d,USP", "move", dis_ry(opcode));
    return fixed(out, pc, pc + 2);
}

uint32_t dis_moveq(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    const uint32_t data = uint32_t(int32_t(int8_t(uint8_t(opcode))));
    dis_append(out, "%s   #$%8.8X,D%d", "moveq", data, dis_rx(opcode));
    // MOVEQ #n,D0 before TRAP #15 selects IOCS call n.
    constexpr uint32_t TRAP_15 = 0x4E4F;
    if (dis_rx(opcode) == 0 && (bus_peek_word(pc + 2) == TRAP_15 || bus_peek_word(pc + 4) == TRAP_15))
        dis_comment_for_value(data);
    return fixed(out, pc, pc + 2);
}

uint32_t dis_dosfunc(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s %2X  ", "DOSFUNC", opcode & 0xFF);
    return fixed(out, pc, pc + 2);
}

uint32_t dis_fefunc(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    dis_head(out, pc, opcode);
    dis_append(out, "%s %2X  ", "FEFUNC", opcode & 0xFF);
    return fixed(out, pc, pc + 2);
}
