// Layer rendering, driven as the machine drives it: VRAM, palette, video
// controller, CRTC and sprite registers written through the bus, the frame
// start, display start, raster and display end steps, then the frame
// composed into a host buffer pre-filled with a canary. Pictures are ASCII
// art, one character per pixel.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/bus.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/settings.h"
#include "support/flat_bus.h"
#include "support/machine_map.h"
#include "support/powered_on.h"
#include "video/crtc.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/render_graphic.h"
#include "video/render_sprite_text.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace {

using Art = std::vector<std::string>;

constexpr uint16_t CANARY = 0xA5A5;

// Colour word k: distinct for k < 64, never 0.
uint16_t colour(uint32_t k) {
    return uint16_t(((k * 5) & 31) << 11 | ((k * 3) & 31) << 6 | (k & 31) << 1 | ((k >> 5) & 1));
}

// Characters of the expected pictures.
//   '.'  colour 0 (host pixel 0)     '#'  canary, untouched
//   '1'-'9', 'a'-'f'  graphic palette 1-15
//   'A'-'O'           text palette 1-15 (entries 257-271)
//   'p'-'x'           sprite/BG block 1, indices 1-9 (entries 273-281)
class VideoRender : public PoweredOnMachine, public ::testing::WithParamInterface<bool> {
protected:
    FrameBuffer fb;
    int width = 0, height = 0;
    std::map<char, uint16_t> legend;

    void SetUp() override {
        PoweredOnMachine::SetUp();
        ASSERT_TRUE(machine_map_install());
        emu_clear_requests();
        video_state_clear();
        vid_static_init();
        frame_buffer_setup(fb, GetParam());
        std::memset(g_video.text_line_nonempty, 1, sizeof g_video.text_line_nonempty);
        std::memset(g_video.graphic_line_nonempty, 1, sizeof g_video.graphic_line_nonempty);
        g_video.gzp_clean = g_video.szp_clean = 1;
        std::fill(fb.pixels.begin(), fb.pixels.end(), CANARY);

        for (uint32_t j = 1; j < 16; j++) {
            palette(j, colour(j));
            palette(256 + j, colour(16 + j));
            palette(272 + j, colour(32 + j));
        }
        // Sprite plane at the picture: $EB080C = R02 + 4, $EB080E = R06.
        sprite_reg(SPR_H_DISP, 4);
    }
    void TearDown() override { emu_clear_requests(); }

    // --- the machine's side ---
    static void settle() {
        for (int k = 0; k < 8 && g_machine.requests.event_request; k++) emu_dispatch_request();
    }
    static void crtc(CrtcReg n, uint32_t v) {
        mem_write_word_c(v, CRTC_BASE + 2 * n);
        settle();
    }
    static void palette(uint32_t j, uint32_t word) { mem_write_word_c(word, 0xE82000 + 2 * j); }
    static void vc(uint32_t r, uint32_t v) { mem_write_word_c(v, 0xE82400 + 0x100 * r); }
    static void sprite_reg(uint32_t offset, uint32_t v) { mem_write_word_c(v, SPRITE_AREA_BASE + offset); }

    // Picture of w x h dots, colour mode `mode` (R20 bits 8-10), 512 lines
    // at 31 kHz (one raster line per output line).
    void geometry(int w, int h, uint32_t mode, uint32_t r20_low = 0x16) {
        width = w;
        height = h;
        crtc(CRTC_H_DISP_START, 0);
        crtc(CRTC_H_DISP_END, uint32_t(w / 8));
        crtc(CRTC_V_DISP_START, 0);
        crtc(CRTC_V_DISP_END, uint32_t(h));
        crtc(CRTC_MODE, mode << 8 | r20_low);
    }

    static void frame_start() {
        emu_set_raster_line(0);
        emu_latch_video_state();
    }
    static void display_start() {
        emu_set_raster_line(crtc_reg(CRTC_V_DISP_START));
        std::memcpy(g_pal.vc_latch, g_pal.vc_regs, sizeof g_pal.vc_latch);
        g_sprite_unit.resolution = spr_area_word(SPR_RESOLUTION);
    }
    static void at_raster(uint32_t n) { emu_set_raster_line(crtc_reg(CRTC_V_DISP_START) + n); }
    static void raster_hit(uint32_t n) {
        at_raster(n);
        g_sprite_unit.cur_raster = g_machine.frame.raster_line;
        if (g_machine.frame.raster_line > 0) g_sprite_unit.armed = 1;
    }
    static void display_end() {
        emu_set_raster_line(crtc_reg(CRTC_V_DISP_END));
        if (g_sprite_unit.snapshot_count) {
            g_sprite_unit.cur_raster = g_machine.frame.raster_line;
            spr_take_snapshot();
        }
    }
    // A redraw of every line in the next frame, as a contrast change gives.
    static void redraw_all() { g_video.g_full_redraw_countdown = 1; }
    void render() { g_video.vid_render_frame(fb.bytes(), INT_MAX / 2, -1); }
    // One emulated frame with `during` run in its display, then composed.
    void frame(const std::function<void()>& during = {}) {
        frame_start();
        display_start();
        if (during) during();
        display_end();
        render();
    }

