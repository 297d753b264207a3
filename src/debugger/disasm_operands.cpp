// Operand-form listing routines: a mnemonic field, then operands formatted
// by addressing mode with their extension words shown in the head.
#include "core/bus.h"
#include "debugger/disasm.h"
#include "machine/bus_peek.h"

namespace {

// Rx as a data or an address register.
uint32_t reg_x(DisLine& out, uint32_t opcode, uint32_t mode) { return dis_format_ea(out, dis_rx(opcode), 0, 32, mode); }

// The operand of the opcode's mode and register fields.
uint32_t ea(DisLine& out, uint32_t opcode, uint32_t ext, uint32_t size) {
    return dis_format_ea(out, dis_ry(opcode), ext, size, dis_ea_mode(opcode));
}

uint32_t done(DisLine& out, uint32_t pc, uint32_t next) {
    dis_emit_line(out, pc);
    return next;
}

// <ea>,Rx
uint32_t ea_to_reg(DisLine& out, uint32_t pc, uint32_t opcode, uint32_t size, uint32_t reg_mode) {
    const uint32_t next = ea(out, opcode, pc + 2, size);
    dis_append(out, ",");
    reg_x(out, opcode, reg_mode);
    return done(out, pc, next);
}

// Rx,<ea>
uint32_t reg_to_ea(DisLine& out, uint32_t pc, uint32_t opcode, uint32_t size) {
    reg_x(out, opcode, EA_DN);
    dis_append(out, ",");
    return done(out, pc, ea(out, opcode, pc + 2, size));
}

// ADD, SUB, AND, OR: the direction in bit 8.
uint32_t dn_either_way(DisLine& out, uint32_t pc, uint32_t opcode, const char* field, const char* name) {
    const uint32_t size = dis_size_bits(opcode);
    dis_head(out, pc, opcode);
    dis_append(out, field, name, dis_size_letter(size));
    return (opcode & 0x100) ? reg_to_ea(out, pc, opcode, size) : ea_to_reg(out, pc, opcode, size, EA_DN);
}

uint32_t address_op(DisLine& out, uint32_t pc, uint32_t opcode, const char* name) {
    const uint32_t size = (opcode & 0x100) ? 32 : 16;
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s  ", name, dis_size_letter(size));
    return ea_to_reg(out, pc, opcode, size, EA_AN);
}

// #imm,<ea>; with the immediate mode as operand field, #imm,CCR or #imm,SR.
uint32_t immediate_op(DisLine& out, uint32_t pc, uint32_t opcode, const char* field, const char* name, const char* ccr,
                      const char* sr) {
    const uint32_t size = dis_size_bits(opcode);
    dis_head(out, pc, opcode);
    dis_append(out, field, name, dis_size_letter(size));
    const uint32_t next = dis_format_ea(out, 0, pc + 2, size, EA_IMM);
    dis_append(out, ",");
    if (ccr && dis_ea_mode(opcode) == EA_IMM) {
        dis_append(out, "%s", (opcode & 0xC0) == 0 ? ccr : sr);
        return done(out, pc, next);
    }
    return done(out, pc, ea(out, opcode, next, size));
}

uint32_t word_to_dn(DisLine& out, uint32_t pc, uint32_t opcode, const char* field, const char* name) {
    dis_head(out, pc, opcode);
    dis_append(out, field, name);
    return ea_to_reg(out, pc, opcode, 16, EA_DN);
}

// One operand of the size in bits 7-6.
uint32_t single_op(DisLine& out, uint32_t pc, uint32_t opcode, const char* field, const char* name) {
    const uint32_t size = dis_size_bits(opcode);
    dis_head(out, pc, opcode);
    dis_append(out, field, name, dis_size_letter(size));
    return done(out, pc, ea(out, opcode, pc + 2, size));
}

uint32_t fixed_size_op(DisLine& out, uint32_t pc, uint32_t opcode, const char* field, const char* name, uint32_t size) {
    dis_head(out, pc, opcode);
    dis_append(out, field, name);
    return done(out, pc, ea(out, opcode, pc + 2, size));
}

uint32_t quick_op(const DecodeRecord* rec, DisLine& out, uint32_t pc, uint32_t opcode, const char* name) {
    const uint32_t size = dis_size_bits(opcode);
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s  #$%.1d,", name, dis_size_letter(size), int(rec->value));
    return done(out, pc, ea(out, opcode, pc + 2, size));
}

}  // namespace

#define ZOLM_DIS(name) uint32_t dis_##name(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out)

