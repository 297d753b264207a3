// Runs the MC68000 single-instruction vectors (an independent record of the
// real chip) through the real run loop and compares the registers, SR, PC
// and the listed RAM bytes after each instruction.
//
// The folder comes from M68000_STEPS_DIR, else from the compile definition
// M68000_STEPS_DEFAULT_DIR; every *.json.gz in it is one group of vectors.
//
// PC convention of the vectors: `initial.pc` is the address of the opcode
// (prefetch[0]); `final.pc` is the address of the next instruction, e.g.
// NOP at $0C00 ends with pc $0C02, MOVE.W D4,(d8,A4,Xn) at $0C00 ends with
// pc $0C04, and an instruction that takes an exception ends with pc at the
// handler (the long read from the vector table). That is g_cpu_pc between
// instructions, so the two are compared as they stand.
//
// Where the core deliberately differs from the chip, the vector is counted
// under an entry of the table of known differences below. Each entry has a
// narrow condition on the vector (when it applies) and a check that the
// core's result is exactly what its reason says, with all other state as
// the chip's; a vector the entry's condition takes in but its check refuses
// fails. A few vectors of the public set record wrong data; they are named
// in a list of their own, skipped and counted. Without the folder the test
// is skipped.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/config.h"
#include "core/bus.h"
#include "core/cpu_regs.h"
#include "firmware/iocs.h"
#include "sound/fm_card.h"
#include "support/flat_bus.h"

#ifndef M68000_STEPS_DEFAULT_DIR
#define M68000_STEPS_DEFAULT_DIR "../shared/testdata/m68000-steps"
#endif

namespace {

// ---------------------------------------------------------------- vectors

// Register fields in the order they are compared and printed.
enum Field { F_D0 = 0, F_A0 = 8, F_USP = 15, F_SSP, F_SR, F_PC, F_COUNT };

const char* field_name(int f) {
    static const char* const names[F_COUNT] = {
        "D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7",
        "A0", "A1", "A2", "A3", "A4", "A5", "A6", "USP", "SSP", "SR", "PC"};
    return names[f];
}
constexpr uint32_t bit(int f) { return 1u << f; }

struct CpuState {
    uint32_t reg[F_COUNT];
    uint16_t prefetch[2];
    std::vector<std::pair<uint32_t, uint8_t>> ram;
};

struct Vector {
    std::string name;
    CpuState initial;
    CpuState final;
    uint32_t length;
};

bool read_gzip(const std::string& path, std::string& out) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[1 << 16];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) out.append(buf, size_t(n));
    bool ok = n == 0;
    gzclose(f);
    return ok;
}

CpuState parse_state(const nlohmann::json& j) {
    static const char* const keys[F_COUNT] = {
        "d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
        "a0", "a1", "a2", "a3", "a4", "a5", "a6", "usp", "ssp", "sr", "pc"};
    CpuState s{};
    for (int f = 0; f < F_COUNT; ++f) s.reg[f] = j.at(keys[f]).get<uint32_t>();
    const auto& pf = j.at("prefetch");
    s.prefetch[0] = uint16_t(pf.at(0).get<uint32_t>());
    s.prefetch[1] = uint16_t(pf.at(1).get<uint32_t>());
    for (const auto& e : j.at("ram"))
        s.ram.emplace_back(e.at(0).get<uint32_t>() & 0xFFFFFF, uint8_t(e.at(1).get<uint32_t>()));
    return s;
}

// Reads one group file; the bus transactions are not needed and are dropped
// while parsing.
bool load_group(const std::string& path, std::vector<Vector>& out, std::string& error) {
    std::string text;
    if (!read_gzip(path, text)) { error = "cannot read " + path; return false; }
    auto drop_transactions = [](int, nlohmann::json::parse_event_t ev, nlohmann::json& parsed) {
        return !(ev == nlohmann::json::parse_event_t::key && parsed == "transactions");
    };
    nlohmann::json doc = nlohmann::json::parse(text, drop_transactions, false);
    if (doc.is_discarded() || !doc.is_array()) { error = "not a JSON array: " + path; return false; }
    try {
        for (const auto& j : doc) {
            Vector v;
            v.name = j.at("name").get<std::string>();
            v.initial = parse_state(j.at("initial"));
            v.final = parse_state(j.at("final"));
            v.length = j.at("length").get<uint32_t>();
            out.push_back(std::move(v));
        }
    } catch (const nlohmann::json::exception& e) {
        error = path + ": " + e.what();
        return false;
    }
    return true;
}

