// The known differences between the core and the chip, each with the
// condition it applies under and a check that the core's result is exactly
// what its reason says; the vectors that record wrong data; the verdict.
#include "m68000_steps.h"

#include <cstring>
#include <string_view>

#include "core/bus.h"
#include "core/cpu_regs.h"

namespace steps {

// ------------------------------------------------------ predicate helpers


uint32_t sr_diff(const Outcome& o) { return o.want[F_SR] ^ o.got[F_SR]; }
uint32_t opcode(const Vector& v) { return v.initial.prefetch[0]; }

// The byte the test put at addr before the instruction: a listed one, else
// a prefetch word's, else 0.
uint8_t initial_byte(const Vector& v, uint32_t addr) {
    uint8_t b;
    if (listed_byte(v.initial.ram, addr, b)) return b;
    uint32_t off = (addr - v.initial.reg[F_PC]) & 0xFFFFFF;
    if (off < 4) return uint8_t(v.initial.prefetch[off >> 1] >> ((off & 1) ? 0 : 8));
    return 0;
}

// The long the vector lists at addr in its initial RAM (the chip read it).
bool initial_long(const Vector& v, uint32_t addr, uint32_t& value) {
    value = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        uint8_t b;
        if (!listed_byte(v.initial.ram, addr + i, b)) return false;
        value = (value << 8) | b;
    }
    return true;
}

// The chip took the exception with this vector offset: its final PC is the
// long it read from the vector table.
bool chip_took(const Vector& v, uint32_t offset) {
    uint32_t handler;
    return initial_long(v, offset, handler) && handler == v.final.reg[F_PC];
}

// Only the given register fields differ, SR only within the given bits, and
// no stray write happened.
bool only(const Outcome& o, uint32_t fields, uint32_t sr_bits) {
    if (!o.stray.empty()) return false;
    if (o.diff_fields & ~(fields | bit(F_SR))) return false;
    return (sr_diff(o) & ~sr_bits) == 0;
}

// The chip's `size` bytes at its final SSP (its exception frame), from the
// final RAM list.
bool chip_stack(const Vector& v, uint32_t size, uint8_t* out) {
    for (uint32_t i = 0; i < size; ++i)
        if (!listed_byte(v.final.ram, v.final.reg[F_SSP] + i, out[i])) return false;
    return true;
}

// Every differing listed byte lies in the `size` bytes from addr on.
bool ram_diffs_within(const Outcome& o, uint32_t addr, uint32_t size) {
    for (const auto& d : o.ram)
        if (((d.addr - addr) & 0xFFFFFF) >= size) return false;
    return true;
}

// The chip took an address error; `fetch`: on a program fetch, else on a
// data access (function code bits 1-0 of the stacked access word).
bool chip_address_error(const Vector& v, bool fetch) {
    uint8_t frame[2];
    return chip_took(v, 0x0C) && chip_stack(v, 2, frame) && ((frame[1] & 3) == 2) == fetch;
}

// Operand size of a group: the suffix, a word when there is none.
uint32_t operand_size(const std::string& group) {
    if (group.size() > 2 && group[group.size() - 2] == '.') {
        if (group.back() == 'b') return 1;
        if (group.back() == 'l') return 4;
    }
    return 2;
}

// Register field of An; A7 is the stack pointer of the initial mode.
int an_field(const Vector& v, uint32_t r) {
    if (r < 7) return F_A0 + int(r);
    return (v.initial.reg[F_SR] & SR_S) ? F_SSP : F_USP;
}

struct AnOperand {
    uint32_t reg;
    bool predec;  // -(An), else (An)+
};

