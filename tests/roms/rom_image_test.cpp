#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRomBase = 0xFE0000;
constexpr std::size_t kRomSize = 0x20000;

std::vector<std::uint8_t> load(const std::string& name) {
    std::ifstream in(std::string(ZOLM_TEST_ROM_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t word(const std::vector<std::uint8_t>& rom, std::uint32_t addr) {
    const std::size_t off = addr - kRomBase;
    return std::uint32_t(rom.at(off)) << 8 | rom.at(off + 1);
}

std::uint32_t longword(const std::vector<std::uint8_t>& rom, std::uint32_t addr) {
    return word(rom, addr) << 16 | word(rom, addr + 2);
}

TEST(VectorsLoopRom, FillsTheWholeIplRom) {
    const auto rom = load("vectors_loop.rom");
    ASSERT_EQ(rom.size(), kRomSize);
    // Bytes nothing was placed at are 0xFF, as in an erased EPROM.
    EXPECT_EQ(rom.front(), 0xFF);
    EXPECT_EQ(rom.back(), 0xFF);
}

TEST(VectorsLoopRom, ResetVectorsPointAtLoop) {
    const auto rom = load("vectors_loop.rom");
    ASSERT_EQ(rom.size(), kRomSize);
    EXPECT_EQ(longword(rom, 0xFF0000), 0x00002000u);

    const std::uint32_t pc = longword(rom, 0xFF0004);
    EXPECT_GE(pc, 0xFF0008u) << "start must follow the reset vectors";
    EXPECT_LE(pc, 0xFFFFFEu);
    ASSERT_EQ(pc % 2, 0u);
    EXPECT_EQ(word(rom, pc), 0x60FEu) << "bra.s to itself";
}

}  // namespace
