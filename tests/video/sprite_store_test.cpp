#include <gtest/gtest.h>

#include <cstring>

#include "core/bus.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "video/crtc.h"
#include "video/sprite.h"
#include "video/video_state.h"

namespace {

constexpr uint32_t SPR = SPRITE_AREA_BASE;

class VideoSpriteStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mem_alloc_images());
        if (!g_machine.main_ram) { ASSERT_TRUE(mem_alloc_main_ram(0x400000)); }
        ASSERT_EQ(mem_map_build(), 0);
        std::memset(g_sprite_area, 0, SPRITE_AREA_SIZE);
        std::memset(&g_sprite_unit, 0, sizeof g_sprite_unit);
        clear_logs();
        g_crtc.regs[CRTC_MODE] = 0;
        g_machine.frame.raster_line = 0;
    }
    static void clear_logs() {
        std::memset(g_video.g_line_log_bgscroll, 0, sizeof g_video.g_line_log_bgscroll);
        std::memset(g_video.g_line_log_bgctrl, 0, sizeof g_video.g_line_log_bgctrl);
        g_video.g_bgscroll_log_mask = 0;
        g_video.g_bgctrl_log_mask = 0;
    }
    static uint32_t table_word(uint32_t k, uint32_t offset) {
        return spr_table_word(g_sprite_unit.snapshots[k], offset);
    }
};

TEST_F(VideoSpriteStore, AccessesOfEverySizeShareOneImage) {
    SPRITE_BUS.write_word(SPR + 0x0000, 0x0123);
    SPRITE_BUS.write_long(SPR + 0x0008, 0x00400050);  // sprite 1: X, then Y
    SPRITE_BUS.write_byte(SPR + 0x8001, 0xF0);        // PCG cell 0, row 0
    SPRITE_BUS.write_long(SPR + 0x8002, 0x12345678);

    EXPECT_EQ(SPRITE_BUS.read_byte(SPR + 0x0000), 0x01u);
    EXPECT_EQ(SPRITE_BUS.read_byte(SPR + 0x0001), 0x23u);
    EXPECT_EQ(spr_area_word(0x0008), 0x0040u);
    EXPECT_EQ(spr_area_word(0x000A), 0x0050u);
    EXPECT_EQ(SPRITE_BUS.read_long(SPR + 0x0008), 0x00400050u);
    EXPECT_EQ(SPRITE_BUS.read_word(SPR + 0x8000), 0x00F0u);
    EXPECT_EQ(spr_area_long(0x8000), 0x00F01234u);
    EXPECT_EQ(spr_area_long(0x8002), 0x12345678u);

    // Below $EB0000 lies the MIDI board: the image and what lies under it
    // in the window stay as they were.
    uint8_t before[SPRITE_AREA_SIZE];
    std::memcpy(before, g_sprite_area, SPRITE_AREA_SIZE);
    const uint8_t* below = g_sprite_area - 0x600;  // $EAFA00
    SPRITE_BUS.write_byte(0xEAFA01, 0x55);
    SPRITE_BUS.write_word(0xEAFA00, 0x5555);
    SPRITE_BUS.write_long(0xEAFFFC, 0x55555555);
    EXPECT_EQ(std::memcmp(before, g_sprite_area, SPRITE_AREA_SIZE), 0);
    EXPECT_EQ(below[0] | below[1], 0);
}

TEST_F(VideoSpriteStore, ALongWriteAtTheLastWordStaysInTheImage) {
    const uint8_t* past = g_sprite_area + SPRITE_AREA_SIZE;  // $EC0000, not this device's
    SPRITE_BUS.write_long(SPR + 0xFFFE, 0xABCD1234);
    EXPECT_EQ(spr_area_word(0xFFFE), 0xABCDu);
    EXPECT_EQ(past[0] | past[1], 0);
    EXPECT_EQ(spr_area_word(0x0000), 0u);  // no wrap to the first word either
}

TEST_F(VideoSpriteStore, TheFirstTableWriteAfterARasterHitSavesTheTableWithItsBand) {
    g_crtc.regs[CRTC_MODE] = 0x0004;              // 512 lines: picture lines are raster lines x 2
    SPRITE_BUS.write_word(SPR + 0x0010, 0x0100);  // sprite 2 X
    SpriteUnit& u = g_sprite_unit;

    // A raster hit at line 100.
    u.cur_raster = 100;
    u.armed = 1;
    SPRITE_BUS.write_word(SPR + 0x0004, 0x1234);  // sprite 0 attribute
    SPRITE_BUS.write_word(SPR + 0x0004, 0x5678);  // no second snapshot
    ASSERT_EQ(u.snapshot_count, 1u);
    EXPECT_EQ(u.armed, 0u);
    EXPECT_EQ(u.prev_raster, 100u);
    EXPECT_EQ(u.snapshot_bands[0].first, 0);
    EXPECT_EQ(u.snapshot_bands[0].last, 200);
    EXPECT_EQ(table_word(0, 0x0004), 0u);  // the state before the rewrite
    EXPECT_EQ(table_word(0, 0x0010), 0x0100u);

    // The next hit at line 150; a byte write at the top of the table area.
    u.cur_raster = 150;
    u.armed = 1;
    SPRITE_BUS.write_byte(SPR + 0x07FF, 0x99);
    ASSERT_EQ(u.snapshot_count, 2u);
    EXPECT_EQ(u.snapshot_bands[1].first, 200);
    EXPECT_EQ(u.snapshot_bands[1].last, 300);
    EXPECT_EQ(table_word(1, 0x0004), 0x5678u);

    // Register and PCG writes take none.
    u.armed = 1;
    SPRITE_BUS.write_word(SPR + 0x0800, 1);
    SPRITE_BUS.write_long(SPR + 0x8000, 1);
    EXPECT_EQ(u.snapshot_count, 2u);
    EXPECT_EQ(u.armed, 1u);
}

