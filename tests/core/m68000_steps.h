// The MC68000 single-instruction vectors: loading, running one through the
// real run loop, and the verdict (match, a listed known difference, wrong
// data, or a failure).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace steps {

// Register fields in the order they are compared and printed.
enum Field { F_D0 = 0, F_A0 = 8, F_USP = 15, F_SSP, F_SR, F_PC, F_COUNT };

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

constexpr uint32_t kGroup0Frame = 14;  // bytes of a bus or address error frame
constexpr uint32_t kNormalFrame = 6;   // SR and PC
constexpr uint32_t kCcr = 0x1F, kNzvc = 0x0F;

struct RamDiff {
    uint32_t addr;
    uint8_t want, got;
};

struct Outcome {
    uint32_t want[F_COUNT];
    uint32_t got[F_COUNT];
    uint32_t diff_fields = 0;                           // bit per Field that differs
    std::vector<RamDiff> ram;                           // listed bytes that differ
    std::vector<uint32_t> stray;                        // bytes written outside the listed ones
    std::vector<std::pair<uint32_t, uint8_t>> written;  // every byte written, as it was left
    uint32_t cycles = 0;
    // The core's bytes at its final SSP: a group-0 frame and, for JSR, the
    // return address above it.
    uint8_t core_stack[kGroup0Frame + 4] = {};
    bool matches() const { return diff_fields == 0 && ram.empty() && stray.empty(); }
};

// A mismatching vector of a group, as the table's predicates see it.
struct Case {
    const std::string& group;
    const Vector& v;
    const Outcome& o;
};

struct KnownDifference {
    const char* name;                // short label for the summary
    const char* groups;              // group file names separated by spaces, or "*"
    const char* condition;           // when the entry applies
    const char* reason;              // why the core differs there and what it gives
    bool (*applies)(const Case& c);  // the vector is of the case the condition names
    bool (*holds)(const Case& c);    // the core's result is exactly what the reason says
    uint32_t count;
};

struct WrongData {
    const char* group;
    const char* name;
    const char* what;
    bool (*shows)(const Vector& v);
    // Puts the record right, after which the vector is judged as any other;
    // without it the vector is skipped.
    void (*mend)(Vector& v);
    uint32_t seen;
};

struct Verdict {
    enum Kind { kMatch, kListed, kWrongData, kFailed } kind;
    KnownDifference* known = nullptr;
    WrongData* wrong = nullptr;
};

const char* field_name(int f);
constexpr uint32_t bit(int f) { return 1u << f; }

// Reads one group file (a gzipped JSON array of vectors).
bool load_group(const std::string& path, std::vector<Vector>& out, std::string& error);
// Reads a file of one JSON vector a line, plain or gzipped.
bool load_vector_lines(const std::string& path, std::vector<Vector>& out, std::string& error);
// The group of a vector by its name: the mnemonic after '[', e.g. "DIVU"
// in "80ef [DIVU (d16, A7), D0] 5745".
std::string group_of(const std::string& name);
// The flat bus with every write logged.
void install_bus();
// The byte a RAM list holds at addr.
bool listed_byte(const std::vector<std::pair<uint32_t, uint8_t>>& ram, uint32_t addr, uint8_t& value);
// Whether groups (names separated by spaces, or "*") takes group in.
bool in_groups(const char* groups, const std::string& group);
// Runs the vector from its initial state and compares the result.
void run_vector(const Vector& v, Outcome& o);
Verdict judge(const std::string& group, const Vector& v, Outcome& o);

// The tables, for the summary.
std::span<KnownDifference> known_differences();
std::span<WrongData> wrong_data();

}  // namespace steps