// clang-format off
ZOLM_DIS(add) { (void)rec; return dn_either_way(out, pc, opcode, "%s.%s   ", "add"); }
ZOLM_DIS(sub) { (void)rec; return dn_either_way(out, pc, opcode, "%s.%s   ", "sub"); }
ZOLM_DIS(and) { (void)rec; return dn_either_way(out, pc, opcode, "%s.%s   ", "and"); }
ZOLM_DIS(or) { (void)rec; return dn_either_way(out, pc, opcode, "%s.%s    ", "or"); }
// clang-format on

ZOLM_DIS(eor) {
    (void)rec;
    const uint32_t size = dis_size_bits(opcode);
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s   ", "eor", dis_size_letter(size));
    return reg_to_ea(out, pc, opcode, size);
}

ZOLM_DIS(cmp) {
    (void)rec;
    const uint32_t size = dis_size_bits(opcode);
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s   ", "cmp", dis_size_letter(size));
    return ea_to_reg(out, pc, opcode, size, EA_DN);
}

// clang-format off
ZOLM_DIS(adda) { (void)rec; return address_op(out, pc, opcode, "adda"); }
ZOLM_DIS(suba) { (void)rec; return address_op(out, pc, opcode, "suba"); }
ZOLM_DIS(cmpa) { (void)rec; return address_op(out, pc, opcode, "cmpa"); }

ZOLM_DIS(addi) { (void)rec; return immediate_op(out, pc, opcode, "%s.%s  ", "addi", nullptr, nullptr); }
ZOLM_DIS(subi) { (void)rec; return immediate_op(out, pc, opcode, "%s.%s  ", "subi", nullptr, nullptr); }
ZOLM_DIS(cmpi) { (void)rec; return immediate_op(out, pc, opcode, "%s.%s  ", "cmpi", nullptr, nullptr); }
ZOLM_DIS(andi) { (void)rec; return immediate_op(out, pc, opcode, "%s.%s  ", "andi", "ccr", "sr"); }
ZOLM_DIS(eori) { (void)rec; return immediate_op(out, pc, opcode, "%s.%s  ", "eori", "ccr", "sr"); }
ZOLM_DIS(ori) { (void)rec; return immediate_op(out, pc, opcode, "%s.%s   ", "ori", "CCR", "SR"); }
// clang-format on

ZOLM_DIS(addq) { return quick_op(rec, out, pc, opcode, "addq"); }
ZOLM_DIS(subq) { return quick_op(rec, out, pc, opcode, "subq"); }

// clang-format off
ZOLM_DIS(chk) { (void)rec; return word_to_dn(out, pc, opcode, "%s.w   ", "chk"); }
ZOLM_DIS(divs) { (void)rec; return word_to_dn(out, pc, opcode, "%s.w  ", "divs"); }
ZOLM_DIS(divu) { (void)rec; return word_to_dn(out, pc, opcode, "%s.w  ", "divu"); }
ZOLM_DIS(muls) { (void)rec; return word_to_dn(out, pc, opcode, "%s.w  ", "muls"); }
ZOLM_DIS(mulu) { (void)rec; return word_to_dn(out, pc, opcode, "%s.w  ", "mulu"); }

ZOLM_DIS(clr) { (void)rec; return single_op(out, pc, opcode, "%s.%s   ", "clr"); }
ZOLM_DIS(neg) { (void)rec; return single_op(out, pc, opcode, "%s.%s   ", "neg"); }
ZOLM_DIS(not) { (void)rec; return single_op(out, pc, opcode, "%s.%s   ", "not"); }
ZOLM_DIS(tst) { (void)rec; return single_op(out, pc, opcode, "%s.%s   ", "tst"); }
ZOLM_DIS(negx) { (void)rec; return single_op(out, pc, opcode, "%s.%s  ", "negx"); }

ZOLM_DIS(nbcd) { (void)rec; return fixed_size_op(out, pc, opcode, "%s.b  ", "nbcd", 8); }
ZOLM_DIS(tas) { (void)rec; return fixed_size_op(out, pc, opcode, "%s.b   ", "tas", 8); }
ZOLM_DIS(jmp) { (void)rec; return fixed_size_op(out, pc, opcode, "%s     ", "jmp", 32); }
ZOLM_DIS(jsr) { (void)rec; return fixed_size_op(out, pc, opcode, "%s     ", "jsr", 32); }
ZOLM_DIS(pea) { (void)rec; return fixed_size_op(out, pc, opcode, "%s     ", "pea", 32); }
// clang-format on

ZOLM_DIS(lea) {
    (void)rec;
    dis_head(out, pc, opcode);
    dis_append(out, "%s     ", "lea");
    return ea_to_reg(out, pc, opcode, 32, EA_AN);
}