// The (An)+ and -(An) operands of the opcode; gives their number.
int an_operands(uint32_t op, AnOperand out[2]) {
    uint32_t top = op >> 12;
    // ABCD, SBCD, ADDX, SUBX -(Ay),-(Ax) and CMPM (Ay)+,(Ax)+.
    if ((op & 0x0138) == 0x0108 && (op & 0xC0) != 0xC0 &&
        (top == 0x8 || top == 0x9 || top == 0xB || top == 0xC || top == 0xD)) {
        out[0] = {op & 7, top != 0xB};
        out[1] = {(op >> 9) & 7, top != 0xB};
        return 2;
    }
    int n = 0;
    uint32_t mode = (op >> 3) & 7;
    if (mode == 3 || mode == 4) out[n++] = {op & 7, mode == 4};
    if (top >= 1 && top <= 3) {  // MOVE destination
        uint32_t dmode = (op >> 6) & 7;
        if (dmode == 3 || dmode == 4) out[n++] = {(op >> 9) & 7, dmode == 4};
    }
    return n;
}

uint32_t stepped_regs(const Vector& v) {
    AnOperand ops[2];
    uint32_t regs = 0;
    for (int i = 0, n = an_operands(opcode(v), ops); i < n; ++i) regs |= bit(an_field(v, ops[i].reg));
    return regs;
}

bool has_predec(uint32_t op) {
    AnOperand ops[2];
    for (int i = 0, n = an_operands(op, ops); i < n; ++i)
        if (ops[i].predec) return true;
    return false;
}

// The core's operand routines step An before the access. A read-modify-write
// operand is read without the step (a peek) and stepped by its write, CMPM
// steps after each access and MOVEM writes An back at the end: these leave
// An as it was when the access faults.
bool an_stepped_before_access(uint32_t op) {
    uint32_t top = op >> 12;
    bool sized = (op & 0xC0) != 0xC0;
    bool memory = ((op >> 3) & 7) >= 2;
    if ((op & 0xFB80) == 0x4880) return false;  // MOVEM
    switch (top) {
    case 0x0: {  // ORI ANDI SUBI ADDI EORI <ea>
        uint32_t kind = (op >> 9) & 7;
        return (op & 0x100) || kind == 4 || kind >= 6;
    }
    case 0x4: {  // NEGX NEG NOT
        uint32_t hi = op & 0xFF00;
        return !(sized && (hi == 0x4000 || hi == 0x4400 || hi == 0x4600));
    }
    case 0x5: return !sized;  // ADDQ SUBQ
    case 0x8:
    case 0x9:
    case 0xC:
    case 0xD: return !((op & 0x100) && sized && memory);  // Dn,<ea>
    case 0xB: return !((op & 0x100) && sized);            // EOR, CMPM
    case 0xE: return sized;                               // shift of memory
    default: return true;
    }
}

// Each differing register is An of an (An)+ or -(An) operand, off the
// chip's by 2 or 4, and where the core's routine leaves it relative to the
// faulting access at the core's stacked address: stepped past it, or not yet.
bool an_as_described(const Case& c) {
    uint32_t op = opcode(c.v);
    uint32_t fault = be_read32(c.o.core_stack + 2);
    uint32_t size = operand_size(c.group);
    bool stepped = an_stepped_before_access(op);
    AnOperand ops[2];
    int n = an_operands(op, ops);
    for (int f = 0; f < F_COUNT; ++f) {
        if (!(c.o.diff_fields & bit(f))) continue;
        uint32_t d = c.o.got[f] - c.o.want[f];
        if (d != 2 && d != 4 && d != uint32_t(-2) && d != uint32_t(-4)) return false;
        bool ok = false;
        for (int i = 0; i < n; ++i)
            if (an_field(c.v, ops[i].reg) == f && c.o.got[f] == fault + (stepped != ops[i].predec ? size : 0))
                ok = true;
        if (!ok) return false;
    }
    return true;
}

// Frame offsets: 0-1 access word (instruction bits 15-5, access code 4-0),
// 2-5 access address, 6-7 instruction word, 8-9 SR, 10-13 PC.
enum FrameEdit : uint32_t {
    kAddressLow2 = 1,   // the core's access address is 2 below the chip's
    kWriteForRead = 2,  // the core's access code is a write where the chip's is a read
};