    // --- VRAM contents from ASCII art (hex digit = index, '.' = 0) ---
    static uint32_t index_of(char c) {
        if (c >= '0' && c <= '9') return uint32_t(c - '0');
        if (c >= 'a' && c <= 'f') return uint32_t(c - 'a' + 10);
        return 0;
    }
    // 16 colours: page p; 1024 mode: the whole store (p ignored).
    static void graphic_art(uint32_t page, int x0, int y0, const Art& art, bool linear = false) {
        for (size_t y = 0; y < art.size(); y++)
            for (size_t x = 0; x < art[y].size(); x++) {
                const uint32_t px = uint32_t(x0 + int(x)), py = uint32_t(y0 + int(y));
                const uint32_t addr =
                    linear ? 0xC00000 + (py * 1024 + px) * 2 : 0xC00000 + page * 0x80000 + (py * 512 + px) * 2;
                mem_write_word_c(index_of(art[y][x]), addr);
            }
    }
    // Text planes: each dot's index spread over planes 0-3.
    static void text_art(int line0, const Art& art) {
        for (size_t y = 0; y < art.size(); y++)
            for (size_t b = 0; b * 8 < art[y].size(); b++)
                for (uint32_t plane = 0; plane < 4; plane++) {
                    uint32_t byte = 0;
                    for (size_t d = 0; d < 8 && b * 8 + d < art[y].size(); d++)
                        if (index_of(art[y][b * 8 + d]) & (1u << plane)) byte |= 0x80u >> d;
                    mem_write_byte_c(byte, 0xE00000 + plane * 0x20000 + uint32_t(line0 + int(y)) * 128 + uint32_t(b));
                }
    }
    // PCG cell from 8 rows of 8 hex digits.
    static void pcg_cell(uint32_t cell, const Art& rows) {
        for (uint32_t r = 0; r < 8; r++) {
            uint32_t bits = 0;
            for (uint32_t d = 0; d < 8; d++) bits = bits << 4 | index_of(rows[r][d]);
            mem_write_long_c(bits, 0xEB8000 + cell * 32 + r * 4);
        }
    }
    static void sprite(uint32_t s, uint32_t x, uint32_t y, uint32_t attr, uint32_t priority) {
        mem_write_word_c(x, 0xEB0000 + 8 * s);
        mem_write_word_c(y, 0xEB0002 + 8 * s);
        mem_write_word_c(attr, 0xEB0004 + 8 * s);
        mem_write_word_c(priority, 0xEB0006 + 8 * s);
    }

    // --- reading the picture back ---
    void build_legend() {
        legend.clear();
        legend['.'] = 0;
        legend['#'] = CANARY;
        for (uint32_t j = 1; j < 16; j++) legend["0123456789abcdef"[j]] = g_pal_lut[colour(j)];
        for (uint32_t j = 1; j < 16; j++) legend[char('A' + j - 1)] = g_pal_lut[colour(16 + j)];
        for (uint32_t j = 1; j < 10; j++) legend[char('p' + j - 1)] = g_pal_lut[colour(32 + j)];
    }
    uint16_t pixel(int x, int y) const { return fb.pixels[size_t(16 + y) * FB_PIXELS_PER_ROW + size_t(16 + x)]; }
    Art picture() {
        if (legend.empty()) build_legend();
        std::map<uint16_t, char> name;
        for (auto& [c, p] : legend) name.emplace(p, c);
        Art out;
        for (int y = 0; y < height; y++) {
            std::string row;
            for (int x = 0; x < width; x++) {
                auto it = name.find(pixel(x, y));
                row += it == name.end() ? '?' : it->second;
            }
            out.push_back(row);
        }
        return out;
    }
    // Pixels outside the picture that are no longer the canary; the side
    // copy region right of the picture is left out when `side` is set.
    int touched_outside(bool side = false) const {
        int n = 0;
        const int side_from = 16 + width + 16;
        for (int y = 0; y < FB_ROWS; y++)
            for (int x = 0; x < FB_PIXELS_PER_ROW; x++) {
                const bool inside = x >= 16 && x < 16 + width && y >= 16 && y < 16 + height;
                if (inside || (side && x >= side_from)) continue;
                if (fb.pixels[size_t(y) * FB_PIXELS_PER_ROW + size_t(x)] != CANARY) n++;
            }
        return n;
    }
};