TEST_F(VideoSpriteStore, SixteenSnapshotsAFrameAtMost) {
    SpriteUnit& u = g_sprite_unit;
    for (uint32_t k = 0; k < 20; k++) {
        u.cur_raster = k;
        u.armed = 1;
        SPRITE_BUS.write_word(SPR + 0x0000, k);
    }
    EXPECT_EQ(u.snapshot_count, 16u);
    EXPECT_EQ(u.armed, 1u);  // stays armed, nothing more is saved
    EXPECT_EQ(table_word(15, 0), 14u);
    EXPECT_EQ(u.snapshot_bands[15].first, 14);
    EXPECT_EQ(u.snapshot_bands[15].last, 15);
}

TEST_F(VideoSpriteStore, BgRegisterWritesAreLoggedAtTheirRasterLine) {
    enum Size { BYTE, WORD, LONG };
    struct Logged {
        int log;
        uint32_t line;
        uint16_t entry;
    };  // log 0-3 BG scroll, 4 BG control
    struct Case {
        uint32_t offset;
        Size size;
        uint32_t value;
        uint32_t raster;
        int logged;
        Logged a, b;
        bool scroll_mask;
    };
    const Case cases[] = {
        {0x801, BYTE, 0x34, 40, 1, {0, 40, 0x8134}, {}, true},  // whole word after the store
        {0x804, BYTE, 0x02, 7, 1, {2, 7, 0x8201}, {}, true},
        {0x806, WORD, 0x03FF, 511, 1, {3, 511, 0x83FF}, {}, true},
        {0x800, LONG, 0x00110022, 3, 2, {0, 3, 0x8011}, {1, 3, 0x8022}, true},
        {0x808, WORD, 0x0209, 600, 1, {4, 88, 0x8209}, {}, false},  // line 600 & 0x1FF
        {0x809, BYTE, 0x08, 1, 1, {4, 1, 0x8208}, {}, false},
        {0x80A, WORD, 0xFFFF, 5, 0, {}, {}, false},
        {0x810, WORD, 0x0015, 5, 0, {}, {}, false},
        {0x7FE, LONG, 0x12345678, 9, 1, {0, 9, 0xD678}, {}, true},  // low word lands on BG0 X
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.offset << " " << c.value);
        clear_logs();
        SPRITE_BUS.write_word(SPR + 0x800, 0x0100);
        SPRITE_BUS.write_word(SPR + 0x804, 0x0001);
        SPRITE_BUS.write_word(SPR + 0x808, 0x0200);
        clear_logs();
        g_machine.frame.raster_line = c.raster;
        uint32_t addr = SPR + c.offset;
        if (c.size == BYTE) SPRITE_BUS.write_byte(addr, c.value);
        else if (c.size == WORD) SPRITE_BUS.write_word(addr, c.value);
        else SPRITE_BUS.write_long(addr, c.value);

        uint32_t found = 0;
        for (int log = 0; log < 5; log++) {
            for (uint32_t line = 0; line < 512; line++) {
                uint16_t e = log < 4 ? g_video.g_line_log_bgscroll[log][line] : g_video.g_line_log_bgctrl[line];
                if (e == 0) continue;
                found++;
                bool is_a = c.logged >= 1 && log == c.a.log && line == c.a.line;
                bool is_b = c.logged >= 2 && log == c.b.log && line == c.b.line;
                EXPECT_TRUE(is_a || is_b) << "log " << log << " line " << line;
                EXPECT_EQ(e, is_b ? c.b.entry : is_a ? c.a.entry : e);
            }
        }
        EXPECT_EQ(found, uint32_t(c.logged));
        EXPECT_EQ(g_video.g_bgscroll_log_mask, c.scroll_mask ? 0x1FF : 0);
        EXPECT_EQ(g_video.g_bgctrl_log_mask, 0);
    }
}

TEST_F(VideoSpriteStore, RasterLinesScaleToPictureLinesByTheResolution) {
    const int32_t expected[8] = {101, 202, 202, 202, 50, 101, 202, 202};
    for (uint32_t index = 0; index < 8; index++) {
        g_crtc.regs[CRTC_MODE] = uint16_t(0x0300 | index << 2 | 3);  // other bits do not count
        EXPECT_EQ(spr_scale_raster(101), expected[index]) << index;
    }
    g_crtc.regs[CRTC_MODE] = 4 << 2;
    EXPECT_EQ(spr_scale_raster(-3), -1);  // truncated toward 0
}

}  // namespace