// ------------------------------------------------------- write tracking
// The page write handlers are wrapped so that every byte the instruction
// writes is known: RAM is cleaned after each vector by zeroing only those
// bytes and the ones the vector set, and a write outside the vector's listed
// bytes is reported.

BusWriteFn s_plain_write_byte[128], s_plain_write_word[128], s_plain_write_long[128];
constexpr size_t kWriteLogSize = 4096;
uint32_t s_write_log[kWriteLogSize];
size_t s_write_count;
bool s_write_overflow;

void log_write(uint32_t addr, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        if (s_write_count == kWriteLogSize) { s_write_overflow = true; return; }
        s_write_log[s_write_count++] = (addr + i) & 0xFFFFFF;
    }
}
void logged_write_byte(uint32_t a, uint32_t v) { log_write(a, 1); s_plain_write_byte[bus_page(a)](a, v); }
void logged_write_word(uint32_t a, uint32_t v) { log_write(a, 2); s_plain_write_word[bus_page(a)](a, v); }
void logged_write_long(uint32_t a, uint32_t v) { log_write(a, 4); s_plain_write_long[bus_page(a)](a, v); }

void install_bus() {
    flat_bus_install();
    for (int p = 0; p < 128; ++p) {
        s_plain_write_byte[p] = g_bus_write_byte_table[p];
        s_plain_write_word[p] = g_bus_write_word_table[p];
        s_plain_write_long[p] = g_bus_write_long_table[p];
        g_bus_write_byte_table[p] = logged_write_byte;
        g_bus_write_word_table[p] = logged_write_word;
        g_bus_write_long_table[p] = logged_write_long;
    }
}

// ------------------------------------------------------------- outcome

constexpr uint32_t kGroup0Frame = 14; // bytes of a bus or address error frame
constexpr uint32_t kNormalFrame = 6;  // SR and PC
constexpr uint32_t kCcr = 0x1F, kNzvc = 0x0F;

struct RamDiff {
    uint32_t addr;
    uint8_t want, got;
};

struct Outcome {
    uint32_t want[F_COUNT];
    uint32_t got[F_COUNT];
    uint32_t diff_fields = 0;          // bit per Field that differs
    std::vector<RamDiff> ram;          // listed bytes that differ
    std::vector<uint32_t> stray;       // bytes written outside the listed ones
    std::vector<std::pair<uint32_t, uint8_t>> written; // every byte written, as it was left
    uint32_t cycles = 0;
    // The core's bytes at its final SSP: a group-0 frame and, for JSR, the
    // return address above it.
    uint8_t core_stack[kGroup0Frame + 4] = {};
    bool matches() const { return diff_fields == 0 && ram.empty() && stray.empty(); }
};

// The byte a RAM list holds at addr.
bool listed_byte(const std::vector<std::pair<uint32_t, uint8_t>>& ram, uint32_t addr, uint8_t& value) {
    for (const auto& [a, b] : ram)
        if (a == (addr & 0xFFFFFF)) { value = b; return true; }
    return false;
}

void put_byte(uint8_t* mem, uint32_t addr, uint8_t value) { mem[addr & 0xFFFFFF] = value; }

