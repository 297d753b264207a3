// The machine's reset puts the SCC back in step: a ROM cut off by a reset
// in the middle of a mouse packet and of register writes on both channels.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/headless.h"
#include "support/rom_folder.h"

namespace {

constexpr uint32_t MARK_DONE = 0x1004, STRAY_VECTOR = 0x1008, RESULTS = 0x1100, STARTS = 0x1800;

uint32_t be32(const std::vector<uint8_t>& ram, uint32_t a) {
    if (a + 4 > ram.size()) return 0xDEADDEAD;
    return uint32_t(ram[a]) << 24 | uint32_t(ram[a + 1]) << 16 | uint32_t(ram[a + 2]) << 8 | ram[a + 3];
}

TEST(SccReset, AResetMidPacketAndMidRegisterWriteStartsAfresh) {
    RomFolder folder("scc_reset");
    ASSERT_TRUE(folder.ok());
    HeadlessOptions options;
    options.headless = true;
    options.virtual_clock = true;
    options.frames = 120;
    options.dump_ram = (folder.path() / "ram.bin").string();
    testing::internal::CaptureStderr();  // the halt's box
    headless_run(options);
    testing::internal::GetCapturedStderr();
    std::ifstream in(options.dump_ram, std::ios::binary);
    const std::vector<uint8_t> ram{std::istreambuf_iterator<char>(in), {}};

    EXPECT_EQ(be32(ram, STARTS), 2u) << "the ROM starts, halts and starts again";
    EXPECT_EQ(be32(ram, STRAY_VECTOR), 0u);
    EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u) << "the checks did not finish";
    EXPECT_EQ(be32(ram, RESULTS + 0), 0x24u) << "channel A's register pointer";
    EXPECT_EQ(be32(ram, RESULTS + 4), 1u) << "a data read after the reset is a packet's status byte";
    EXPECT_EQ(be32(ram, RESULTS + 8), 0u) << "channel B's pending register value";
}

}  // namespace