std::string show(const Art& a) {
    std::string s = "\n";
    for (auto& r : a) s += r + "\n";
    return s;
}
#define EXPECT_PICTURE(expected) EXPECT_EQ(show(picture()), show(expected))

INSTANTIATE_TEST_SUITE_P(Formats, VideoRender, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "rgb565" : "rgb555"; });

TEST_P(VideoRender, SixteenColourPagesStackByPageOrderAndColourZeroShowsThePageBehind) {
    geometry(16, 4, 0);
    palette(7, 0);  // index 7 has colour word 0
    graphic_art(3, 0, 0, {"3333333333333333", "3333333333333333", "3333333333333333", "3333333333333333"});
    graphic_art(2, 0, 0, {"22222222........", "22222222........", "22222222........", "22222222........"});
    graphic_art(1, 0, 0, {"....1111", "....1111", "....1111", "....1111"});
    graphic_art(0, 0, 0, {"", "a.a.", "..77", "...."});
    vc(0, 0);
    vc(1, 0xE4);    // page 3 at the back, page 0 in front
    vc(2, 0x000F);  // all four positions on
    g_settings.gpriority = 0;
    frame();
    EXPECT_PICTURE((Art{"2222111133333333", "a2a2111133333333", "2222111133333333", "2222111133333333"}));
    EXPECT_EQ(touched_outside(), 0);

    // Page order reversed: page 0 at the back.
    vc(1, 0x1B);
    frame();
    EXPECT_PICTURE((Art{"3333333333333333", "3333333333333333", "3333333333333333", "3333333333333333"}));
}

TEST_P(VideoRender, HalfToneBlendsOddIndicesOfTheFrontPageWithThePictureUnderIt) {
    geometry(8, 1, 0);
    graphic_art(1, 0, 0, {"44444444"});
    graphic_art(0, 0, 0, {"3.2.7..."});
    vc(0, 0);
    vc(1, 0x04);    // page 0 in front of page 1
    vc(2, 0x4003);  // half-tone on, positions 0 and 1 on
    g_settings.gpriority = 0;
    frame();
    const uint32_t m = g_video_host.g_halftone_mask;
    auto blend = [&](uint32_t a, uint32_t b) { return uint16_t(((g_pal_lut[a] & m) + (g_pal_lut[b] & m)) / 2); };
    legend = {{'.', 0},
              {'#', CANARY},
              {'2', g_pal_lut[colour(2)]},
              {'4', g_pal_lut[colour(4)]},
              {'x', blend(colour(2), colour(4))},   // index 3: even colour 2 over 4
              {'y', blend(colour(6), colour(4))}};  // index 7: even colour 6 over 4
    EXPECT_PICTURE((Art{"x424y444"}));
}