void run_vector(const Vector& v, Outcome& o) {
    uint8_t* mem = flat_bus_memory();
    const CpuState& in = v.initial;

    // Memory: the two prefetch words at pc and pc + 2, then the listed bytes.
    uint32_t pc = in.reg[F_PC];
    put_byte(mem, pc, uint8_t(in.prefetch[0] >> 8));
    put_byte(mem, pc + 1, uint8_t(in.prefetch[0]));
    put_byte(mem, pc + 2, uint8_t(in.prefetch[1] >> 8));
    put_byte(mem, pc + 3, uint8_t(in.prefetch[1]));
    for (const auto& [a, b] : in.ram) put_byte(mem, a, b);

    // Registers: A7 is the stack pointer of the mode in SR, the other one
    // waits in its save slot.
    cpu_test_reset(pc, in.reg[F_SSP], in.reg[F_SR]);
    for (int n = 0; n < 8; ++n) cpu_d(n) = in.reg[F_D0 + n];
    for (int n = 0; n < 7; ++n) cpu_a(n) = in.reg[F_A0 + n];
    g_cpu_sr = in.reg[F_SR];
    if (g_cpu_sr & SR_S) {
        cpu_sp() = in.reg[F_SSP];
        g_cpu_usp_save = in.reg[F_USP];
    } else {
        cpu_sp() = in.reg[F_USP];
        g_cpu_ssp_save = in.reg[F_SSP];
    }
    g_trace_delay = 0;
    g_exception_busy = 0x100;
    s_write_count = 0;
    s_write_overflow = false;

    o.cycles = cpu_test_step();
    // A jump, return or exception to an odd address faults at the next
    // fetch, before anything of the next instruction runs; the chip reports
    // it as part of this instruction, so let the loop make that fetch.
    if ((g_cpu_pc & 1) && g_refetch) cpu_test_step();

    for (int n = 0; n < 8; ++n) o.got[F_D0 + n] = cpu_d(n);
    for (int n = 0; n < 7; ++n) o.got[F_A0 + n] = cpu_a(n);
    bool super = (g_cpu_sr & SR_S) != 0;
    o.got[F_USP] = super ? g_cpu_usp_save : cpu_sp();
    o.got[F_SSP] = super ? cpu_sp() : g_cpu_ssp_save;
    o.got[F_SR] = g_cpu_sr;
    o.got[F_PC] = g_cpu_pc;
    for (int f = 0; f < F_COUNT; ++f) {
        o.want[f] = v.final.reg[f];
        if (o.want[f] != o.got[f]) o.diff_fields |= bit(f);
    }
    for (uint32_t i = 0; i < sizeof o.core_stack; ++i) o.core_stack[i] = mem[(o.got[F_SSP] + i) & 0xFFFFFF];
    for (const auto& [a, b] : v.final.ram)
        if (mem[a] != b) o.ram.push_back({a, b, mem[a]});
    for (size_t i = 0; i < s_write_count; ++i) {
        uint32_t a = s_write_log[i];
        uint8_t b;
        if (listed_byte(o.written, a, b)) continue;
        o.written.emplace_back(a, mem[a]);
        if (!listed_byte(v.final.ram, a, b)) o.stray.push_back(a);
    }

    // Clean up: every byte this vector set or wrote goes back to 0.
    for (uint32_t i = 0; i < 4; ++i) put_byte(mem, pc + i, 0);
    for (const auto& [a, b] : in.ram) put_byte(mem, a, 0);
    for (size_t i = 0; i < s_write_count; ++i) mem[s_write_log[i]] = 0;
    if (s_write_overflow) std::memset(mem, 0, 0x1000000);
}

// ------------------------------------------------------ predicate helpers