// An address error on a data access that both took. Only the registers in
// `regs` may differ (as an_as_described says), and the core's frame is the
// chip's with the stacked PC the word after the opcode and the named edits.
bool data_fault_as_described(const Case& c, uint32_t regs, uint32_t edits) {
    const Vector& v = c.v;
    const Outcome& o = c.o;
    uint8_t want[kGroup0Frame];
    if (!o.stray.empty() || (o.diff_fields & ~regs) || !chip_stack(v, kGroup0Frame, want) ||
        !ram_diffs_within(o, v.final.reg[F_SSP], kGroup0Frame) || !an_as_described(c))
        return false;
    be_write32(want + 10, v.initial.reg[F_PC] + 2);
    if (edits & kAddressLow2) be_write32(want + 2, be_read32(want + 2) - 2);
    if (edits & kWriteForRead) {
        if (!(want[1] & 0x10)) return false;
        want[1] &= uint8_t(~0x10);
    }
    return std::memcmp(o.core_stack, want, kGroup0Frame) == 0;
}

// The core's frame for a fault on the fetch at an odd target, from the
// chip's, which stacks the target as the access address: the core stacks
// the target as the PC and, cut to 24 bits, as the address, and reads the
// instruction word at the target. want holds `size` bytes of the core's
// stack from its final SSP core_sp; bytes from 14 on (a JSR's return
// address) are the caller's. The word is read after the SR and PC are
// stacked and what lies above is pushed, so those may cover the target.
void fetch_fault_frame(const Vector& v, const uint8_t* chip, uint32_t core_sp, uint8_t* want, uint32_t size) {
    uint32_t target = be_read32(chip + 2);
    std::memcpy(want + 8, chip + 8, 2);
    be_write32(want + 10, target);
    auto byte_read = [&](uint32_t addr) {
        uint32_t off = (addr - core_sp) & 0xFFFFFF;
        return off >= 8 && off < size ? want[off] : initial_byte(v, addr);
    };
    uint32_t at = target & 0xFFFFFE;
    uint32_t insn = uint32_t(byte_read(at)) << 8 | byte_read(at + 1);
    be_write16(want, (insn & 0xFFE0) | (chip[1] & 0x1Fu));
    be_write32(want + 2, target & 0xFFFFFF);
    be_write16(want + 6, insn);
}

// Extension words of a control addressing mode.
uint32_t control_ext_words(uint32_t ea) {
    uint32_t mode = ea >> 3, reg = ea & 7;
    if (mode == 2) return 0;
    if (mode == 7 && reg == 1) return 2;
    return 1;
}

// ------------------------------------------------- known differences


bool bcd_nibble_above_9(uint32_t b) { return (b & 0x0F) > 9 || (b & 0xF0) > 0x90; }

// SBCD's two operand bytes from the initial state, and for the memory form
// the destination's address.
bool sbcd_operands(const Vector& v, uint32_t& dst, uint32_t& src, uint32_t& dst_addr) {
    uint32_t op = opcode(v), rx = (op >> 9) & 7, ry = op & 7;
    const uint32_t* r = v.initial.reg;
    if (!(op & 8)) {
        dst = r[F_D0 + rx] & 0xFF;
        src = r[F_D0 + ry] & 0xFF;
        return true;
    }
    auto areg = [r](uint32_t n) { return n == 7 ? r[F_SSP] : r[F_A0 + n]; };
    uint32_t ay = areg(ry) - (ry == 7 ? 2 : 1);
    uint32_t ax = (rx == ry ? ay : areg(rx)) - (rx == 7 ? 2 : 1);
    uint8_t d, s;
    if (!listed_byte(v.initial.ram, ax, d) || !listed_byte(v.initial.ram, ay, s)) return false;
    dst = d;
    src = s;
    dst_addr = ax & 0xFFFFFF;
    return true;
}