TEST_P(VideoRender, Graphic256And65536And1024Modes) {
    // 256 colours: whole bytes index the palette; pair 0 in front.
    geometry(8, 1, 1);
    palette(0x21, colour(50));
    for (uint32_t x = 0; x < 8; x++) mem_write_word_c(x < 4 ? 0x21 : 0, 0xC00000 + x * 2);
    for (uint32_t x = 0; x < 8; x++) mem_write_word_c(0x05, 0xC80000 + x * 2);
    vc(0, 1);
    vc(1, 0xE4);  // pages 0/1 in front of pages 2/3
    vc(2, 0x000F);
    frame();
    build_legend();
    legend['Z'] = g_pal_lut[colour(50)];
    EXPECT_PICTURE((Art{"ZZZZ5555"}));

    // 65536 colours: the words themselves are colours, but only while the
    // video controller is in mode 3 too.
    geometry(8, 1, 3);
    std::memset(g_gvram, 0, GVRAM_SIZE);  // the mode change re-laid the pixels
    mem_write_word_c(0x1234, 0xC00000);
    mem_write_word_c(0xFFFF, 0xC00002);
    vc(0, 3);
    vc(2, 0x000F);
    frame();
    legend['Y'] = g_pal_lut[0x1234];
    legend['W'] = g_pal_lut[0xFFFF];
    EXPECT_PICTURE((Art{"YW......"}));
    vc(0, 0);
    std::fill(fb.pixels.begin(), fb.pixels.end(), CANARY);
    redraw_all();
    frame();
    EXPECT_EQ(picture()[0], "########");

    // 1024 x 1024: index 0 shows palette entry 0 unless its colour word is
    // 0; the scroll wraps at 1024 dots. A change of palette 0 shows on the
    // next full redraw, also on lines that held only index 0.
    geometry(8, 2, 4);
    std::memset(g_gvram, 0, GVRAM_SIZE);
    vc(0, 4);
    vc(1, 0x0800);  // text behind the graphic screen
    vc(2, 0x0030);
    text_art(0, {"ffffffff", "ffffffff"});
    graphic_art(0, 1020, 0, {"1...", "...."}, true);
    graphic_art(0, 0, 0, {"2...", "...."}, true);
    crtc(CRTC_GR0_X, 1020);
    frame();
    EXPECT_PICTURE((Art{"1OOO2OOO", "OOOOOOOO"}));
    frame();  // the scroll's second frame; then only changed lines
    palette(0, colour(9));
    redraw_all();
    frame();
    EXPECT_PICTURE((Art{"19992999", "99999999"}));
}

TEST_P(VideoRender, TextPlanesCombineIntoIndicesAndScrollWithinTheirLine) {
    geometry(16, 2, 0);
    text_art(0, {"123456789abcdef.", "....1..........."});
    // Dots 1020-1023 of line 0.
    mem_write_byte_c(0x0F, 0xE00000 + 127);
    vc(2, 0x0020);
    struct Case {
        uint32_t x, y;
        std::string row0;
    } cases[] = {
        {0, 0, "ABCDEFGHIJKLMNO."},
        {3, 0, "DEFGHIJKLMNO...."},
        {1020, 0, "AAAAABCDEFGHIJKL"},  // dots 1020-1023 of the line first
        {0, 1, "....A..........."},     // Y scroll: text line 1 on top
    };
    for (const Case& c : cases) {
        crtc(CRTC_TEXT_X, c.x);
        crtc(CRTC_TEXT_Y, c.y);
        frame();
        EXPECT_EQ(picture()[0], c.row0) << "X " << c.x << " Y " << c.y;
    }
    EXPECT_EQ(touched_outside(), 0);
}

TEST_P(VideoRender, SpritesFlipOverlapAndClipAtThePictureEdge) {
    geometry(32, 16, 0);
    // Pattern 0: cells 0 (top left), 1 (bottom left), 2 (top right), 3.
    pcg_cell(0, {"12......", "........", "........", "........", "........", "........", "........", "........"});
    pcg_cell(1, {"3.......", "........", "........", "........", "........", "........", "........", "........"});
    pcg_cell(2, {".......4", "........", "........", "........", "........", "........", "........", "........"});
    pcg_cell(3, {"........", "........", "........", "........", "........", "........", "........", ".......5"});
    sprite_reg(SPR_BG_CTRL, 0x200);
    vc(2, 0x0040);
    // Probes (0,0) (1,0) (15,0) (0,7) (0,8) (0,15) (1,15) (15,8) (15,15).
    auto probes = [&]() {
        const Art p = picture();
        return std::string{p[0][0], p[0][1], p[0][15], p[7][0], p[8][0], p[15][0], p[15][1], p[8][15], p[15][15]};
    };
    struct Case {
        uint32_t attr;
        const char* probes;
    } cases[] = {
        {0x0100, "pqs.r...t"},
        {0x4100, "s.p..t.r."},  // horizontal flip
        {0x8100, "..tr.pq.s"},  // vertical flip
        {0xC100, "t....s..p"},  // both
    };
    for (const Case& c : cases) {
        sprite(0, 16, 16, c.attr, 1);
        frame();
        EXPECT_EQ(probes(), c.probes) << std::hex << c.attr;
    }
    EXPECT_EQ(picture()[7][15], 'r');

    // Same priority at the same place: sprite 0 on top; priority 0 never shows.
    pcg_cell(4, {"66666666", "........", "........", "........", "........", "........", "........", "........"});
    sprite(0, 16, 16, 0x0100, 2);
    sprite(1, 16, 16, 0x0101, 2);  // pattern 1: cell 4 at the top left
    sprite(2, 20, 20, 0x0101, 0);
    frame();
    EXPECT_EQ(picture()[0].substr(0, 4), "pquu");
    EXPECT_EQ(picture()[4].substr(4, 4), "....");

    // X = 8 shows only the right half; the left half lies in the border,
    // where nothing is written. At the right edge the sprite is cut.
    sprite(0, 8, 16, 0x0100, 1);
    sprite(1, 16 + 32 - 1, 16 + 4, 0x0100, 1);
    frame();
    EXPECT_EQ(picture()[0].substr(0, 8), ".......s");
    EXPECT_EQ(picture()[4][31], 'p');
    EXPECT_EQ(touched_outside(), 0);
}

