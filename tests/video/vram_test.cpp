#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "core/bus.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "support/flat_bus.h"
#include "support/machine_map.h"
#include "video/crtc.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace {

using Bytes = std::vector<std::pair<uint32_t, uint32_t>>;  // (offset, expected value)

// Fault kind an access records in probe mode: 0 none, 3 bus error on a read, 4 on a write.
uint32_t probe(const std::function<void()>& access) {
    ProbeScope scope;
    access();
    return scope.fault();
}

void write_sized(int size, uint32_t addr, uint32_t value) {
    if (size == 1) mem_write_byte_c(value, addr);
    else if (size == 2) mem_write_word_c(value, addr);
    else mem_write_long_c(value, addr);
}

std::vector<int> dirty_lines(const uint8_t* flags, int count) {
    std::vector<int> set;
    for (int i = 0; i < count; i++) {
        if (flags[i]) set.push_back(i);
    }
    return set;
}

class VideoVram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine_map_install());
        clear();
    }
    void TearDown() override { emu_clear_requests(); }

    static void clear() {
        std::memset(g_tvram, 0, TVRAM_SIZE + 4);  // and what lies just past the image
        std::memset(g_gvram, 0, GVRAM_SIZE + 4);
        std::memset(g_video.g_tvram_dirty_lines, 0, sizeof g_video.g_tvram_dirty_lines);
        std::memset(g_video.g_gvram_dirty_lines, 0, sizeof g_video.g_gvram_dirty_lines);
        emu_clear_requests();
    }
    // Switches the colour mode as a program does: R20's high byte, then the
    // machine request it posts.
    static void set_mode(uint32_t mode) {
        mem_write_byte_c(mode, 0xE80028);
        ASSERT_EQ(g_machine.requests.event_request, uint32_t(REQ_VIDEO_MODE));
        emu_dispatch_request();
    }
    static std::vector<int> text_dirty() { return dirty_lines(g_video.g_tvram_dirty_lines, 1024); }
    static std::vector<int> graphic_dirty() { return dirty_lines(g_video.g_gvram_dirty_lines, 2048); }
};

