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
// under an entry of the table of known differences below; each entry is a
// narrow predicate on the vector and on the mismatch. Any other mismatch
// fails the test.

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
    uint32_t cycles = 0;
    uint8_t core_frame[kGroup0Frame] = {}; // the core's bytes at its final SSP
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
    for (uint32_t i = 0; i < kGroup0Frame; ++i) o.core_frame[i] = mem[(o.got[F_SSP] + i) & 0xFFFFFF];
    for (const auto& [a, b] : v.final.ram)
        if (mem[a] != b) o.ram.push_back({a, b, mem[a]});
    for (size_t i = 0; i < s_write_count; ++i) {
        uint32_t a = s_write_log[i];
        uint8_t b;
        if (!listed_byte(v.final.ram, a, b) &&
            std::find(o.stray.begin(), o.stray.end(), a) == o.stray.end())
            o.stray.push_back(a);
    }

    // Clean up: every byte this vector set or wrote goes back to 0.
    for (uint32_t i = 0; i < 4; ++i) put_byte(mem, pc + i, 0);
    for (const auto& [a, b] : in.ram) put_byte(mem, a, 0);
    for (size_t i = 0; i < s_write_count; ++i) mem[s_write_log[i]] = 0;
    if (s_write_overflow) std::memset(mem, 0, 0x1000000);
}

// ------------------------------------------------------ predicate helpers

uint32_t sr_diff(const Outcome& o) { return o.want[F_SR] ^ o.got[F_SR]; }
uint32_t opcode(const Vector& v) { return v.initial.prefetch[0]; }


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