TEST_P(VideoRender, Bg0ScrollsAndBg1NeedsA256DotPlane) {
    geometry(16, 8, 0);
    pcg_cell(1, {"1.......", "........", "........", "........", "........", "........", "........", "........"});
    pcg_cell(2, {"2.......", "........", "........", "........", "........", "........", "........", "........"});
    mem_write_word_c(0x0101, 0xEBC000);      // BG0 (map page 0) entry (0, 0): cell 1, block 1
    mem_write_word_c(0x0102, 0xEBE000 + 2);  // BG1 (map page 1) entry (0, 1): cell 2
    sprite_reg(SPR_BG_CTRL, 0x200 | 0x01 | 0x08 | 0x10);
    vc(2, 0x0040);
    frame();
    EXPECT_EQ(picture()[0], "p.......q.......");

    sprite_reg(SPR_BG0_X, 510);  // map dot 0 shows at x = 2
    sprite_reg(SPR_BG0_Y, 511);  // and at y = 1
    frame();
    EXPECT_EQ(picture()[0], "........q.......");
    EXPECT_EQ(picture()[1], "..p.............");

    // A 512-dot plane: BG1 is not drawn, and BG0 takes 16 x 16 patterns
    // (pattern 1 is empty).
    sprite_reg(SPR_BG0_X, 0);
    sprite_reg(SPR_BG0_Y, 0);
    sprite_reg(SPR_RESOLUTION, 1);
    frame();
    EXPECT_PICTURE((Art(8, std::string(16, '.'))));
}

TEST_P(VideoRender, RasterSplitOfGraphicAndBgScrollMidFrame) {
    geometry(8, 8, 0);
    graphic_art(0, 0, 0, std::vector<std::string>(8, "1......."));
    pcg_cell(1, std::vector<std::string>(8, "1......."));
    mem_write_word_c(0x0101, 0xEBC000);
    sprite_reg(SPR_BG_CTRL, 0x201);
    vc(0, 0);
    vc(1, 0x0000);  // one level: graphic, then BG
    vc(2, 0x0041);
    frame([&] {
        at_raster(2);
        crtc(CRTC_GR0_X, 511);  // graphic X scroll: one dot right
        at_raster(4);
        sprite_reg(SPR_BG0_X, 508);  // BG0: four dots right
    });
    EXPECT_PICTURE(
        (Art{"p.......", "p.......", "p1......", "p1......", ".1..p...", ".1..p...", ".1..p...", ".1..p..."}));
}

TEST_P(VideoRender, BgLineByLineEqualsTheWholeFramePathForFlippedCells) {
    geometry(32, 24, 0);
    // Cell 3 for 8 x 8 cells; pattern 3 (cells 12-15) for 16 x 16.
    for (uint32_t cell : {3u, 12u, 13u, 14u, 15u})
        pcg_cell(cell, {"1.......", ".2......", "..3.....", "...4....", "....5...", ".....6..", "......7.",
                        std::string(".......") + char('5' + cell % 4)});
    static const uint32_t flips[] = {0x0000, 0x4000, 0x8000, 0xC000};
    for (uint32_t e = 0; e < 64 * 64; e++) mem_write_word_c(flips[(e + e / 64) & 3] | 0x0100 | 3, 0xEBC000 + e * 2);
    sprite_reg(SPR_BG_CTRL, 0x201);
    sprite_reg(SPR_BG0_X, 3);
    sprite_reg(SPR_BG0_Y, 5);
    vc(2, 0x0040);
    for (uint32_t resolution : {0u, 1u}) {
        sprite_reg(SPR_RESOLUTION, resolution);
        frame();
        const Art whole = picture();
        // The same scroll written twice in the frame: line by line, the
        // same picture.
        frame([&] {
            at_raster(10);
            sprite_reg(SPR_BG0_Y, 5);
        });
        EXPECT_PICTURE(whole) << "resolution " << resolution;
    }
}

