#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

class VideoCrtc : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine_map_install());
        std::memset(g_tvram, 0, TVRAM_SIZE);
        std::memset(g_gvram, 0, GVRAM_SIZE);
        std::memset(g_video.g_tvram_dirty_lines, 0, sizeof g_video.g_tvram_dirty_lines);
        std::memset(g_video.g_line_log_tscroll, 0, sizeof g_video.g_line_log_tscroll);
        std::memset(g_video.g_line_log_gscroll, 0, sizeof g_video.g_line_log_gscroll);
        g_video.g_tscroll_log_mask = g_video.g_gscroll_log_mask = 0;
        g_video.g_full_redraw_countdown = g_video.g_redraw_holdoff = 0;
        g_crtc.op_port = 0;
        emu_clear_requests();
    }
    void TearDown() override { emu_clear_requests(); }

    // Takes the pending request; 0 when none. Checks nothing else is queued.
    static uint32_t take_request() {
        uint32_t code = g_machine.requests.event_request;
        emu_take_request();
        EXPECT_EQ(g_machine.requests.event_request, 0u) << "a second request was queued";
        return code;
    }
};

TEST_F(VideoCrtc, RegisterAreaDecodesMirrorsAndHidesTheTextScroll) {
    struct Case {
        uint32_t write_addr, value;  // byte write
        int reg;                     // register expected to change, -1 none
        uint16_t reg_value;
        uint32_t read_addr, read;  // byte read afterwards
    };
    const Case cases[] = {
        {0xE80001, 0x5A, 0, 0x005A, 0xE80001, 0x5A},
        {0xE80000, 0xA5, 0, 0xA500, 0xE80040, 0xA5},   // mirrored every 64 bytes
        {0xE80400, 0x11, 0, 0x1100, 0xE80000, 0x11},   // offset 0x400 is still a register
        {0xE80853, 0x22, 9, 0x0022, 0xE80013, 0x22},   // the 2 KB layout repeats
        {0xE80031, 0x33, 24, 0x0033, 0xE80031, 0x33},  // R24, the last register
        {0xE80033, 0x44, -1, 0, 0xE80033, 0},          // past R24: nothing stored
        {0xE80015, 0x55, 10, 0x0055, 0xE80015, 0},     // R10 reads 0
        {0xE80016, 0x66, 11, 0x6600, 0xE80016, 0},     // R11 reads 0
        {0xE80433, 0x77, -1, 0, 0xE80433, 0},          // port area, not the port
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.write_addr);
        std::fill(std::begin(g_crtc.regs), std::end(g_crtc.regs), 0);
        mem_write_byte_c(c.value, c.write_addr);
        for (int r = 0; r < 25; r++) EXPECT_EQ(g_crtc.regs[r], r == c.reg ? c.reg_value : 0) << "R" << r;
        EXPECT_EQ(mem_read_byte_c(c.read_addr), c.read);
        emu_clear_requests();
    }
    // Words and longs are big-endian over the image.
    mem_write_long_c(0x12345678, 0xE80004);
    EXPECT_EQ(g_crtc.regs[CRTC_H_DISP_START], 0x1234);
    EXPECT_EQ(g_crtc.regs[CRTC_H_DISP_END], 0x5678);
    EXPECT_EQ(mem_read_word_c(0xE80006), 0x5678u);
    EXPECT_EQ(mem_read_long_c(0xE80004), 0x12345678u);
}

TEST_F(VideoCrtc, RasterLineAndModeRegistersPostTheirRequestsOnTheRightByte) {
    struct Case {
        uint32_t addr;
        bool word;
        uint32_t value;
        uint32_t request;
    };
    const Case cases[] = {
        {0xE80012, true, 0x0123, REQ_RASTER_LINE},  // once, on the low byte
        {0xE80012, false, 0x01, 0},                 // high byte of R09 alone
        {0xE80013, false, 0x23, REQ_RASTER_LINE},
        {0xE80053, false, 0x23, REQ_RASTER_LINE},  // mirror of R09 low
        {0xE80028, false, 0x03, REQ_VIDEO_MODE},   // high byte of R20
        {0xE80029, false, 0x16, 0},
        {0xE80010, true, 0xFFFF, 0},  // R08
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.addr << " " << c.value);
        if (c.word) mem_write_word_c(c.value, c.addr);
        else mem_write_byte_c(c.value, c.addr);
        EXPECT_EQ(take_request(), c.request);
    }
    EXPECT_EQ(g_crtc.regs[CRTC_RASTER_INT], 0x0123);  // the word stored whole before the request
}

