// Runs a checking ROM of tests/roms/ (layout in tests/roms/report.inc) in the
// whole machine and reads its result table.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/headless.h"
#include "support/rom_folder.h"

namespace storage_rom {

inline constexpr uint32_t MARK_START = 0x1000, MARK_DONE = 0x1004, STRAY_VECTOR = 0x1008, STRAY_PC = 0x100C;
inline constexpr uint32_t RESULTS = 0x1100;

inline uint32_t be32(const std::vector<uint8_t>& ram, uint32_t addr) {
    if (addr + 4 > ram.size()) return 0xDEADDEAD;
    return uint32_t(ram[addr]) << 24 | uint32_t(ram[addr + 1]) << 16 | uint32_t(ram[addr + 2]) << 8 | ram[addr + 3];
}

// Runs the ROM headless on the virtual clock to its power-off and returns
// main RAM as it was left.
inline std::vector<uint8_t> run(const RomFolder& folder, HeadlessResult* result = nullptr) {
    HeadlessOptions options;
    options.headless = true;
    options.virtual_clock = true;
    options.frames = 600;
    options.dump_ram = (folder.path() / "ram.bin").string();
    HeadlessResult r = headless_run(options);
    if (result) *result = r;
    std::ifstream in(options.dump_ram, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void expect_finished(const std::vector<uint8_t>& ram) {
    ASSERT_GE(ram.size(), 0x2000u);
    EXPECT_EQ(be32(ram, MARK_START), 0x5A4F4C4Du) << "the ROM did not start";
    EXPECT_EQ(be32(ram, STRAY_VECTOR), 0u)
        << "stray exception, vector " << be32(ram, STRAY_VECTOR) << " at PC $" << std::hex << be32(ram, STRAY_PC);
    EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u) << "the ROM did not finish its checks";
}

struct Expect {
    int slot;
    uint32_t value;
    const char* what;
};

inline void expect_results(const std::vector<uint8_t>& ram, std::initializer_list<Expect> table) {
    for (const Expect& e : table) {
        uint32_t v = be32(ram, RESULTS + 4 * uint32_t(e.slot));
        EXPECT_EQ(v, e.value) << "result " << e.slot << ": " << e.what << std::hex << " (got $" << v << ")";
    }
}

}  // namespace storage_rom