ZOLM_DIS(move_to_ccr) {
    (void)rec;
    dis_head(out, pc, opcode);
    dis_append(out, "%s.b  ", "move");
    const uint32_t next = ea(out, opcode, pc + 2, 8);
    dis_append(out, ",ccr");
    return done(out, pc, next);
}

ZOLM_DIS(move_to_sr) {
    (void)rec;
    dis_head(out, pc, opcode);
    dis_append(out, "%s.w  ", "move");
    const uint32_t next = ea(out, opcode, pc + 2, 16);
    dis_append(out, ",sr");
    return done(out, pc, next);
}

ZOLM_DIS(move_from_sr) {
    (void)rec;
    return fixed_size_op(out, pc, opcode, "%s.w  sr,", "move", 16);
}

ZOLM_DIS(move) {
    (void)rec;
    static const uint32_t sizes[4] = {32, 8, 32, 16};  // by bits 13-12: 1 byte, 3 word, 2 long
    const uint32_t size = sizes[(opcode >> 12) & 3];
    dis_head(out, pc, opcode);
    dis_append(out, "%s.   ", "move");
    dis_put(out, 36, dis_size_letter(size));
    const uint32_t next = ea(out, opcode, pc + 2, size);
    dis_append(out, ",");
    const uint32_t dst_mode = cpu_ea_mode_index((opcode >> 6) & 7, dis_rx(opcode));
    return done(out, pc, dis_format_ea(out, dis_rx(opcode), next, size, dst_mode));
}

ZOLM_DIS(movea) {
    (void)rec;
    const uint32_t size = (opcode & 0x1000) ? 16 : 32;
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s ", "movea", dis_size_letter(size));
    return ea_to_reg(out, pc, opcode, size, EA_AN);
}

ZOLM_DIS(movep) {
    (void)rec;
    const uint32_t size = (opcode & 0x40) ? 32 : 16;
    dis_head(out, pc, opcode);
    dis_append(out, "%s.%s ", "movep", dis_size_letter(size));
    uint32_t next;
    if (opcode & 0x80) {
        reg_x(out, opcode, EA_DN);
        dis_append(out, ",");
        next = dis_format_ea(out, dis_ry(opcode), pc + 2, size, EA_DISP);
    } else {
        next = dis_format_ea(out, dis_ry(opcode), pc + 2, size, EA_DISP);
        dis_append(out, ",");
        reg_x(out, opcode, EA_DN);
    }
    return done(out, pc, next);
}

ZOLM_DIS(scc) {
    (void)rec;
    static const char* const cond[16] = {"t.b    ", "f.b    ", "hi.b   ", "ls.b   ", "cc.b   ", "cs.b   ",
                                         "ne.b   ", "eq.b   ", "vc.b   ", "vs.b   ", "pl.b   ", "mi.b   ",
                                         "ge.b   ", "lt.b   ", "gt.b   ", "le.b   "};
    dis_head(out, pc, opcode);
    dis_append(out, "s%s", cond[(opcode >> 8) & 0xF]);
    return done(out, pc, ea(out, opcode, pc + 2, 8));
}

namespace {
// BTST, BCHG, BCLR, BSET: the bit number in Dx (bit 8) or in the word after the opcode.
uint32_t bit_op(DisLine& out, uint32_t pc, uint32_t opcode, const char* name) {
    const uint32_t mode = dis_ea_mode(opcode);
    const char* letter = dis_bit_size_letter(mode);
    if (opcode & 0x100) {
        dis_head(out, pc, opcode);
        dis_append(out, "%s.%s  D%1X,", name, letter, dis_rx(opcode));
        return done(out, pc, ea(out, opcode, pc + 2, 8));
    }
    const uint32_t w = bus_peek_word(pc + 2);
    dis_head_ext(out, pc, opcode, w);
    dis_append(out, "%s.%s  #$%.4X,", name, letter, w & (mode == EA_DN ? 31 : 7));
    return done(out, pc, ea(out, opcode, pc + 4, 8));
}
}  // namespace

// clang-format off
ZOLM_DIS(btst) { (void)rec; return bit_op(out, pc, opcode, "btst"); }
ZOLM_DIS(bchg) { (void)rec; return bit_op(out, pc, opcode, "bchg"); }
ZOLM_DIS(bclr) { (void)rec; return bit_op(out, pc, opcode, "bclr"); }
ZOLM_DIS(bset) { (void)rec; return bit_op(out, pc, opcode, "bset"); }
// clang-format on

#undef ZOLM_DIS