TEST_F(VideoVram, TextWritesFollowTheMaskAndSimultaneousAccess) {
    struct Case {
        const char* what;
        uint16_t r21, r23;
        int size;
        uint32_t addr, value;
        Bytes words;  // words of the store
        std::vector<int> dirty;
        int crtc_r00 = -1;  // R00 afterwards, -1: not checked
    };
    const Case cases[] = {
        // clang-format off
        {"simultaneous planes 0-1, high byte masked", 0x0330, 0xFF00, 2, 0xE00000, 0x1234,
         {{0x00000, 0xAA34}, {0x20000, 0xAA34}, {0x40000, 0xAAAA}, {0x60000, 0xAAAA}}, {0}},
        {"simultaneous, no plane", 0x0100, 0, 2, 0xE00000, 0x1234,
         {{0x00000, 0xAAAA}, {0x20000, 0xAAAA}, {0x40000, 0xAAAA}, {0x60000, 0xAAAA}}, {}},
        // clang-format on
        {"byte marks its line", 0, 0, 1, 0xE00081, 0x55, {{0x80, 0xAA55}}, {1}},
        {"plane 1 shares the line index", 0, 0, 2, 0xE20000, 0x1234, {{0x20000, 0x1234}, {0, 0xAAAA}}, {0}},
        {"even byte takes the mask's high byte", 0x0200, 0x0FF0, 1, 0xE00100, 0x00, {{0x100, 0x0AAA}}, {2}},
        {"odd byte takes the mask's low byte", 0x0200, 0x0FF0, 1, 0xE00101, 0x00, {{0x100, 0xAAA0}}, {2}},
        // clang-format off
        {"simultaneous byte lands at the plane-0 offset", 0x01A0, 0, 1, 0xE40010, 0x5A,
         {{0x00010, 0xAAAA}, {0x20010, 0x5AAA}, {0x40010, 0xAAAA}, {0x60010, 0x5AAA}}, {0}},
        {"long over two lines", 0, 0, 4, 0xE0007E, 0x11223344, {{0x7E, 0x1122}, {0x80, 0x3344}}, {0, 1}},
        {"masked long", 0x0200, 0xF00F, 4, 0xE00200, 0x12345678, {{0x200, 0xA23A}, {0x202, 0xA67A}}, {4}},
        {"simultaneous long at the end of a plane", 0x01F0, 0, 4, 0xE1FFFE, 0xABCD1234,
         {{0x1FFFE, 0xABCD}, {0x00000, 0x1234}, {0x3FFFE, 0xABCD}, {0x20000, 0x1234},
          {0x5FFFE, 0xABCD}, {0x40000, 0x1234}, {0x7FFFE, 0xABCD}, {0x60000, 0x1234}},
         // clang-format on
         {0, 1023}},
        {"simultaneous long",
         0x0130,
         0,
         4,
         0xE6007E,
         0x11223344,
         {{0x0007E, 0x1122}, {0x00080, 0x3344}, {0x2007E, 0x1122}, {0x20080, 0x3344}, {0x6007E, 0xAAAA}},
         {0, 1}},
        // clang-format off
        {"masked long at the end of the image", 0x0200, 0x0000, 4, 0xE7FFFE, 0xBEEF0089,
         {{0x7FFFE, 0xBEEF}}, {1023}, 0x0089},
        {"simultaneous long at the end of the image", 0x0110, 0, 4, 0xE7FFFE, 0xABCD0089,
         {{0x1FFFE, 0xABCD}, {0x7FFFE, 0xAAAA}}, {1023}, 0x0089},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clear();
        std::memset(g_tvram, 0xAA, TVRAM_SIZE);
        g_crtc.regs[CRTC_H_TOTAL] = 0;
        g_crtc.regs[CRTC_TEXT_ACCESS] = c.r21;
        g_crtc.regs[CRTC_TEXT_MASK] = c.r23;
        EXPECT_EQ(probe([&] { write_sized(c.size, c.addr, c.value); }), 0u);
        for (const auto& [offset, word] : c.words) {
            EXPECT_EQ(be_read16(g_tvram + offset), word) << std::hex << "offset " << offset;
        }
        EXPECT_EQ(text_dirty(), c.dirty);
        if (c.crtc_r00 >= 0) { EXPECT_EQ(g_crtc.regs[CRTC_H_TOTAL], c.crtc_r00); }
        EXPECT_EQ(be_read32(g_tvram + TVRAM_SIZE), 0u) << "written past the image";
    }
    // Reads ignore R21: they return the addressed bytes.
    g_crtc.regs[CRTC_TEXT_ACCESS] = 0x03F0;
    be_write32(g_tvram + 0x20010, 0x01020304);
    EXPECT_EQ(mem_read_byte_c(0xE20011), 0x02u);
    EXPECT_EQ(mem_read_word_c(0xE20010), 0x0102u);
    EXPECT_EQ(mem_read_long_c(0xE20010), 0x01020304u);
}

TEST_F(VideoVram, GraphicWritesStorePixelsAndMarkTheirLines) {
    struct Case {
        uint32_t mode;
        int size;
        uint32_t addr, value;
        Bytes store;
        std::vector<int> dirty;
    };
    const Case cases[] = {
        // 16 and 256 colours: one byte per word, 512-pixel lines.
        {0, 2, 0xC00002, 0x00FF, {{1, 0xFF}}, {0}},
        {0, 2, 0xC00002, 0x12AB, {{1, 0xAB}}, {0}},  // the low byte, unmasked
        {0, 1, 0xC00004, 0x77, {{2, 0x00}}, {}},     // even byte: ignored
        {0, 1, 0xC00005, 0x77, {{2, 0x77}}, {0}},
        {0, 2, 0xC80000, 0x03, {{0x40000, 0x03}}, {512}},  // page 1, line 0
        {1, 2, 0xC80400, 0x05, {{0x40200, 0x05}}, {513}},  // pair 1, line 1
        {0, 4, 0xC003FE, 0x00AB00CD, {{0x1FF, 0xAB}, {0x200, 0xCD}}, {0, 1}},
        {0, 4, 0xC1FFFE, 0x00010002, {{0xFFFF, 0x01}, {0x10000, 0x02}}, {127, 128}},  // across a page
        // 1024 x 1024: 1024-pixel lines.
        {4, 2, 0xC00800, 0x09, {{0x400, 0x09}}, {1}},
        {4, 4, 0xC007FE, 0x00010002, {{0x3FF, 0x01}, {0x400, 0x02}}, {0, 1}},
        {4, 1, 0xDFFFFF, 0x0C, {{0xFFFFF, 0x0C}}, {1023}},
        {4, 1, 0xDFFFFE, 0x0C, {{0xFFFFF, 0x00}}, {}},
        // 65536 colours: big-endian words, 1024-byte lines.
        {3, 4, 0xC00400, 0x11223344, {{0x400, 0x11}, {0x401, 0x22}, {0x402, 0x33}, {0x403, 0x44}}, {1}},
        {3, 4, 0xC003FE, 0xAABBCCDD, {{0x3FE, 0xAA}, {0x3FF, 0xBB}, {0x400, 0xCC}, {0x401, 0xDD}}, {0, 1}},
        {3, 4, 0xC1FFFE, 0xAABBCCDD, {{0x1FFFE, 0xAA}, {0x20001, 0xDD}}, {127, 128}},
        {3, 1, 0xC7FFFF, 0x05, {{0x7FFFF, 0x05}}, {511}},
        {3, 1, 0xC00000, 0xF8, {{0, 0xF8}, {1, 0}}, {0}},
        {3, 2, 0xC00402, 0xF801, {{0x402, 0xF8}, {0x403, 0x01}}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << std::hex << " at " << c.addr);
        set_mode(c.mode);
        clear();
        EXPECT_EQ(probe([&] { write_sized(c.size, c.addr, c.value); }), 0u);
        for (const auto& [offset, byte] : c.store) EXPECT_EQ(g_gvram[offset], byte) << std::hex << offset;
        EXPECT_EQ(graphic_dirty(), c.dirty);
    }
}