// A mismatching vector of a group, as the table's predicates see it.
struct Case {
    const std::string& group;
    const Vector& v;
    const Outcome& o;
};

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
    bool predec; // -(An), else (An)+
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
    if (top >= 1 && top <= 3) { // MOVE destination
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
    if ((op & 0xFB80) == 0x4880) return false; // MOVEM
    switch (top) {
    case 0x0: { // ORI ANDI SUBI ADDI EORI <ea>
        uint32_t kind = (op >> 9) & 7;
        return (op & 0x100) || kind == 4 || kind >= 6;
    }
    case 0x4: { // NEGX NEG NOT
        uint32_t hi = op & 0xFF00;
        return !(sized && (hi == 0x4000 || hi == 0x4400 || hi == 0x4600));
    }
    case 0x5: return !sized;                                            // ADDQ SUBQ
    case 0x8: case 0x9: case 0xC: case 0xD: return !((op & 0x100) && sized && memory); // Dn,<ea>
    case 0xB: return !((op & 0x100) && sized);                          // EOR, CMPM
    case 0xE: return sized;                                             // shift of memory
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
    kAddressLow2 = 1,  // the core's access address is 2 below the chip's
    kWriteForRead = 2, // the core's access code is a write where the chip's is a read
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
// instruction word at the target.
void fetch_fault_frame(const Vector& v, const uint8_t* chip, uint8_t* want) {
    uint32_t target = be_read32(chip + 2);
    uint32_t at = target & 0xFFFFFE;
    uint32_t insn = uint32_t(initial_byte(v, at)) << 8 | initial_byte(v, at + 1);
    be_write16(want, (insn & 0xFFE0) | (chip[1] & 0x1Fu));
    be_write32(want + 2, target & 0xFFFFFF);
    be_write16(want + 6, insn);
    std::memcpy(want + 8, chip + 8, 2);
    be_write32(want + 10, target);
}

// Extension words of a control addressing mode.
uint32_t control_ext_words(uint32_t ea) {
    uint32_t mode = ea >> 3, reg = ea & 7;
    if (mode == 2) return 0;
    if (mode == 7 && reg == 1) return 2;
    return 1;
}

// ------------------------------------------------- known differences

struct KnownDifference {
    const char* name;       // short label for the summary
    const char* groups;     // group file names separated by spaces, or "*"
    const char* condition;  // when the entry applies
    const char* reason;     // why the core differs there and what it gives
    bool (*applies)(const Case& c); // the vector is of the case the condition names
    bool (*holds)(const Case& c);   // the core's result is exactly what the reason says
    uint32_t count;
};

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
    if ((d & 0xF) < (s & 0xF) + x || (plain & 0xF) > 9) { carry = r < 6; r -= 6; }
    if (d < s + x || plain > 0x99) { r -= 0x60; carry = true; }
    r &= 0xFF;
    uint32_t ccr = sr & (SR_N | SR_V | SR_Z);
    if (r) ccr &= ~SR_Z;
    if (carry) ccr |= SR_X | SR_C;
    if ((o.got[F_SR] & kCcr) != ccr) return false;
    uint32_t op = opcode(v);
    if (!(op & 8)) { // register form: the low byte of Dx
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
     }, 0},
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
     }, 0},
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
     }, 0},
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
     }, 0},
    {"ASR count", "ASR.b ASR.w ASR.l", "count in a register at or above the size, negative operand, the chip has C = X = 0",
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
     }, 0},
    {"address error PC", "*", "address error on a data access or on a branch to an odd target",
     "the core stacks the word after the opcode as the PC (it takes a Bcc, BSR or DBcc to an odd "
     "target within the branch); the chip's depends on how far its prefetch has run. All else is "
     "the chip's",
     [](const Case& c) { return chip_took(c.v, 0x0C); },
     [](const Case& c) { return data_fault_as_described(c, 0, 0); }, 0},
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
         fetch_fault_frame(c.v, chip, want);
         return std::memcmp(c.o.core_stack, want, kGroup0Frame) == 0;
     }, 0},
    {"odd JSR target", "JSR", "address error on the fetch at an odd target",
     "as for JMP, and the core has pushed the return address (the word after the instruction) "
     "before the target is fetched, so its frame lies 4 bytes lower; the chip faults before the push",
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
         fetch_fault_frame(c.v, chip, want);
         be_write32(want + kGroup0Frame,
                    c.v.initial.reg[F_PC] + 2 + 2 * control_ext_words(opcode(c.v) & 0x3F));
         return std::memcmp(o.core_stack, want, sizeof want) == 0;
     }, 0},
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

struct WrongData {
    const char* group;
    const char* name;
    const char* what;
    bool (*shows)(const Vector& v);
    uint32_t seen;
};

