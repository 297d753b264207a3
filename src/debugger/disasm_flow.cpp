// Listing routines with their own layout: branches, DBcc, shifts and
// rotates, MOVEM register lists.
#include <cstdio>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "debugger/disasm.h"
#include "machine/bus_peek.h"

namespace {

uint32_t done(DisLine& out, uint32_t pc, uint32_t next) {
    dis_emit_line(out, pc);
    return next;
}

void put_target(DisLine& out, const char* fmt, uint32_t a, uint32_t b = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    dis_put(out, 36, buf);
}

uint32_t branch_target(uint32_t pc, int32_t disp) { return (pc + 2 + uint32_t(disp)) & 0xFFFFFF; }

}  // namespace

uint32_t dis_bcc(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    static const char* const cond[16] = {"ra.", "sr.", "hi.", "ls.", "cc.", "cs.", "ne.", "eq.",
                                         "vc.", "vs.", "pl.", "mi.", "ge.", "lt.", "gt.", "le."};
    const uint32_t d8 = opcode & 0xFF;
    dis_head(out, pc, opcode);
    dis_append(out, "b%s%s", cond[(opcode >> 8) & 0xF], d8 ? "s  " : "w  ");
    uint32_t target, next;
    if (d8) {
        target = branch_target(pc, int8_t(uint8_t(d8)));
        next = pc + 2;
    } else {
        const uint32_t w = bus_peek_word(pc + 2);
        char word[8];
        std::snprintf(word, sizeof word, "%4.4X", w);
        dis_put(out, 13, word);
        target = branch_target(pc, int16_t(uint16_t(w)));
        next = pc + 4;
    }
    put_target(out, "   $%6.6X", target);
    return done(out, pc, next);
}

uint32_t dis_dbcc(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    static const char* const cond[16] = {"t    ", "f    ", "hi   ", "ls   ", "cc   ", "cs   ", "ne   ", "eq   ",
                                         "vc   ", "vs   ", "pl   ", "mi   ", "ge   ", "lt   ", "gt   ", "le   "};
    const uint32_t w = bus_peek_word(pc + 2);
    dis_head_ext(out, pc, opcode, w);
    dis_append(out, "db%s", cond[(opcode >> 8) & 0xF]);
    put_target(out, "   D%1d,$%6.6X", dis_ry(opcode), branch_target(pc, int16_t(uint16_t(w))));
    return done(out, pc, pc + 4);
}

namespace {

// Shifts and rotates. The count of the immediate form and the count and
// destination registers of the register form come from the record.
// dir_col and size_col: where the direction and size letters go (0: in the format).
struct ShiftLayout {
    const char* name;
    const char* memory;  // "name" then "#$1," and <ea>
    const char* immediate;
    const char* by_register;
    uint32_t dir_col, size_col;
};

uint32_t shift(const DecodeRecord* rec, DisLine& out, uint32_t pc, uint32_t opcode, const ShiftLayout& l) {
    const char dir = (opcode & 0x100) ? 'l' : 'r';
    const char dir_text[2] = {dir, '\0'};
    dis_head(out, pc, opcode);
    if ((opcode & 0xC0) == 0xC0) {
        if (l.dir_col) dis_append(out, l.memory, l.name);
        else dis_append(out, l.memory, l.name, dir);
        if (l.dir_col) dis_put(out, l.dir_col, dir_text);
        return done(out, pc, dis_format_ea(out, dis_ry(opcode), pc + 2, 16, dis_ea_mode(opcode)));
    }
    const char size = *dis_size_letter_012((opcode >> 6) & 3);
    const unsigned dst = cpu_reg_number(rec->ea);
    const bool in_register = (opcode & 0x20) != 0;
    const unsigned count = in_register ? cpu_reg_number(rec->reg) : unsigned(rec->value);
    const char* fmt = in_register ? l.by_register : l.immediate;
    if (l.dir_col) {
        dis_append(out, fmt, l.name, count, dst);
        const char size_text[2] = {size, '\0'};
        dis_put(out, l.dir_col, dir_text);
        dis_put(out, l.size_col, size_text);
    } else {
        dis_append(out, fmt, l.name, dir, size, count, dst);
    }
    return done(out, pc, pc + 2);
}

// The formats take the arguments in the order shift() passes them.
const ShiftLayout AS_LAYOUT = {"as", "%s%c.w   #$1,", "%s%c.%c   #$%1X,D%1d", "%s%c.%c   D%1d,D%1d", 0, 0};
const ShiftLayout LS_LAYOUT = {"ls ", "%s.w   #$1,", "%s.    #$%1X,D%1d", "%s.    D%1d,D%1d", 33, 35};
const ShiftLayout RO_LAYOUT = {"ro ", "%s.w   #$1,", "%s.    #$%1X,D%1d", "%s.    D%1d,D%1d", 33, 35};
const ShiftLayout ROX_LAYOUT = {"rox ", "%s.w  #$1,", "%s.   #$%1X,D%1d", "%s.   D%1d,D%1d", 34, 36};

}  // namespace

uint32_t dis_as(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out) {
    return shift(rec, out, pc, opcode, AS_LAYOUT);
}
uint32_t dis_ls(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out) {
    return shift(rec, out, pc, opcode, LS_LAYOUT);
}
uint32_t dis_ro(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out) {
    return shift(rec, out, pc, opcode, RO_LAYOUT);
}
uint32_t dis_rox(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out) {
    return shift(rec, out, pc, opcode, ROX_LAYOUT);
}

namespace {

// Register list of a MOVEM mask: D012/A56. With reversed, bit 0 is A7 and
// bit 15 D0 (the predecrement form), and the address registers come first.
void register_list(DisLine& out, uint32_t mask, bool reversed) {
    const char first_kind = reversed ? 'A' : 'D';
    const char second_kind = reversed ? 'D' : 'A';
    bool any = false, second_started = false;
    for (uint32_t bit = 0; bit < 16; ++bit) {
        if (!(mask & (1u << bit))) continue;
        const uint32_t n = reversed ? 7 - (bit & 7) : bit & 7;
        if (bit < 8 || second_started) {
            if (any) dis_append(out, "%u", n);
            else dis_append(out, "%c%u", first_kind, n);
        } else {
            dis_append(out, any ? "/%c%u" : "%c%u", second_kind, n);
            second_started = true;
        }
        any = true;
    }
}

}  // namespace

uint32_t dis_movem(const DecodeRecord*, uint32_t pc, uint32_t opcode, DisLine& out) {
    const uint32_t mask = bus_peek_word(pc + 2);
    const uint32_t size = (opcode & 0x40) ? 32 : 16;
    const uint32_t mode = dis_ea_mode(opcode);
    dis_head_ext(out, pc, opcode, mask);
    dis_append(out, "%s.%s ", "movem", dis_size_letter(size));
    uint32_t next;
    if (opcode & 0x400) {
        next = dis_format_ea(out, dis_ry(opcode), pc + 4, size, mode);
        dis_append(out, ",");
        register_list(out, mask, false);
    } else {
        register_list(out, mask, mode == EA_PREDEC);
        dis_append(out, ",");
        next = dis_format_ea(out, dis_ry(opcode), pc + 4, size, mode);
    }
    return done(out, pc, next);
}
