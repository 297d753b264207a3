// Listing lines: the golden listing of a test ROM with "comment.lst", and
// the per-line state (history form, notes, comments) around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/cpu_regs.h"
#include "core/trace.h"
#include "debugger/comment_file.h"
#include "debugger/disasm.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kRomBase = 0xFE0000;
constexpr uint32_t kStart = 0xFF0008;  // first instruction, after the reset vectors

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string line_at(uint32_t address, uint32_t* next = nullptr) {
    DisLine line;
    const uint32_t n = dis_line(address, line);
    if (next) *next = n;
    return line.text;
}

class DisasmListing : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        std::fill(std::begin(g_rom_access_map), std::end(g_rom_access_map), uint8_t(0));
        g_cpu_regs.pc = g_cpu_regs.op_addr = 0;
        g_dis_history_mode = 0;
        g_dis_access_note[0] = '\0';
        dis_free_comments();
    }
    void TearDown() override { dis_free_comments(); }

    // Lays the ROM at $FE0000 and gives the addresses of its instructions
    // from start to the RTS.
    std::vector<uint32_t> load_rom() {
        const std::string rom = read_file(std::string(ZOLM_TEST_ROM_DIR) + "/disasm_listing.rom");
        EXPECT_EQ(rom.size(), 0x20000u);
        std::copy(rom.begin(), rom.end(), flat_bus_memory() + kRomBase);
        std::vector<uint32_t> addrs;
        for (uint32_t a = kStart; addrs.size() < 100;) {
            addrs.push_back(a);
            if (flat_read_word(a) == 0x4E75) break;
            line_at(a, &a);
        }
        return addrs;
    }
    uint32_t find(const std::vector<uint32_t>& addrs, uint32_t opcode) {
        for (uint32_t a : addrs)
            if (flat_read_word(a) == opcode) return a;
        ADD_FAILURE() << "no opcode " << std::hex << opcode;
        return 0;
    }
};

TEST_F(DisasmListing, TestRomMatchesGoldenListing) {
    const std::vector<uint32_t> addrs = load_rom();
    ASSERT_TRUE(dis_load_comments_from(ZOLM_DEBUGGER_TEST_DATA "/comment.lst"));
    const uint32_t loop = find(addrs, 0x60FE);  // bra.s loop
    const uint32_t sub = find(addrs, 0x4E56);   // link a6
    // Labels: S at start, J at the subroutine, L at the loop; executed lines get '+'.
    const auto mark = [](uint32_t a, uint8_t flags) {
        if (a >= kRomBase && a - kRomBase < ROM_ACCESS_MAP_SIZE) g_rom_access_map[a - kRomBase] = flags;
    };
    mark(kStart, ROM_EXECUTED | ROM_LABEL_B | ROM_LABEL_A);
    mark(sub, ROM_EXECUTED | ROM_LABEL_A | ROM_LABEL_C);
    mark(loop, ROM_LABEL_C);
    mark(addrs[1], ROM_EXECUTED);
    g_cpu_regs.op_addr = addrs[2];
    g_cpu_regs.pc = sub;  // '@' wins over '+'

    std::string listing;
    for (uint32_t a : addrs) listing += line_at(a);
    // The history form of the long move, carrying a note and its own comment.
    std::snprintf(g_dis_access_note, DIS_NOTE_SIZE, "[$%06X]=%02X ", 0xE88001, 0x12);
    dis_comment_for_access(0xE88001);
    g_dis_history_mode = 1;
    listing += line_at(addrs[2]);
    listing += line_at(addrs[2]);  // and the plain line again

    const std::string golden = read_file(ZOLM_DEBUGGER_TEST_DATA "/disasm_listing.golden");
    EXPECT_EQ(listing, golden) << "listing as made:\n" << listing;
}

TEST_F(DisasmListing, NotesAndCommentsLastOneLine) {
    const std::vector<uint32_t> addrs = load_rom();
    ASSERT_TRUE(dis_load_comments_from(ZOLM_DEBUGGER_TEST_DATA "/comment.lst"));
    // Comments gathered for an I/O-log line outside any listing line do not
    // reach the next line unless it is in history form.
    dis_comment_for_access(0xE88001);
    const std::string nop = line_at(kStart);
    EXPECT_EQ(nop.find(';'), std::string::npos) << nop;

    // A history-form MOVEQ before TRAP #15 appends its call name after the
    // note's comment with a separator.
    const uint32_t moveq = find(addrs, 0x7021);
    dis_comment_for_access(0xE88001);
    g_dis_history_mode = 1;
    EXPECT_NE(line_at(moveq).find(" ;MFP_GPIP,_B_PRINT\n"), std::string::npos);
    EXPECT_EQ(g_dis_history_mode, 0u);
    EXPECT_EQ(g_dis_comment_out[0], '\0');

    // A note is written once.
    std::snprintf(g_dis_access_note, DIS_NOTE_SIZE, "note");
    EXPECT_EQ(line_at(kStart).substr(8, 4), "note");
    EXPECT_EQ(line_at(kStart).substr(8, 4), "4E71");
}

TEST_F(DisasmListing, AddressIsMadeEvenAnd24Bit) {
    flat_write_words(0xFF0000, {0x6000, 0x7FFE});  // bra.w to $FF8000
    uint32_t next;
    const std::string line = line_at(0x01FF0001, &next);
    EXPECT_EQ(line.substr(0, 17), "0FF0000 6000 7FFE");
    EXPECT_EQ(line.substr(31), "bra.w   $FF8000\n");
    EXPECT_EQ(next, 0xFF0004u);
    // A word branch back from $000000 wraps within the 24-bit bus.
    flat_write_words(0x000000, {0x6100, 0xFFFC});
    EXPECT_EQ(line_at(0).substr(31), "bsr.w   $FFFFFE\n");
}

}  // namespace