// Exception frames lie at the final supervisor stack pointer. The chip's
// bytes come from the final RAM list, the core's are the chip's with the
// differing bytes replaced.
struct Frames {
    uint8_t chip[kGroup0Frame], core[kGroup0Frame];
    uint32_t chip_long(uint32_t off) const { return be32(chip + off); }
    uint32_t core_long(uint32_t off) const { return be32(core + off); }
    static uint32_t be32(const uint8_t* p) {
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
};

// Every differing listed byte lies in the frame of `size` bytes at the
// chip's final SSP and differs only in the bits allowed for its offset.
bool ram_diffs_in_frame(const Vector& v, const Outcome& o, uint32_t size, const uint8_t* allowed) {
    uint32_t sp = v.final.reg[F_SSP] & 0xFFFFFF;
    for (const auto& d : o.ram) {
        uint32_t off = (d.addr - sp) & 0xFFFFFF;
        if (off >= size || ((d.want ^ d.got) & ~allowed[off])) return false;
    }
    return true;
}

bool read_frames(const Vector& v, const Outcome& o, Frames& f) {
    uint32_t sp = v.final.reg[F_SSP];
    for (uint32_t i = 0; i < kGroup0Frame; ++i)
        if (!listed_byte(v.final.ram, sp + i, f.chip[i])) return false;
    std::memcpy(f.core, f.chip, sizeof f.core);
    for (const auto& d : o.ram) {
        uint32_t off = (d.addr - sp) & 0xFFFFFF;
        if (off < kGroup0Frame) f.core[off] = d.got;
    }
    return true;
}

// Registers stepped by an (An)+ or -(An) operand of the opcode (A7 is the
// SSP here, all vectors run in supervisor mode).
uint32_t stepped_regs(uint32_t op) {
    uint32_t regs = 0;
    auto add = [&regs](uint32_t r) { regs |= r == 7 ? bit(F_SSP) : bit(F_A0 + int(r)); };
    uint32_t top = op >> 12;
    uint32_t mode = (op >> 3) & 7;
    if (mode == 3 || mode == 4) add(op & 7);
    if (top >= 1 && top <= 3) { // MOVE destination
        uint32_t dmode = (op >> 6) & 7;
        if (dmode == 3 || dmode == 4) add((op >> 9) & 7);
    }
    // ABCD, SBCD, ADDX, SUBX -(Ay),-(Ax) and CMPM (Ay)+,(Ax)+.
    if ((op & 0x0138) == 0x0108 && (top == 0x8 || top == 0x9 || top == 0xB || top == 0xC || top == 0xD)) {
        add(op & 7);
        add((op >> 9) & 7);
    }
    return regs;
}

// An address error that both took, differing only as allowed: frame bytes
// by offset mask, and the registers in `regs`, each by 2 or 4. The core's
// stacked PC must lie within the instruction (opcode to opcode + 10), or for
// a fault on the fetch at an odd target be that target (its low 24 bits).
bool address_error_within(const Vector& v, const Outcome& o, const uint8_t* allowed, uint32_t regs,
                          bool fetch = false) {
    if (!chip_took(v, 0x0C) || !only(o, regs, 0) || (o.diff_fields & bit(F_SR))) return false;
    for (int f = 0; f < F_COUNT; ++f) {
        if (!(o.diff_fields & bit(f))) continue;
        uint32_t d = o.got[f] - o.want[f];
        if (d != 2 && d != 4 && d != uint32_t(-2) && d != uint32_t(-4)) return false;
    }
    Frames f;
    if (!ram_diffs_in_frame(v, o, kGroup0Frame, allowed) || !read_frames(v, o, f)) return false;
    uint32_t pc = f.core_long(10);
    return fetch ? ((pc ^ f.core_long(2)) & 0xFFFFFF) == 0 : pc - v.initial.reg[F_PC] <= 10;
}

// Frame offsets: 0-1 access word (instruction bits 15-5, access code 4-0),
// 2-5 access address, 6-7 instruction word, 8-9 SR, 10-13 PC.
constexpr uint8_t kStackedPc[kGroup0Frame] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kPcAndAddress[kGroup0Frame] = {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kPcAndReadBit[kGroup0Frame] = {0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
// Fetch fault: all but the access code, the low 24 address bits and SR.
constexpr uint8_t kFetchFault[kGroup0Frame] = {0xFF, 0xE0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
// Normal frame: the CCR's Z, V and C in the stacked SR.
constexpr uint8_t kStackedZvc[6] = {0, 0x07, 0, 0, 0, 0};

// ------------------------------------------------- known differences

struct KnownDifference {
    const char* groups;     // group file names separated by spaces, or "*"
    const char* condition;  // when the entry applies
    const char* reason;     // why the core differs there
    bool (*applies)(const Vector& v, const Outcome& o);
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

KnownDifference g_known[] = {
    {"ABCD SBCD NBCD", "final SR differs only in N and/or V",
     "the decimal instructions leave N and V unchanged (undefined on the chip)",
     [](const Vector&, const Outcome& o) { return o.ram.empty() && only(o, 0, SR_N | SR_V); }, 0},
    {"SBCD", "an operand byte is not valid BCD (a digit above 9); the result byte and the CCR differ",
     "the core adjusts the low digit also when it is above 9 without a borrow, as its decimal "
     "adjustment rule says; the chip adjusts only on a borrow",
     [](const Vector& v, const Outcome& o) {
         uint32_t dst, src, dst_addr = 0;
         if (!sbcd_operands(v, dst, src, dst_addr) || !(bcd_nibble_above_9(dst) || bcd_nibble_above_9(src))) return false;
         uint32_t op = opcode(v);
         if (!(op & 8)) { // register form: only the low byte of Dx
             int fx = F_D0 + int((op >> 9) & 7);
             return o.ram.empty() && only(o, bit(fx), 0x1F) && ((o.want[fx] ^ o.got[fx]) & ~0xFFu) == 0;
         }
         return (o.ram.empty() || (o.ram.size() == 1 && o.ram[0].addr == dst_addr)) && only(o, 0, 0x1F);
     }, 0},
    {"DIVU DIVS", "quotient overflow (the chip sets V): SR differs only in N, Z and C",
     "an overflowing division sets V and clears N, Z and C",
     [](const Vector& v, const Outcome& o) {
         return (v.final.reg[F_SR] & SR_V) && !chip_took(v, 0x14) && o.ram.empty() &&
                only(o, 0, SR_N | SR_Z | SR_C);
     }, 0},
    {"CHK", "trap taken: SR and the stacked SR differ only in Z, V and C; no trap: SR differs only in N, Z, V and C",
     "CHK sets N for Dn < 0, clears it otherwise and leaves Z, V and C unchanged",
     [](const Vector& v, const Outcome& o) {
         if (chip_took(v, 0x18)) return only(o, 0, 0x07) && ram_diffs_in_frame(v, o, 6, kStackedZvc);
         return o.ram.empty() && only(o, 0, 0x0F);
     }, 0},
    {"ASR.b ASR.w ASR.l", "count in a register at or above the size, negative operand: the core has C = X = 1, the chip 0",
     "a count at or above the size leaves the sign bit as the last bit shifted out, so C = X = 1 "
     "(the manual's rule; the vectors clear C and X)",
     [](const Vector& v, const Outcome& o) {
         uint32_t op = opcode(v);
         static const uint32_t sizes[3] = {8, 16, 32};
         uint32_t s = (op >> 6) & 3;
         if (!(op & 0x20) || s == 3) return false;
         uint32_t count = v.initial.reg[F_D0 + ((op >> 9) & 7)] & 63;
         uint32_t value = v.initial.reg[F_D0 + (op & 7)];
         bool negative = (value >> (sizes[s] - 1)) & 1;
         return count >= sizes[s] && negative && o.ram.empty() && only(o, 0, SR_X | SR_C) &&
                (o.got[F_SR] & 0x11) == 0x11 && (o.want[F_SR] & 0x11) == 0;
     }, 0},
    {"*", "address error: the stacked PC differs",
     "the core stacks the PC its exception rule gives (within the instruction); the chip's depends on how far its prefetch has run",
     [](const Vector& v, const Outcome& o) { return address_error_within(v, o, kStackedPc, 0); }, 0},
    {"*", "address error on an (An)+ or -(An) operand: also that An differs by 2 or 4",
     "the core steps An in the operand routine before the access (none for a peek), the chip at "
     "another point of its microcode",
     [](const Vector& v, const Outcome& o) {
         return address_error_within(v, o, kStackedPc, stepped_regs(opcode(v)));
     }, 0},
    {"MOVE.l ADDX.l SUBX.l MOVEM.l", "address error on a long -(An) access: also the access address is 2 below the chip's",
     "the core makes a long access as one access at its lowest address; the chip accesses the low word first",
     [](const Vector& v, const Outcome& o) {
         Frames f;
         return address_error_within(v, o, kPcAndAddress, stepped_regs(opcode(v))) &&
                read_frames(v, o, f) && f.core_long(2) + 2 == f.chip_long(2);
     }, 0},
    {"CLR.w CLR.l MOVEfromSR", "address error: also the access code is a write, the chip's a read",
     "the core writes the operand without reading it first; the chip reads before it writes",
     [](const Vector& v, const Outcome& o) {
         Frames f;
         return address_error_within(v, o, kPcAndReadBit, stepped_regs(opcode(v))) &&
                read_frames(v, o, f) && (f.chip[1] & 0x10) && !(f.core[1] & 0x10);
     }, 0},
    {"JMP RTS RTR RTE", "address error on the fetch at an odd target: the frame differs but in the access code, the low 24 address bits and SR",
     "the core takes the fault at the next fetch (the stacked PC and address are the odd PC cut to 24 bits, "
     "the instruction word is read there); the chip takes it within the jump",
     [](const Vector& v, const Outcome& o) { return address_error_within(v, o, kFetchFault, 0, true); }, 0},
    {"JSR", "address error on the fetch at an odd target: as for JMP, and the return address is pushed below the frame",
     "the core pushes the return address before the target is fetched; the chip faults before the push",
     [](const Vector& v, const Outcome& o) {
         if (!chip_took(v, 0x0C) || o.diff_fields != bit(F_SSP) || o.got[F_SSP] + 4 != o.want[F_SSP]) return false;
         Frames f;
         if (!read_frames(v, o, f)) return false;
         uint32_t sp = v.final.reg[F_SSP] & 0xFFFFFF;
         for (uint32_t a : o.stray)
             if (((sp - a) & 0xFFFFFF) > 4 || a == sp) return false;
         for (const auto& d : o.ram)
             if (((d.addr - sp) & 0xFFFFFF) >= kGroup0Frame) return false;
         // The core's frame, 4 bytes lower: same access code, address bits and SR.
         const uint8_t* core = o.core_frame;
         return (core[1] & 0x1F) == (f.chip[1] & 0x1F) && std::memcmp(core + 3, f.chip + 3, 3) == 0 &&
                std::memcmp(core + 8, f.chip + 8, 2) == 0 &&
                ((Frames::be32(core + 10) ^ Frames::be32(core + 2)) & 0xFFFFFF) == 0;
     }, 0},
};

bool in_groups(const char* groups, const std::string& group) {
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

KnownDifference* find_known(const std::string& group, const Vector& v, const Outcome& o) {
    for (auto& k : g_known)
        if ((std::strcmp(k.groups, "*") == 0 || in_groups(k.groups, group)) && k.applies(v, o)) return &k;
    return nullptr;
}

// ------------------------------------------------------------ printing

std::string ccr_text(uint32_t sr) {
    std::string s = "XNZVC";
    for (int i = 0; i < 5; ++i)
        if (!(sr & (0x10u >> i))) s[size_t(i)] = '-';
    return s;
}

void print_failure(const Vector& v, const Outcome& o) {
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
}

std::string steps_dir() {
    const char* env = std::getenv("M68000_STEPS_DIR");
    return env && *env ? env : M68000_STEPS_DEFAULT_DIR;
}

// The suite name puts "m68000_steps" into the CTest name.
TEST(m68000_steps, AllVectors) {
    namespace fs = std::filesystem;
    const std::string dir = steps_dir();
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::string name = e.path().filename().string();
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".json.gz") == 0)
            files.push_back(e.path().string());
    }
    ASSERT_FALSE(ec) << "cannot list " << dir << ": " << ec.message();
    ASSERT_FALSE(files.empty()) << "no *.json.gz vectors in " << dir;
    std::sort(files.begin(), files.end());

    install_bus();
    g_cfg_fpu = 0;
    g_cfg_fmpcm8 = 0;
    for (auto& r : g_iocs_hook_table) r = nullptr;
    for (auto& r : g_iocs_native_table) r = nullptr;

    constexpr uint32_t kShownPerGroup = 3;
    uint64_t total = 0, total_match = 0, total_known = 0, total_failed = 0, total_cycles_ok = 0;
    std::printf("m68000 single-step vectors from %s\n", dir.c_str());
    std::printf("  %-12s %7s %7s %7s %7s %9s\n", "group", "vectors", "match", "listed", "failed", "cyc=len");
    for (const auto& path : files) {
        std::string group = fs::path(path).filename().string();
        group.resize(group.size() - 8);
        std::vector<Vector> vectors;
        std::string error;
        if (!load_group(path, vectors, error)) {
            ADD_FAILURE() << error;
            continue;
        }
        uint32_t match = 0, known = 0, failed = 0, cycles_ok = 0;
        std::vector<std::pair<const Vector*, Outcome>> failures;
        for (const auto& v : vectors) {
            Outcome o;
            run_vector(v, o);
            if (o.cycles == v.length) ++cycles_ok;
            if (o.matches()) { ++match; continue; }
            if (KnownDifference* k = find_known(group, v, o)) { ++k->count; ++known; continue; }
            ++failed;
            if (failures.size() < kShownPerGroup) failures.emplace_back(&v, std::move(o));
        }
        std::printf("  %-12s %7zu %7u %7u %7u %9u\n", group.c_str(), vectors.size(), match, known,
                    failed, cycles_ok);
        for (const auto& [v, o] : failures) print_failure(*v, o);
        total += vectors.size();
        total_match += match;
        total_known += known;
        total_failed += failed;
        total_cycles_ok += cycles_ok;
        EXPECT_EQ(failed, 0u) << group << ": " << failed << " vectors differ from the chip";
    }

    // A write that bypassed the bus would have escaped the clean-up.
    const uint8_t* mem = flat_bus_memory();
    size_t left = 0;
    for (uint32_t a = 0; a < 0x1000000; ++a) left += mem[a] != 0;
    EXPECT_EQ(left, 0u) << "RAM bytes changed outside the bus write handlers";

    std::printf("  %-12s %7llu %7llu %7llu %7llu %9llu\n", "total", (unsigned long long)total,
                (unsigned long long)total_match, (unsigned long long)total_known,
                (unsigned long long)total_failed, (unsigned long long)total_cycles_ok);
    std::printf("cycle counts equal to the chip's length: %llu of %llu (%.1f%%)\n",
                (unsigned long long)total_cycles_ok, (unsigned long long)total,
                total ? 100.0 * double(total_cycles_ok) / double(total) : 0.0);
    std::printf("known differences:\n");
    for (const auto& k : g_known)
        std::printf("  %6u  %s: %s (%s)\n", k.count, k.groups, k.condition, k.reason);
}

} // namespace