bool sbcd_invalid_operand(const Case& c) {
    uint32_t dst, src, dst_addr;
    return sbcd_operands(c.v, dst, src, dst_addr) && (bcd_nibble_above_9(dst) || bcd_nibble_above_9(src));
}

// The core's SBCD on any bytes: d - s - X with a digit adjusted on a borrow
// out of it or when it is above 9; X = C = the borrow of the adjusted
// result, Z cleared by a nonzero result, N and V kept.
bool sbcd_as_described(const Case& c) {
    const Vector& v = c.v;
    const Outcome& o = c.o;
    uint32_t d, s, dst_addr = 0;
    if (!sbcd_operands(v, d, s, dst_addr)) return false;
    uint32_t sr = v.initial.reg[F_SR], x = (sr >> 4) & 1;
    uint32_t plain = (d - s - x) & 0xFF, r = plain;
    bool carry = false;
    // clang-format off
    if ((d & 0xF) < (s & 0xF) + x || (plain & 0xF) > 9) { carry = r < 6; r -= 6; }
    if (d < s + x || plain > 0x99) { r -= 0x60; carry = true; }
    // clang-format on
    r &= 0xFF;
    uint32_t ccr = sr & (SR_N | SR_V | SR_Z);
    if (r) ccr &= ~SR_Z;
    if (carry) ccr |= SR_X | SR_C;
    if ((o.got[F_SR] & kCcr) != ccr) return false;
    uint32_t op = opcode(v);
    if (!(op & 8)) {  // register form: the low byte of Dx
        int fx = F_D0 + int((op >> 9) & 7);
        return o.ram.empty() && only(o, bit(fx), kCcr) && ((o.want[fx] ^ o.got[fx]) & ~0xFFu) == 0 &&
               (o.got[fx] & 0xFF) == r;
    }
    uint8_t written;
    return only(o, 0, kCcr) && ram_diffs_within(o, dst_addr, 1) && listed_byte(o.written, dst_addr, written) &&
           written == r;
}

// CHK's CCR in the core: N for Dn < 0, cleared otherwise; X, Z, V, C kept.
uint32_t chk_ccr(const Vector& v) {
    uint32_t dn = v.initial.reg[F_D0 + ((opcode(v) >> 9) & 7)];
    return (v.initial.reg[F_SR] & kCcr & ~SR_N) | ((dn & 0x8000) ? SR_N : 0);
}