TEST_P(VideoRender, SpriteSnapshotsAreDrawnOnlyWithinTheirBands) {
    geometry(16, 64, 0);
    pcg_cell(0, {"11111111", "........", "........", "........", "........", "........", "........", "........"});
    pcg_cell(4, {"22222222", "........", "........", "........", "........", "........", "........", "........"});
    sprite_reg(SPR_BG_CTRL, 0x200);
    vc(2, 0x0040);
    sprite(0, 16, 16 + 2, 0x0100, 1);   // y = 18: in the band 0-40 only
    sprite(1, 24, 16 + 60, 0x0101, 1);  // y = 76: in the band 40-64 only
    frame([&] {
        raster_hit(40);
        sprite(0, 16, 16 + 2, 0x0101, 1);  // after line 40 the patterns swap
        sprite(1, 24, 16 + 60, 0x0100, 1);
    });
    ASSERT_EQ(g_sprite_unit.snapshot_count, 2u);
    EXPECT_EQ(picture()[2], "pppppppp........");
    EXPECT_EQ(picture()[60], "........pppppppp");
}

TEST_P(VideoRender, ZeroColourPixelsShowTheLayersUnderTheGraphicScreenAndTheSideCopyStaysOutOfSight) {
    // Wider than the 256-dot sprite plane: the side copy goes right of the
    // picture, and still covers the whole picture width.
    geometry(512, 2, 0);
    palette(7, 0);
    text_art(0, {std::string(512, 'a'), std::string(512, 'a')});
    graphic_art(1, 0, 0, {std::string(512, '2'), std::string(512, '2')});
    std::string front(512, '.');
    front[0] = front[1] = front[300] = '7';
    graphic_art(0, 0, 0, {front});
    vc(0, 0);
    vc(1, 0x0404);  // text at the back, graphic in front; page 0 over page 1
    vc(2, 0x0023);
    frame();  // meets colour 0: the next frame takes the side copy
    EXPECT_EQ(picture()[0], std::string(512, '2'));
    redraw_all();
    frame();
    EXPECT_NE(g_render_trace.find("(G.Zp)"), std::string::npos);
    std::string expected(512, '2');
    expected[0] = expected[1] = expected[300] = 'J';
    EXPECT_EQ(picture()[0], expected);
    EXPECT_EQ(picture()[1], std::string(512, '2'));
    EXPECT_EQ(touched_outside(true), 0);
    EXPECT_GE(g_video.side_copy_offset / 2, width + 16);
}

TEST_P(VideoRender, DegenerateGeometryStaysInsideTheBuffer) {
    // 1024 dots wide: a sprite and BG cells at the right edge, and text
    // groups past it, are cut at the row's end.
    geometry(1024, 4, 0);
    pcg_cell(0, {"11111111", "11111111", "11111111", "11111111", "11111111", "11111111", "11111111", "11111111"});
    sprite_reg(SPR_BG_CTRL, 0x201);
    for (uint32_t e = 0; e < 64 * 64; e++) mem_write_word_c(0x0100, 0xEBC000 + e * 2);
    text_art(0, {std::string(1024, 'f')});
    crtc(CRTC_TEXT_X, 5);
    vc(2, 0x0060);
    sprite(0, 1023, 16, 0x0100, 1);
    frame();
    EXPECT_EQ(touched_outside(), 0);

    // More output lines than raster lines in the logs: lines past raster
    // 511 take the value in effect at 511.
    geometry(8, 1600, 0, 0x10);  // line step 4: raster 2i
    text_art(0, std::vector<std::string>(1024, "1"));
    sprite_reg(SPR_BG_CTRL, 0);
    crtc(CRTC_TEXT_X, 0);
    vc(2, 0x0020);
    std::fill(fb.pixels.begin(), fb.pixels.end(), CANARY);
    frame([&] {
        at_raster(511);
        vc(2, 0x0000);
    });
    height = g_video.src_height;
    ASSERT_EQ(height, 800);
    const Art p = picture();
    EXPECT_EQ(p[254][0], 'A');  // raster 508
    EXPECT_EQ(p[256][0], '.');  // raster 512 and on
    EXPECT_EQ(p[799][0], '.');
    EXPECT_EQ(touched_outside(), 0);
}

}  // namespace