TEST_F(VideoCrtc, OperationPortToggles) {
    EXPECT_EQ(mem_read_byte_c(0xE80481), 2u);
    EXPECT_EQ(mem_read_byte_c(0xE80481), 0u);
    EXPECT_EQ(mem_read_byte_c(0xE81C81), 2u);  // an image of the port
    EXPECT_EQ(mem_read_byte_c(0xE805FF), 0u);  // odd, low byte >= 0x80: the port too
    EXPECT_EQ(mem_read_byte_c(0xE80480), 0u);  // even: nothing, no toggle
    EXPECT_EQ(mem_read_byte_c(0xE80401), 0u);  // low byte below 0x80: nothing
    EXPECT_EQ(mem_read_byte_c(0xE80481), 2u);
    EXPECT_EQ(mem_read_word_c(0xE80480), 0x0000u);  // the word reads the port once, at +1
    EXPECT_EQ(mem_read_byte_c(0xE80481), 2u);
}

TEST_F(VideoCrtc, ScrollWritesAreLoggedAtTheRasterLine) {
    struct Case {
        uint32_t addr;
        uint16_t value;
        uint32_t raster;
        int page;
    };  // page -1: text
    const Case cases[] = {
        {0xE80014, 0x0123, 300, -1}, {0xE80018, 0x01FF, 0, 0},   {0xE8001C, 0x0042, 511, 1},
        {0xE80020, 0x0007, 17, 2},   {0xE80024, 0x0100, 100, 3},
    };
    g_crtc.regs[CRTC_V_DISP_START] = 40;  // display start: raster line = CRTC line - 40
    for (const Case& c : cases) {
        SCOPED_TRACE(c.addr);
        emu_set_raster_line(c.raster + 40);
        mem_write_word_c(c.value, c.addr);
        uint16_t want = uint16_t(c.value | 0x8000);
        if (c.page < 0) {
            EXPECT_EQ(g_video.g_line_log_tscroll[c.raster], want);
            EXPECT_EQ(g_video.g_tscroll_log_mask, 0x1FF);
        } else {
            EXPECT_EQ(g_video.g_line_log_gscroll[c.page][c.raster], want);
            EXPECT_EQ(g_video.g_gscroll_log_mask, 0x1FF);
        }
    }
    // Y scrolls are not logged.
    g_video.g_tscroll_log_mask = g_video.g_gscroll_log_mask = 0;
    for (uint32_t addr = 0xE80016; addr <= 0xE80026; addr += 4) mem_write_word_c(0x55, addr);
    EXPECT_EQ(g_video.g_tscroll_log_mask, 0);
    EXPECT_EQ(g_video.g_gscroll_log_mask, 0);
}

// Raster copy through the operation port: R22 = 0x0203 copies raster 2 onto 3.
TEST_F(VideoCrtc, RasterCopyCopiesSelectedPlanesAndMarksFourLines) {
    for (uint32_t p = 0; p < 4; p++) {
        for (uint32_t i = 0; i < 512; i++) g_tvram[p * 0x20000 + 1024 + i] = uint8_t(p * 16 + i);
    }
    g_crtc.regs[CRTC_RASTER_COPY] = 0x0203;
    g_crtc.regs[CRTC_TEXT_ACCESS] = 0x0005;  // planes 0 and 2
    mem_write_byte_c(0x08, 0xE80481);
    for (uint32_t p = 0; p < 4; p++) {
        const uint8_t* plane = g_tvram + p * 0x20000;
        bool copied = std::memcmp(plane + 1536, plane + 1024, 512) == 0;
        EXPECT_EQ(copied, p == 0 || p == 2) << p;
        if (!copied) {
            EXPECT_TRUE(std::all_of(plane + 1536, plane + 2048, [](uint8_t b) { return b == 0; }));
        }
    }
    for (int line = 0; line < 1024; line++) {
        EXPECT_EQ(g_video.g_tvram_dirty_lines[line] != 0, line >= 12 && line <= 15) << line;
    }
    // The last raster onto the first stays inside the planes.
    g_crtc.regs[CRTC_RASTER_COPY] = 0xFF00;
    g_crtc.regs[CRTC_TEXT_ACCESS] = 0x0008;
    g_tvram[3 * 0x20000 + 0x1FFFF] = 0x77;
    mem_write_byte_c(0x08, 0xE80481);
    EXPECT_EQ(g_tvram[3 * 0x20000 + 511], 0x77);
    EXPECT_NE(g_video.g_tvram_dirty_lines[0], 0);
}