KnownDifference g_known[] = {
    {"decimal N V", "ABCD SBCD NBCD", "N or V differs",
     "the decimal instructions leave N and V unchanged (undefined on the chip); all else is the chip's",
     [](const Case& c) { return (sr_diff(c.o) & (SR_N | SR_V)) != 0; },
     [](const Case& c) {
         return c.o.ram.empty() && only(c.o, 0, SR_N | SR_V) &&
                ((c.o.got[F_SR] ^ c.v.initial.reg[F_SR]) & (SR_N | SR_V)) == 0;
     },
     0},
    {"SBCD digits", "SBCD", "an operand byte is not valid BCD (a digit above 9)",
     "the core also adjusts a digit above 9 without a borrow (low digit above 9, result above $99), "
     "as its decimal adjustment rule says; the chip adjusts only on a borrow. The result byte and "
     "X, Z, C are the core's rule, N and V unchanged, all else the chip's",
     sbcd_invalid_operand, sbcd_as_described, 0},
    {"divide overflow", "DIVU DIVS", "quotient overflow (the chip sets V and takes no trap)",
     "an overflowing division sets V and clears N, Z and C, Dn unchanged; all else is the chip's",
     [](const Case& c) { return (c.v.final.reg[F_SR] & SR_V) && !chip_took(c.v, 0x14); },
     [](const Case& c) {
         return c.o.ram.empty() && only(c.o, 0, SR_N | SR_Z | SR_C) && (c.o.got[F_SR] & kNzvc) == SR_V;
     },
     0},
    {"divide by zero", "DIVU DIVS", "divisor 0 (the chip takes the zero-divide trap)",
     "a zero divisor traps with the CCR as it was; the chip clears N, Z, V and C first. SR and the "
     "stacked SR keep the initial CCR, all else is the chip's",
     [](const Case& c) { return chip_took(c.v, 0x14); },
     [](const Case& c) {
         uint8_t want[kNormalFrame];
         uint32_t sr = c.v.initial.reg[F_SR];
         if (!only(c.o, 0, kNzvc) || ((c.o.got[F_SR] ^ sr) & kNzvc) || !chip_stack(c.v, kNormalFrame, want) ||
             !ram_diffs_within(c.o, c.v.final.reg[F_SSP], kNormalFrame))
             return false;
         be_write16(want, sr);
         return std::memcmp(c.o.core_stack, want, kNormalFrame) == 0;
     },
     0},
    {"CHK flags", "CHK", "no address error",
     "CHK sets N for Dn < 0, clears it otherwise and leaves Z, V and C unchanged, in SR and, when "
     "it traps, in the stacked SR; all else is the chip's",
     [](const Case& c) { return !chip_took(c.v, 0x0C); },
     [](const Case& c) {
         uint32_t ccr = chk_ccr(c.v);
         if ((c.o.got[F_SR] & kCcr) != ccr) return false;
         if (!chip_took(c.v, 0x18)) return c.o.ram.empty() && only(c.o, 0, kNzvc);
         uint8_t want[kNormalFrame];
         if (!only(c.o, 0, SR_Z | SR_V | SR_C) || !chip_stack(c.v, kNormalFrame, want) ||
             !ram_diffs_within(c.o, c.v.final.reg[F_SSP], kNormalFrame))
             return false;
         be_write16(want, (c.v.initial.reg[F_SR] & ~kCcr) | ccr);
         return std::memcmp(c.o.core_stack, want, kNormalFrame) == 0;
     },
     0},
    {"ASR count", "ASR.b ASR.w ASR.l",
     "count in a register at or above the size, negative operand, the chip has C = X = 0",
     "a count at or above the size leaves the sign bit as the last bit shifted out, so C = X = 1 "
     "(the manual's rule); all else is the chip's",
     [](const Case& c) {
         uint32_t op = opcode(c.v);
         static const uint32_t sizes[3] = {8, 16, 32};
         uint32_t s = (op >> 6) & 3;
         if (!(op & 0x20) || s == 3) return false;
         uint32_t count = c.v.initial.reg[F_D0 + ((op >> 9) & 7)] & 63;
         uint32_t value = c.v.initial.reg[F_D0 + (op & 7)];
         return count >= sizes[s] && ((value >> (sizes[s] - 1)) & 1) && (c.v.final.reg[F_SR] & (SR_X | SR_C)) == 0;
     },
     [](const Case& c) {
         return c.o.ram.empty() && only(c.o, 0, SR_X | SR_C) && (c.o.got[F_SR] & (SR_X | SR_C)) == (SR_X | SR_C);
     },
     0},
    {"address error PC", "*", "address error on a data access or on a branch to an odd target",
     "the core stacks the word after the opcode as the PC (it takes a Bcc, BSR or DBcc to an odd "
     "target within the branch); the chip's depends on how far its prefetch has run. All else is "
     "the chip's",
     [](const Case& c) { return chip_took(c.v, 0x0C); }, [](const Case& c) { return data_fault_as_described(c, 0, 0); },
     0},
    {"address error An", "*", "address error on a data access with an (An)+ or -(An) operand",
     "as above, and An differs by 2 or 4: the core's operand routine steps An before the access; "
     "a read-modify-write operand (read without the step), CMPM (steps after each access) and MOVEM "
     "(writes An back at the end) leave it not yet stepped; the chip steps at another point of its "
     "microcode",
     [](const Case& c) { return chip_address_error(c.v, false) && stepped_regs(c.v) != 0; },
     [](const Case& c) { return data_fault_as_described(c, stepped_regs(c.v), 0); }, 0},
    {"address error long -(An)", "MOVE.l ADDX.l SUBX.l MOVEM.l", "address error on a long access with a -(An) operand",
     "as above, and the access address is 2 below the chip's: the core makes a long access as one "
     "access at its lowest address; the chip accesses the low word first",
     [](const Case& c) { return chip_address_error(c.v, false) && has_predec(opcode(c.v)); },
     [](const Case& c) { return data_fault_as_described(c, stepped_regs(c.v), kAddressLow2); }, 0},
    {"address error write", "CLR.w CLR.l MOVEfromSR", "address error where the chip's access code is a read",
     "as above, and the core's access code is a write: the core writes the operand without reading "
     "it first; the chip reads before it writes",
     [](const Case& c) {
         uint8_t frame[2];
         return chip_address_error(c.v, false) && chip_stack(c.v, 2, frame) && (frame[1] & 0x10);
     },
     [](const Case& c) { return data_fault_as_described(c, stepped_regs(c.v), kWriteForRead); }, 0},
    {"odd target", "JMP RTS RTR RTE", "address error on the fetch at an odd target",
     "the core takes the fault at the next fetch: it stacks the target as the PC and, cut to 24 "
     "bits, as the access address, and the word read there as the instruction word; the chip takes "
     "it within the jump. Access code, SR and all else are the chip's",
     [](const Case& c) { return chip_address_error(c.v, true); },
     [](const Case& c) {
         uint8_t chip[kGroup0Frame], want[kGroup0Frame];
         if (c.o.diff_fields || !c.o.stray.empty() || !chip_stack(c.v, kGroup0Frame, chip) ||
             !ram_diffs_within(c.o, c.v.final.reg[F_SSP], kGroup0Frame))
             return false;
         fetch_fault_frame(c.v, chip, c.o.got[F_SSP], want, kGroup0Frame);
         return std::memcmp(c.o.core_stack, want, kGroup0Frame) == 0;
     },
     0},
    {"odd JSR target", "JSR", "address error on the fetch at an odd target",
     "as for JMP, and the core has pushed the return address (the word after the instruction) "
     "before the target is fetched, so its frame lies 4 bytes lower; the chip faults before the push. "
     "The instruction word is read at the target after the return address, SR and PC are stacked, "
     "which may cover it",
     [](const Case& c) { return chip_address_error(c.v, true); },
     [](const Case& c) {
         const Outcome& o = c.o;
         uint32_t sp = c.v.final.reg[F_SSP], core_sp = o.got[F_SSP];
         uint8_t chip[kGroup0Frame], want[kGroup0Frame + 4];
         if (o.diff_fields != bit(F_SSP) || core_sp + 4 != sp || !chip_stack(c.v, kGroup0Frame, chip) ||
             !ram_diffs_within(o, sp, kGroup0Frame))
             return false;
         for (uint32_t a : o.stray)
             if (((a - core_sp) & 0xFFFFFF) >= 4) return false;
         be_write32(want + kGroup0Frame, c.v.initial.reg[F_PC] + 2 + 2 * control_ext_words(opcode(c.v) & 0x3F));
         fetch_fault_frame(c.v, chip, core_sp, want, sizeof want);
         return std::memcmp(o.core_stack, want, sizeof want) == 0;
     },
     0},
};