TEST_F(VideoVram, GraphicReadsByMode) {
    struct Case {
        uint32_t mode;
        int size;
        uint32_t addr, value;
    };
    const Case cases[] = {
        {0, 2, 0xC00002, 0x00FF},     {0, 1, 0xC00002, 0},      {0, 1, 0xC00003, 0xFF},
        {0, 4, 0xC00000, 0x001200FF}, {1, 2, 0xC80000, 0x34},   {4, 4, 0xC00002, 0x00FF0056},
        {3, 1, 0xC00000, 0x12},       {3, 2, 0xC00002, 0x5600}, {3, 4, 0xC00000, 0x12FF5600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << std::hex << " at " << c.addr);
        set_mode(c.mode);
        clear();
        const uint8_t bytes[] = {0x12, 0xFF, 0x56};
        std::memcpy(g_gvram, bytes, 3);
        g_gvram[0x40000] = 0x34;
        uint32_t got = c.size == 1   ? mem_read_byte_c(c.addr)
                       : c.size == 2 ? mem_read_word_c(c.addr)
                                     : mem_read_long_c(c.addr);
        EXPECT_EQ(got, c.value);
    }
}

// A long at the last word of a mode's range: the first half stays in the
// store, the second meets whatever lies above (another image, or a bus error).
TEST_F(VideoVram, GraphicLongsAtTheEndOfTheRangeStayInside) {
    struct Case {
        uint32_t mode;
        bool write;
        uint32_t addr, value, fault;
        Bytes store;
    };
    const Case cases[] = {
        {0, true, 0xDFFFFE, 0x00120034, 0, {{0xFFFFF, 0x12}}},  // low word into text VRAM
        {4, true, 0xDFFFFE, 0x00120034, 0, {{0xFFFFF, 0x12}}},
        {1, true, 0xCFFFFE, 0x00120034, 4, {{0x7FFFF, 0x12}, {0x80000, 0}}},
        {3, true, 0xC7FFFE, 0xABCD1234, 4, {{0x7FFFE, 0xAB}, {0x7FFFF, 0xCD}, {0x80000, 0}}},
        {1, false, 0xCFFFFE, 0x00120000, 3, {}},
        {3, false, 0xC7FFFE, 0xABCD0000, 3, {}},
        {0, false, 0xDFFFFE, 0x00120034, 0, {}},  // second word from text VRAM
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << std::hex << " at " << c.addr);
        set_mode(c.mode);
        clear();
        if (!c.write) {
            g_gvram[0xFFFFF] = 0x12;
            g_gvram[0x7FFFF] = 0x12;
            g_gvram[0x7FFFE] = 0xAB;
            g_gvram[0x7FFFF] = c.mode == 3 ? 0xCD : 0x12;
            be_write16(g_tvram, 0x0034);
            uint32_t value = 0;
            EXPECT_EQ(probe([&] { value = mem_read_long_c(c.addr); }), c.fault);
            EXPECT_EQ(value, c.value);
            continue;
        }
        EXPECT_EQ(probe([&] { mem_write_long_c(c.value, c.addr); }), c.fault);
        for (const auto& [offset, byte] : c.store) EXPECT_EQ(g_gvram[offset], byte) << std::hex << offset;
        EXPECT_EQ(be_read32(g_gvram + GVRAM_SIZE), 0u) << "written past the store";
        if (c.addr == 0xDFFFFE) { EXPECT_EQ(be_read16(g_tvram), 0x0034u); }
    }
}