TEST_F(VideoCrtc, PortWriteCopiesOnlyWithAPlaneSelectedAndThenClears) {
    struct Case {
        uint32_t value, r21;
        bool copies, clears;
    };
    const Case cases[] = {
        {0x0A, 0x0, false, true}, {0x0A, 0x1, true, true},   {0x08, 0x1, true, false},
        {0x02, 0x1, false, true}, {0x05, 0x1, false, false},
    };
    g_crtc.regs[CRTC_MODE] = 0x0400;  // 1024 mode: the clear needs no page
    g_crtc.regs[CRTC_RASTER_COPY] = 0x0001;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " " << c.r21);
        g_tvram[0] = 0x99;
        g_tvram[512] = 0;
        g_gvram[0] = 0x0F;
        g_crtc.regs[CRTC_TEXT_ACCESS] = uint16_t(c.r21);
        mem_write_byte_c(c.value, 0xE80481);
        EXPECT_EQ(g_tvram[512] == 0x99, c.copies);
        EXPECT_EQ(g_gvram[0] == 0, c.clears);
    }
}

struct Band {
    uint32_t base, row_bytes, first_row, rows, wrap;
};

TEST_F(VideoCrtc, FastClearZeroesTheRowsUnderTheYScroll) {
    struct Case {
        const char* what;
        uint16_t r20, r21, r13, r17, r19;
        std::vector<Band> cleared;
    };
    const Case cases[] = {
        {"16 colours, page 0 from 400, 256 rows", 0x0000, 0x1, 400, 0, 0, {{0, 512, 400, 256, 512}}},
        {"16 colours, pages 2 and 3, 512 rows",
         0x0004,
         0xC,
         0,
         0x20A,
         5,
         {{0x80000, 512, 10, 512, 512}, {0xC0000, 512, 5, 512, 512}}},
        {"16 colours, no page", 0x0000, 0x0, 0, 0, 0, {}},
        {"256 colours, pair 1 from R17", 0x0100, 0x8, 7, 300, 0, {{0x40000, 512, 300, 256, 512}}},
        {"256 colours, both pairs", 0x0100, 0x5, 7, 300, 0, {{0, 512, 7, 256, 512}, {0x40000, 512, 300, 256, 512}}},
        {"65536 colours, no page", 0x0300, 0x0, 10, 0, 0, {}},
        {"65536 colours from 500", 0x0300, 0x2, 500, 0, 0, {{0, 1024, 500, 256, 512}}},
        {"1024 mode clears without a mask", 0x0400, 0x0, 1000, 0, 0, {{0, 1024, 1000, 256, 1024}}},
        {"1024 mode, 512 rows", 0x0404, 0xF, 0x7FF, 0, 0, {{0, 1024, 1023, 512, 1024}}},
        {"mode 2 has no clear", 0x0200, 0xF, 0, 0, 0, {}},
        {"mode 7 has no clear", 0x0700, 0xF, 0, 0, 0, {}},
    };
    std::vector<bool> want(GVRAM_SIZE / 512);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(g_gvram, 0xA5, GVRAM_SIZE);
        g_crtc.regs[CRTC_MODE] = c.r20;
        g_crtc.regs[CRTC_TEXT_ACCESS] = c.r21;
        g_crtc.regs[CRTC_GR0_Y] = c.r13;
        g_crtc.regs[CRTC_GR2_Y] = c.r17;
        g_crtc.regs[CRTC_GR3_Y] = c.r19;
        g_video.g_full_redraw_countdown = 0;
        g_video.g_redraw_holdoff = 0;
        crtc_fast_clear();

        std::fill(want.begin(), want.end(), false);
        for (const Band& b : c.cleared) {
            for (uint32_t i = 0; i < b.rows; i++) {
                uint32_t start = b.base + ((b.first_row + i) % b.wrap) * b.row_bytes;
                for (uint32_t chunk = start / 512; chunk < (start + b.row_bytes) / 512; chunk++) want[chunk] = true;
            }
        }
        int wrong = 0;
        for (uint32_t chunk = 0; chunk < want.size(); chunk++) {
            const uint8_t* p = g_gvram + chunk * 512;
            uint8_t expect = want[chunk] ? 0 : 0xA5;
            if (!std::all_of(p, p + 512, [&](uint8_t v) { return v == expect; }) && wrong++ < 4) {
                ADD_FAILURE() << "512-byte chunk " << chunk << " should be " << (want[chunk] ? "clear" : "kept");
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(g_video.g_full_redraw_countdown != 0, !c.cleared.empty()) << "full redraw request";
    }
}

}  // namespace