bool d2_upper_changed(const Vector& v) {
    return ((v.initial.reg[F_D0 + 2] ^ v.final.reg[F_D0 + 2]) & 0xFFFFFF00) != 0;
}

WrongData g_wrong[] = {
    {"ASL.b", "e502 [ASL.b Q, D2] 1583", "final D2 changes bits 8-31, which ASL.b leaves alone", d2_upper_changed, 0},
    {"ASL.b", "e502 [ASL.b Q, D2] 1761", "final D2 changes bits 8-31, which ASL.b leaves alone", d2_upper_changed, 0},
};

WrongData* find_wrong(const std::string& group, const Vector& v) {
    for (auto& w : g_wrong)
        if (group == w.group && v.name == w.name && w.shows(v)) return &w;
    return nullptr;
}

// ------------------------------------------------------------ verdict

struct Verdict {
    enum Kind { kMatch, kListed, kWrongData, kFailed } kind;
    KnownDifference* known = nullptr;
    WrongData* wrong = nullptr;
};

Verdict judge(const std::string& group, const Vector& v, Outcome& o) {
    if (WrongData* w = find_wrong(group, v)) return {Verdict::kWrongData, nullptr, w};
    run_vector(v, o);
    if (o.matches()) return {Verdict::kMatch};
    if (KnownDifference* k = find_known(Case{group, v, o})) return {Verdict::kListed, k};
    return {Verdict::kFailed};
}

// ------------------------------------------------------------ printing

std::string ccr_text(uint32_t sr) {
    std::string s = "XNZVC";
    for (int i = 0; i < 5; ++i)
        if (!(sr & (0x10u >> i))) s[size_t(i)] = '-';
    return s;
}

void print_failure(const std::string& group, const Vector& v, const Outcome& o) {
    std::printf("    %s (cycles %u, chip %u)\n", v.name.c_str(), o.cycles, v.length);
    for (int f = 0; f < F_COUNT; ++f) {
        if (!(o.diff_fields & bit(f))) continue;
        if (f == F_SR)
            std::printf("      SR : expected $%04X %s, got $%04X %s\n", o.want[f],
                        ccr_text(o.want[f]).c_str(), o.got[f], ccr_text(o.got[f]).c_str());
        else
            std::printf("      %-3s: expected $%08X, got $%08X\n", field_name(f), o.want[f], o.got[f]);
    }
    size_t shown = 0;
    for (const auto& d : o.ram) {
        if (++shown > 8) { std::printf("      ... %zu RAM bytes differ\n", o.ram.size()); break; }
        std::printf("      RAM $%06X: expected $%02X, got $%02X\n", d.addr, d.want, d.got);
    }
    if (!o.stray.empty())
        std::printf("      %zu bytes written outside the listed RAM, first at $%06X\n",
                    o.stray.size(), o.stray[0]);
    for (const auto& k : g_known)
        if (in_groups(k.groups, group) && k.applies(Case{group, v, o}))
            std::printf("      a case of \"%s\", but the core's result is not what its reason says\n", k.name);
}

void setup_core() {
    install_bus();
    g_cfg_fpu = 0;
    g_cfg_fmpcm8 = 0;
    for (auto& r : g_iocs_hook_table) r = nullptr;
    for (auto& r : g_iocs_native_table) r = nullptr;
}

