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
// handler (the long read from the vector table). That is g_cpu_regs.pc between
// instructions, so the two are compared as they stand.
//
// Where the core deliberately differs from the chip, the vector is counted
// under an entry of the table of known differences below. Each entry has a
// narrow condition on the vector (when it applies) and a check that the
// core's result is exactly what its reason says, with all other state as
// the chip's; a vector the entry's condition takes in but its check refuses
// fails. A few vectors of the public set record what no 68000 does or what
// the manual rules otherwise; they are named in a list of their own and
// counted, and skipped or, where the record can be put right, judged as put
// right. Without the folder the test is skipped.
//
// Single vectors of the full public set that the folder's groups do not
// hold come one JSON vector a line from M68000_FULL_SET_CASES, else from
// the compile definition M68000_FULL_SET_CASES_DEFAULT; their group is the
// mnemonic of their name. Without the file that test is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "firmware/iocs.h"
#include "m68000_steps.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "support/flat_bus.h"

#ifndef M68000_STEPS_DEFAULT_DIR
#define M68000_STEPS_DEFAULT_DIR "../shared/testdata/m68000-steps"
#endif
#ifndef M68000_FULL_SET_CASES_DEFAULT
#define M68000_FULL_SET_CASES_DEFAULT "../shared/testdata/m68000-extra/full-set-cases.jsonl"
#endif

namespace {

using namespace steps;

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
            std::printf("      SR : expected $%04X %s, got $%04X %s\n", o.want[f], ccr_text(o.want[f]).c_str(),
                        o.got[f], ccr_text(o.got[f]).c_str());
        else std::printf("      %-3s: expected $%08X, got $%08X\n", field_name(f), o.want[f], o.got[f]);
    }
    size_t shown = 0;
    for (const auto& d : o.ram) {
        if (++shown > 8) {
            std::printf("      ... %zu RAM bytes differ\n", o.ram.size());
            break;
        }
        std::printf("      RAM $%06X: expected $%02X, got $%02X\n", d.addr, d.want, d.got);
    }
    if (!o.stray.empty())
        std::printf("      %zu bytes written outside the listed RAM, first at $%06X\n", o.stray.size(), o.stray[0]);
    for (const auto& k : known_differences())
        if (in_groups(k.groups, group) && k.applies(Case{group, v, o}))
            std::printf("      a case of \"%s\", but the core's result is not what its reason says\n", k.name);
}

void setup_core() {
    install_bus();
    g_settings.fpu = 0;
    g_settings.fmpcm8 = 0;
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
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ".json.gz") == 0) files.push_back(e.path().string());
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
            case Verdict::kListed:
                ++verdict.known->count;
                ++known;
                break;
            case Verdict::kWrongData:
                ++verdict.wrong->seen;
                if (verdict.known) ++verdict.known->count;
                ++wrong;
                break;
            case Verdict::kFailed:
                ++failed;
                if (failures.size() < kShownPerGroup) failures.emplace_back(&v, std::move(o));
                break;
            }
        }
        std::printf("  %-12s %7zu %7u %7u %7u %7u %9u\n", group.c_str(), vectors.size(), match, known, wrong, failed,
                    cycles_ok);
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
    std::printf("cycle counts equal to the chip's length: %llu of %llu (%.1f%%)\n", (unsigned long long)total_cycles_ok,
                (unsigned long long)total, total ? 100.0 * double(total_cycles_ok) / double(total) : 0.0);
    std::printf("known differences:\n");
    for (const auto& k : known_differences())
        std::printf("  %6u  %s [%s]: %s (%s)\n", k.count, k.name, k.groups, k.condition, k.reason);
    std::printf("wrong data in the vectors (skipped, or judged as put right):\n");
    for (const auto& w : wrong_data()) std::printf("  %6u  %s: \"%s\": %s\n", w.seen, w.group, w.name, w.what);
}

TEST(m68000_steps, FullSetCases) {
    namespace fs = std::filesystem;
    const char* env = std::getenv("M68000_FULL_SET_CASES");
    const bool from_env = env && *env;
    const std::string path = from_env ? env : M68000_FULL_SET_CASES_DEFAULT;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        if (from_env) FAIL() << "M68000_FULL_SET_CASES is " << path << ", which is not a file";
        GTEST_SKIP() << "no single vectors of the full 68000 set: " << path
                     << " is not a file; set M68000_FULL_SET_CASES to a file of one JSON vector a line";
    }
    std::vector<Vector> vectors;
    std::string error;
    ASSERT_TRUE(load_vector_lines(path, vectors, error)) << error;
    ASSERT_FALSE(vectors.empty()) << "no vectors in " << path;
    setup_core();
    std::printf("m68000 single vectors from %s\n", path.c_str());
    for (const auto& v : vectors) {
        const std::string group = group_of(v.name);
        Outcome o;
        Verdict verdict = judge(group, v, o);
        const char* what = verdict.kind == Verdict::kMatch    ? "match"
                           : verdict.kind == Verdict::kListed ? verdict.known->name
                           : verdict.kind == Verdict::kFailed ? "FAILED"
                                                              : "wrong data";
        std::printf("  %-12s %s: %s", group.c_str(), v.name.c_str(), what);
        if (verdict.kind == Verdict::kWrongData)
            std::printf(" (%s)%s%s", verdict.wrong->what, verdict.known ? ", then " : "",
                        verdict.known ? verdict.known->name : "");
        std::printf("\n");
        if (verdict.kind == Verdict::kFailed) print_failure(group, v, o);
        EXPECT_NE(verdict.kind, Verdict::kFailed) << v.name << " differs from the chip";
    }
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
        const char* expect;     // "match", "wrong data", "failed" or an entry's name
        uint16_t ext = 0x4E71;  // the word after the opcode
    };
    // SR $271F, SSP $0800: a trap stacks SR at $07FA and the PC at $07FC.
    const Edit cases[] = {
        {"zero divisor, the chip clears N Z V C in SR and the stacked SR", "DIVU", "DIVU D1, D0", 0x80C1, 7, 0, 0,
         [](Vector& v) {
             v.final.reg[F_SR] &= ~kNzvc;
             final_byte(v, 0x7FB) &= uint8_t(~kNzvc);
         },
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
         [](Vector& v) {
             v.final.reg[F_SR] |= SR_N;
             v.final.reg[F_D0] ^= 1;
         },
         "failed"},
        {"the listed zero divide that stacks the opcode's address", "DIVU", "80ef [DIVU (d16, A7), D0] 5745", 0x80EF, 7,
         0, 0,
         [](Vector& v) {
             v.final.reg[F_SR] &= ~kNzvc;
             final_byte(v, 0x7FB) &= uint8_t(~kNzvc);
             final_byte(v, 0x7FF) = 0x00;
         },
         "wrong data", 0xF8F0},  // (-$710,A7): the word at $F0
        {"the same, and Dn differs", "DIVU", "80ef [DIVU (d16, A7), D0] 5745", 0x80EF, 7, 0, 0,
         [](Vector& v) {
             v.final.reg[F_SR] &= ~kNzvc;
             final_byte(v, 0x7FB) &= uint8_t(~kNzvc);
             final_byte(v, 0x7FF) = 0x00;
             v.final.reg[F_D0] ^= 1;
         },
         "failed", 0xF8F0},
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
        v.initial.prefetch[1] = c.ext;
        v.initial.ram = {{0x14, 0x00}, {0x15, 0x00}, {0x16, 0x10}, {0x17, 0x00}};  // zero-divide handler $1000
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

}  // namespace