bool in_groups(const char* groups, const std::string& group) {
    if (std::strcmp(groups, "*") == 0) return true;
    std::string_view list(groups);
    while (!list.empty()) {
        size_t end = list.find(' ');
        std::string_view name = list.substr(0, end);
        if (name == group) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

KnownDifference* find_known(const Case& c) {
    for (auto& k : g_known)
        if (in_groups(k.groups, c.group) && k.applies(c) && k.holds(c)) return &k;
    return nullptr;
}

// ------------------------------------------------------------ wrong data
// Vectors of the public set whose recorded final state no real 68000 can
// produce (the set's own tracker lists them as wrong data), by group and
// name; each is skipped only while it shows the fault.


bool d2_upper_changed(const Vector& v) { return ((v.initial.reg[F_D0 + 2] ^ v.final.reg[F_D0 + 2]) & 0xFFFFFF00) != 0; }

// Extension words of a word-sized data source.
uint32_t data_ext_words(uint32_t ea) {
    uint32_t mode = ea >> 3, reg = ea & 7;
    if (mode < 5) return 0;
    if (mode == 7 && reg == 1) return 2;
    return 1;
}

// A divide's address of the next instruction.
uint32_t divide_next_pc(const Vector& v) { return v.initial.reg[F_PC] + 2 + 2 * data_ext_words(opcode(v) & 0x3F); }

// The chip took the zero-divide trap, and its frame holds the opcode's
// address as the PC.
bool zero_divide_stacks_opcode(const Vector& v) {
    uint8_t frame[kNormalFrame];
    return chip_took(v, 0x14) && chip_stack(v, kNormalFrame, frame) && be_read32(frame + 2) == v.initial.reg[F_PC];
}

// The frame as the manual has it: the PC of the next instruction.
void zero_divide_stack_next(Vector& v) {
    uint32_t pc = divide_next_pc(v), sp = v.final.reg[F_SSP];
    for (auto& [a, b] : v.final.ram) {
        uint32_t off = (a - sp - 2) & 0xFFFFFF;
        if (off < 4) b = uint8_t(pc >> (24 - 8 * off));
    }
}

WrongData g_wrong[] = {
    {"ASL.b", "e502 [ASL.b Q, D2] 1583", "final D2 changes bits 8-31, which ASL.b leaves alone", d2_upper_changed,
     nullptr, 0},
    {"ASL.b", "e502 [ASL.b Q, D2] 1761", "final D2 changes bits 8-31, which ASL.b leaves alone", d2_upper_changed,
     nullptr, 0},
    // The only zero divide of the full set's DIVU group.
    {"DIVU", "80ef [DIVU (d16, A7), D0] 5745",
     "the zero-divide frame holds the opcode's address as the PC, where the manual's rule for a zero divide "
     "(as for TRAP, TRAPV and CHK) stacks the address of the next instruction; judged with that PC",
     zero_divide_stacks_opcode, zero_divide_stack_next, 0},
};

WrongData* find_wrong(const std::string& group, const Vector& v) {
    for (auto& w : g_wrong)
        if (group == w.group && v.name == w.name && w.shows(v)) return &w;
    return nullptr;
}

// ------------------------------------------------------------ verdict


Verdict judge_run(const std::string& group, const Vector& v, Outcome& o) {
    run_vector(v, o);
    if (o.matches()) return {Verdict::kMatch};
    if (KnownDifference* k = find_known(Case{group, v, o})) return {Verdict::kListed, k};
    return {Verdict::kFailed};
}

// A wrong vector with a mend is judged as mended; one without is skipped.
Verdict judge(const std::string& group, const Vector& v, Outcome& o) {
    WrongData* w = find_wrong(group, v);
    if (!w) return judge_run(group, v, o);
    if (!w->mend) return {Verdict::kWrongData, nullptr, w};
    Vector mended = v;
    w->mend(mended);
    Verdict verdict = judge_run(group, mended, o);
    if (verdict.kind == Verdict::kFailed) return verdict;
    return {Verdict::kWrongData, verdict.known, w};
}


std::span<KnownDifference> known_differences() { return g_known; }
std::span<WrongData> wrong_data() { return g_wrong; }

}  // namespace steps