// The suite name puts "m68000_steps" into the CTest name.
TEST(m68000_steps, AllVectors) {
    namespace fs = std::filesystem;
    const char* env = std::getenv("M68000_STEPS_DIR");
    const bool from_env = env && *env;
    const std::string dir = from_env ? env : M68000_STEPS_DEFAULT_DIR;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        // A folder asked for by name must be there; the default one is optional.
        if (from_env) FAIL() << "M68000_STEPS_DIR is " << dir << ", which is not a folder";
        GTEST_SKIP() << "no 68000 single-step vectors: " << dir
                     << " is not a folder; set M68000_STEPS_DIR to a folder of *.json.gz vectors to run this test";
    }
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::string name = e.path().filename().string();
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".json.gz") == 0)
            files.push_back(e.path().string());
    }
    ASSERT_FALSE(ec) << "cannot list " << dir << ": " << ec.message();
    ASSERT_FALSE(files.empty()) << "no *.json.gz vectors in " << dir;
    std::sort(files.begin(), files.end());

    setup_core();

    constexpr uint32_t kShownPerGroup = 3;
    uint64_t total = 0, total_match = 0, total_known = 0, total_wrong = 0, total_failed = 0, total_cycles_ok = 0;
    std::printf("m68000 single-step vectors from %s\n", dir.c_str());
    std::printf("  %-12s %7s %7s %7s %7s %7s %9s\n", "group", "vectors", "match", "listed", "wrong", "failed",
                "cyc=len");
    for (const auto& path : files) {
        std::string group = fs::path(path).filename().string();
        group.resize(group.size() - 8);
        std::vector<Vector> vectors;
        std::string error;
        if (!load_group(path, vectors, error)) {
            ADD_FAILURE() << error;
            continue;
        }
        uint32_t match = 0, known = 0, wrong = 0, failed = 0, cycles_ok = 0;
        std::vector<std::pair<const Vector*, Outcome>> failures;
        for (const auto& v : vectors) {
            Outcome o;
            Verdict verdict = judge(group, v, o);
            if (verdict.kind != Verdict::kWrongData && o.cycles == v.length) ++cycles_ok;
            switch (verdict.kind) {
            case Verdict::kMatch: ++match; break;
            case Verdict::kListed: ++verdict.known->count; ++known; break;
            case Verdict::kWrongData: ++verdict.wrong->seen; ++wrong; break;
            case Verdict::kFailed:
                ++failed;
                if (failures.size() < kShownPerGroup) failures.emplace_back(&v, std::move(o));
                break;
            }
        }
        std::printf("  %-12s %7zu %7u %7u %7u %7u %9u\n", group.c_str(), vectors.size(), match, known, wrong,
                    failed, cycles_ok);
        for (const auto& [v, o] : failures) print_failure(group, *v, o);
        total += vectors.size();
        total_match += match;
        total_known += known;
        total_wrong += wrong;
        total_failed += failed;
        total_cycles_ok += cycles_ok;
        EXPECT_EQ(failed, 0u) << group << ": " << failed << " vectors differ from the chip";
    }

    // A write that bypassed the bus would have escaped the clean-up.
    const uint8_t* mem = flat_bus_memory();
    size_t left = 0;
    for (uint32_t a = 0; a < 0x1000000; ++a) left += mem[a] != 0;
    EXPECT_EQ(left, 0u) << "RAM bytes changed outside the bus write handlers";

    std::printf("  %-12s %7llu %7llu %7llu %7llu %7llu %9llu\n", "total", (unsigned long long)total,
                (unsigned long long)total_match, (unsigned long long)total_known, (unsigned long long)total_wrong,
                (unsigned long long)total_failed, (unsigned long long)total_cycles_ok);
    std::printf("cycle counts equal to the chip's length: %llu of %llu (%.1f%%)\n",
                (unsigned long long)total_cycles_ok, (unsigned long long)total,
                total ? 100.0 * double(total_cycles_ok) / double(total) : 0.0);
    std::printf("known differences:\n");
    for (const auto& k : g_known)
        std::printf("  %6u  %s [%s]: %s (%s)\n", k.count, k.name, k.groups, k.condition, k.reason);
    std::printf("wrong data in the vectors, skipped:\n");
    for (const auto& w : g_wrong)
        std::printf("  %6u  %s: \"%s\": %s\n", w.seen, w.group, w.name, w.what);
}

// The byte of a vector's final RAM list at addr.
uint8_t& final_byte(Vector& v, uint32_t addr) {
    for (auto& [a, b] : v.final.ram)
        if (a == addr) return b;
    ADD_FAILURE() << "no final byte at " << addr;
    static uint8_t none;
    return none;
}