// Pixels written in one colour mode, read back through the bus after the
// program switched the mode (R20, request 7) once or more.
TEST_F(VideoVram, ModeChangesCarryThePictureOver) {
    struct Pixel {
        uint32_t addr, word;
    };
    auto page16 = [](uint32_t page, uint32_t x, uint32_t y) { return 0xC00000 + page * 0x80000 + (y * 512 + x) * 2; };
    auto pixel1024 = [](uint32_t x, uint32_t y) { return 0xC00000 + (y * 1024 + x) * 2; };
    auto word64k = [](uint32_t x, uint32_t y) { return 0xC00000 + y * 1024 + x * 2; };
    struct Case {
        const char* what;
        std::vector<uint32_t> modes;  // first: mode of the writes; last: mode of the reads
        std::vector<Pixel> writes, reads;
    };
    const Case cases[] = {
        {"16 colours into one word", {0, 3}, {{page16(0, 0, 0), 5}, {page16(3, 0, 0), 9}}, {{word64k(0, 0), 0x9005}}},
        {"16 colours and back",
         {0, 3, 0},
         {{page16(0, 0, 0), 5}, {page16(3, 0, 0), 9}},
         {{page16(0, 0, 0), 5}, {page16(1, 0, 0), 0}, {page16(2, 0, 0), 0x90}, {page16(3, 0, 0), 9}}},
        {"256 colours: pair 1 is the high byte",
         {1, 3},
         {{page16(0, 10, 20), 0xAB}, {page16(1, 10, 20), 0xCD}},
         {{word64k(10, 20), 0xCDAB}}},
        {"256 colours and back",
         {1, 3, 1},
         {{page16(0, 10, 20), 0xAB}, {page16(1, 10, 20), 0xCD}},
         {{page16(0, 10, 20), 0xAB}, {page16(1, 10, 20), 0xCD}}},
        {"1024 quadrants become pages",
         {4, 0},
         {{pixel1024(3, 4), 2}, {pixel1024(515, 4), 0}, {pixel1024(3, 516), 0}, {pixel1024(515, 516), 7}},
         {{page16(0, 3, 4), 0x02}, {page16(1, 3, 4), 0}, {page16(2, 3, 4), 0x70}, {page16(3, 3, 4), 7}}},
        {"pages become 1024 quadrants",
         {0, 4},
         {{page16(1, 3, 4), 6}, {page16(2, 3, 4), 0xE}},
         {{pixel1024(3, 4), 0x60}, {pixel1024(515, 4), 0x06}, {pixel1024(3, 516), 0x0E}, {pixel1024(515, 516), 0}}},
        {"65536 colours into 1024 quadrants",
         {3, 4},
         {{word64k(7, 8), 0x4321}},
         {{pixel1024(7, 8), 0x21}, {pixel1024(519, 8), 0x02}, {pixel1024(7, 520), 0x43}, {pixel1024(519, 520), 0x04}}},
        // Modes 2 and 4 share one layout, and so does a mode written again.
        {"same layout", {4, 2}, {{pixel1024(0, 512), 0xAB}}, {{pixel1024(0, 512), 0xAB}}},
        {"same mode", {0, 0}, {{page16(0, 1, 1), 0xFF}}, {{page16(0, 1, 1), 0xFF}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        set_mode(c.modes.front());
        clear();
        for (const Pixel& p : c.writes) mem_write_word_c(p.word, p.addr);
        for (size_t i = 1; i < c.modes.size(); i++) set_mode(c.modes[i]);
        for (const Pixel& p : c.reads) EXPECT_EQ(mem_read_word_c(p.addr), p.word) << std::hex << p.addr;
    }
}

}  // namespace