// The verdicts on made-up vectors whose chip result is the core's own,
// edited: the entries that the vectors in the repository never reach, and
// a wrong result in a listed case, which must fail.
TEST(m68000_steps, VerdictsOnEditedResults) {
    setup_core();
    struct Edit {
        const char* what;
        const char* group;
        const char* name;
        uint16_t op;
        uint32_t d0, d1, d2;
        void (*edit)(Vector& v);
        const char* expect; // "match", "wrong data", "failed" or an entry's name
    };
    // SR $271F, SSP $0800: a trap stacks SR at $07FA and the PC at $07FC.
    const Edit cases[] = {
        {"zero divisor, the chip clears N Z V C in SR and the stacked SR", "DIVU", "DIVU D1, D0", 0x80C1, 7, 0, 0,
         [](Vector& v) { v.final.reg[F_SR] &= ~kNzvc; final_byte(v, 0x7FB) &= uint8_t(~kNzvc); },
         "divide by zero"},
        {"zero divisor, and the stacked PC differs too", "DIVU", "DIVU D1, D0", 0x80C1, 7, 0, 0,
         [](Vector& v) {
             v.final.reg[F_SR] &= ~kNzvc;
             final_byte(v, 0x7FB) &= uint8_t(~kNzvc);
             final_byte(v, 0x7FF) ^= 2;
         },
         "failed"},
        {"quotient overflow, the chip sets N", "DIVU", "DIVU D1, D0", 0x80C1, 0x00100000, 1, 0,
         [](Vector& v) { v.final.reg[F_SR] |= SR_N; }, "divide overflow"},
        {"quotient overflow, and Dn differs", "DIVU", "DIVU D1, D0", 0x80C1, 0x00100000, 1, 0,
         [](Vector& v) { v.final.reg[F_SR] |= SR_N; v.final.reg[F_D0] ^= 1; }, "failed"},
        {"a listed wrong vector that shows its fault", "ASL.b", "e502 [ASL.b Q, D2] 1583", 0xE502, 0, 0, 0x12345601,
         [](Vector& v) { v.final.reg[F_D0 + 2] ^= 0xFF000000; }, "wrong data"},
        {"a listed wrong vector that does not show it", "ASL.b", "e502 [ASL.b Q, D2] 1583", 0xE502, 0, 0, 0x12345601,
         [](Vector&) {}, "match"},
        {"the fault in a vector not listed", "ASL.b", "e502 [ASL.b Q, D2] 1584", 0xE502, 0, 0, 0x12345601,
         [](Vector& v) { v.final.reg[F_D0 + 2] ^= 0xFF000000; }, "failed"},
    };
    for (const auto& c : cases) {
        Vector v;
        v.name = c.name;
        v.length = 0;
        v.initial = CpuState{};
        v.initial.reg[F_PC] = 0xC00;
        v.initial.reg[F_SR] = 0x271F;
        v.initial.reg[F_SSP] = 0x800;
        v.initial.reg[F_D0] = c.d0;
        v.initial.reg[F_D0 + 1] = c.d1;
        v.initial.reg[F_D0 + 2] = c.d2;
        v.initial.prefetch[0] = c.op;
        v.initial.prefetch[1] = 0x4E71;
        v.initial.ram = {{0x14, 0x00}, {0x15, 0x00}, {0x16, 0x10}, {0x17, 0x00}}; // zero-divide handler $1000
        Outcome first;
        run_vector(v, first);
        v.final = v.initial;
        std::memcpy(v.final.reg, first.got, sizeof v.final.reg);
        for (const auto& [a, b] : first.written) v.final.ram.emplace_back(a, b);
        c.edit(v);
        Outcome o;
        Verdict verdict = judge(c.group, v, o);
        std::string got = verdict.kind == Verdict::kMatch       ? "match"
                          : verdict.kind == Verdict::kWrongData ? "wrong data"
                          : verdict.kind == Verdict::kFailed    ? "failed"
                                                                : verdict.known->name;
        EXPECT_EQ(got, c.expect) << c.what;
    }
}

} // namespace
