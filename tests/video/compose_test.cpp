// Frame composition, driven through the device handlers and the frame-start
// and raster steps of the machine record, rendered into a canary-filled
// buffer and compared exactly in 555 and 565.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/bus.h"
#include "host/display_mode.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/settings.h"
#include "machine/system_port.h"
#include "support/flat_bus.h"
#include "support/machine_map.h"
#include "video/crtc.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/render_common.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace {

constexpr uint16_t CANARY = 0x5A5A;
constexpr int32_t ROW = FB_PIXELS_PER_ROW;

// Colours of the pictures: letter -> colour word and its host pixels at
// contrast 15. '.' is colour word 0 (black, the fill of every layer here).
struct Colour {
    char c;
    uint16_t word, p555, p565;
};
const Colour kColours[] = {
    {'.', 0x0000, 0x0000, 0x0000}, {'R', 0x07C0, 0x7C00, 0xF800}, {'G', 0xF800, 0x03E0, 0x07C0},
    {'B', 0x003E, 0x001F, 0x001F}, {'Y', 0xFFC0, 0x7FE0, 0xFFC0}, {'C', 0xF83E, 0x03FF, 0x07DF},
    {'M', 0x07FE, 0x7C1F, 0xF81F}, {'K', 0x4210, 0x2108, 0x4208},
};
const Colour& colour(char c) {
    for (const Colour& k : kColours)
        if (k.c == c) return k;
    ADD_FAILURE() << "no colour " << c;
    return kColours[0];
}

int digit(char c) { return c == '.' ? 0 : c <= '9' ? c - '0' : c - 'A' + 10; }

void write_word(uint32_t addr, uint32_t v) { mem_write_word_c(v, addr); }
void crtc(CrtcReg reg, uint32_t v) { write_word(CRTC_BASE + 2 * reg, v); }
void vc(uint32_t reg, uint32_t v) { write_word(0xE82400 + 0x100 * reg, v); }
void palette(uint32_t index, char c) { write_word(0xE82000 + 2 * index, colour(c).word); }

// Picture of 16-colour page `page` (mode 0): one hex digit per dot.
void graphic16(uint32_t page, int x, int y, const std::vector<std::string>& art) {
    for (size_t r = 0; r < art.size(); r++)
        for (size_t n = 0; n < art[r].size(); n++)
            write_word(0xC00000 + page * 0x80000 + ((uint32_t(y) + r) * 512 + uint32_t(x) + n) * 2,
                       uint32_t(digit(art[r][n])));
}

// Text picture from dot 0 of text line y: one hex digit (the 4 plane bits)
// per dot; whole bytes are written, so rows are padded to 8 dots.
void text(int y, const std::vector<std::string>& art) {
    for (size_t r = 0; r < art.size(); r++) {
        for (size_t g = 0; g * 8 < art[r].size(); g++) {
            for (uint32_t p = 0; p < 4; p++) {
                uint32_t byte = 0;
                for (size_t d = 0; d < 8; d++) {
                    size_t n = g * 8 + d;
                    if (n < art[r].size() && (digit(art[r][n]) >> p) & 1) byte |= 0x80u >> d;
                }
                mem_write_byte_c(byte, 0xE00000 + p * 0x20000 + (uint32_t(y) + uint32_t(r)) * 128 + uint32_t(g));
            }
        }
    }
}

// PCG cell from 8 rows of 8 hex digits.
void pcg_cell(uint32_t cell, const std::vector<std::string>& art) {
    for (uint32_t r = 0; r < 8; r++) {
        uint32_t bits = 0;
        for (size_t d = 0; d < 8; d++)
            bits = (bits << 4) | uint32_t(r < art.size() && d < art[r].size() ? digit(art[r][d]) : 0);
        mem_write_long_c(bits, 0xEB8000 + cell * 32 + r * 4);
    }
}

// Sprite s at picture dot (x, y) (sprite plane placed so that sprite
// coordinate 16 is the first dot), pattern, palette block, priority.
void sprite(uint32_t s, int x, int y, uint32_t pattern, uint32_t block, uint32_t prio, uint32_t flips = 0) {
    uint32_t a = 0xEB0000 + 8 * s;
    write_word(a, uint32_t(x + 16));
    write_word(a + 2, uint32_t(y + 16));
    write_word(a + 4, flips | block << 8 | pattern);
    write_word(a + 6, prio);
}

class VideoCompose : public ::testing::TestWithParam<bool> {
protected:
    FrameBuffer fb;

    void SetUp() override {
        ASSERT_TRUE(machine_map_install());
        video_state_clear();
        vid_static_init();
        frame_buffer_setup(fb, GetParam());
        g_pal.change_count = g_pal.quiet_frames = 0;
        std::fill(fb.pixels.begin(), fb.pixels.end(), CANARY);
        // A 16 x 8 picture, 16 colours, 512 lines at 31 kHz (one raster a line).
        geometry(16, 8, 0x0015);
        emu_clear_requests();
    }
    void TearDown() override { emu_clear_requests(); }

    // Picture of w dots and h raster lines; R20 mode in `r20`.
    void geometry(int w, int h, uint32_t r20) {
        crtc(CRTC_H_DISP_START, 0);
        crtc(CRTC_H_DISP_END, uint32_t(w / 8));
        crtc(CRTC_V_DISP_START, 40);
        crtc(CRTC_V_DISP_END, 40 + uint32_t(h));
        crtc(CRTC_MODE, r20);
        mem_map_set_gvram();
        emu_clear_requests();
    }

    // Frame start, then the start of the vertical display.
    void start_frame() { video_start_frame(); }
    void at_raster(uint32_t n) { emu_set_raster_line(crtc_reg(CRTC_V_DISP_START) + n); }

    void render(uint8_t* buffer = nullptr) {
        pal_refresh_pacing();
        g_video.vid_render_frame(buffer ? buffer : fb.bytes(), FB_ROWS, -1);
    }
    void frame() {
        start_frame();
        render();
    }

    uint16_t pixel(char c) const { return GetParam() ? colour(c).p565 : colour(c).p555; }
    uint16_t at(int32_t n, int32_t i) const { return fb.pixels[size_t(16 + i) * ROW + size_t(16 + n)]; }

    // The visible picture against the art, and the canary around it (left,
    // top, below, and right up to `right` dots past the picture).
    void expect_picture(const std::vector<std::string>& art, int32_t right = 16) {
        const int32_t w = g_video.src_width, h = g_video.src_height;
        ASSERT_EQ(h, int32_t(art.size()));
        for (int32_t i = 0; i < h; i++) {
            ASSERT_EQ(w, int32_t(art[size_t(i)].size()));
            std::string got;
            for (int32_t n = 0; n < w; n++) {
                char found = '?';
                for (const Colour& k : kColours)
                    if ((GetParam() ? k.p565 : k.p555) == at(n, i)) found = k.c;
                got += found;
            }
            EXPECT_EQ(got, art[size_t(i)]) << "line " << i;
        }
        for (int32_t y = 0; y < 16 + h + 16; y++)
            for (int32_t x = 0; x < 16 + w + right; x++) {
                bool inside = y >= 16 && y < 16 + h && x >= 16 && x < 16 + w;
                if (inside) continue;
                ASSERT_EQ(fb.pixels[size_t(y) * ROW + size_t(x)], CANARY) << "x " << x << " y " << y;
            }
    }
};

INSTANTIATE_TEST_SUITE_P(Formats, VideoCompose, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "rgb565" : "rgb555"; });

// Graphic page 0 (R) covers dots 0-11, text (B) 4-15, a sprite (Y) 8-15:
// the front layer shows where they overlap. Priorities are R1 high fields
// GR bits 0-1, TX 2-3, SP 4-5; 3 counts as 2; a tie draws graphic, then
// sprites, then text, so the later one is in front.
TEST_P(VideoCompose, LayerPriorityWithTiesAndThreeCountedAsTwo) {
    palette(1, 'R');
    palette(257, 'B');
    palette(256 + 16 + 1, 'Y');
    std::string g_row = "111111111111....", t_row = "....111111111111";
    graphic16(0, 0, 0, std::vector<std::string>(8, g_row));
    text(0, std::vector<std::string>(8, t_row));
    pcg_cell(4, std::vector<std::string>(8, "11111111"));
    sprite(0, 8, 0, 1, 1, 3);
    write_word(0xEB080C, 4);   // horizontal offset 0
    write_word(0xEB080E, 40);  // vertical offset 0 (R06)
    write_word(0xEB0810, 0x04);
    write_word(0xEB0808, 0x200);
    vc(0, 0);
    vc(2, 0x61);  // sprites, text, graphic position 0

    struct Case {
        uint32_t r1_high;
        const char* front_to_back;
    };
    const Case cases[] = {
        {0x24, "GTS"},  // GR 0, TX 1, SP 2
        {0x06, "STG"},  // GR 2, TX 1, SP 0
        {0x12, "TSG"},  // GR 2, TX 0, SP 1
        {0x27, "TSG"},  // GR 3 = 2 ties SP 2: sprites over graphic; TX 1 in front
        {0x00, "TSG"},  // all tied
        {0x3D, "GTS"},  // GR 1; TX 3 and SP 3 tie at 2: text over sprites
        {0x3F, "TSG"},  // all 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.r1_high);
        vc(1, c.r1_high << 8 | 0xE4);
        std::fill(fb.pixels.begin(), fb.pixels.end(), CANARY);
        frame();
        std::string row;
        for (int n = 0; n < 16; n++) {
            bool present[3] = {g_row[size_t(n)] != '.', t_row[size_t(n)] != '.', n >= 8};
            char top = '.';
            for (const char* l = c.front_to_back; *l && top == '.'; l++) {
                int k = *l == 'G' ? 0 : *l == 'T' ? 1 : 2;
                if (present[k]) top = "RBY"[k];
            }
            row += top;
        }
        expect_picture(std::vector<std::string>(8, row));
    }
}

// The layer byte and the text X scroll rewritten mid-frame take effect from
// the output line of their raster line, by the line step of R20.
TEST_P(VideoCompose, RasterSplitOfLayerByteAndTextScroll) {
    palette(257, 'B');
    palette(1, 'K');
    graphic16(0, 0, 0, std::vector<std::string>(8, "1..............."));
    text(0, std::vector<std::string>(8, "1111............"));
    vc(1, 0x2400 | 0xE4);  // graphic in front of text

    struct Case {
        uint32_t r20;          // line step 2: raster i; step 4: raster 2i; step 1: raster i/2
        int raster_lines;      // R07 - R06
        uint32_t scroll_at;    // raster line of the X scroll write
        uint32_t text_off_at;  // raster line of the layer-byte write
        std::vector<std::string> picture;
    };
    const Case cases[] = {
        {0x0015,
         8,
         2,
         5,
         {"K111............", "K111............", "K1..............", "K1..............", "K1..............",
          "K...............", "K...............", "K..............."}},
        {0x0010,
         16,
         4,
         10,  // 256 lines at 31 kHz: output line i shows raster 2i
         {"K111............", "K111............", "K1..............", "K1..............", "K1..............",
          "K...............", "K...............", "K..............."}},
        {0x0005,
         4,
         1,
         3,  // 15 kHz, 512 lines: two output lines per raster
         {"K111............", "K111............", "K1..............", "K1..............", "K1..............",
          "K1..............", "K...............", "K..............."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.r20);
        geometry(16, c.raster_lines, c.r20);
        graphic16(0, 0, 0, std::vector<std::string>(8, "1..............."));
        crtc(CRTC_TEXT_X, 0);
        vc(2, 0x21);
        std::fill(fb.pixels.begin(), fb.pixels.end(), CANARY);
        start_frame();
        at_raster(c.scroll_at);
        crtc(CRTC_TEXT_X, 2);  // the text moves 2 dots left
        at_raster(c.text_off_at);
        vc(2, 0x01);  // text off
        render();
        // Text dots 0-3 shifted by 2 show at dots 0-1, behind the graphic dot 0.
        std::vector<std::string> expected = c.picture;
        for (std::string& row : expected)
            for (char& ch : row) ch = ch == '1' ? 'B' : ch;
        expect_picture(expected);
    }
}

// Nothing enabled: no layer fills the lines, they keep what they held.
TEST_P(VideoCompose, NoLayerEnabledLeavesTheLinesAlone) {
    palette(0, 'R');
    palette(256, 'G');
    vc(2, 0x00);
    frame();
    for (int32_t i = 0; i < 8; i++)
        for (int32_t n = 0; n < 16; n++) ASSERT_EQ(at(n, i), CANARY);
    EXPECT_GT(g_video.dirty_top, g_video.dirty_bottom);
}

// After a first full frame, writing one text line redraws just that line:
// the inclusive dirty range is that single line.
TEST_P(VideoCompose, OneLineChangeIsShown) {
    palette(257, 'B');
    vc(1, 0x0400 | 0xE4);
    vc(2, 0x20);
    frame();
    frame();  // past the scroll and mode redraws
    for (int k = 0; k < 20; k++) frame();
    text(5, {"1......1"});
    frame();
    EXPECT_EQ(g_video.dirty_top, 5);
    EXPECT_EQ(g_video.dirty_bottom, 5);
    expect_picture({"................", "................", "................", "................", "................",
                    "B......B........", "................", "................"});
}

// Redraw pacing: a text Y scroll redraws every line in its frame and the
// next, then only written lines; a frame with sprites displayed is redrawn
// whole; a request during the hold-off waits 16 frames.
TEST_P(VideoCompose, RedrawPacing) {
    vc(2, 0x20);
    for (int k = 0; k < 20; k++) frame();
    auto redrawn = [] { return int(std::count(g_video.line_redraw, g_video.line_redraw + 8, 1)); };
    frame();
    EXPECT_EQ(redrawn(), 0);
    crtc(CRTC_TEXT_Y, 3);
    frame();
    EXPECT_EQ(redrawn(), 8);
    frame();
    EXPECT_EQ(redrawn(), 8);
    frame();
    EXPECT_EQ(redrawn(), 0);
    text(3 + 6, {"1"});  // text line 9 shows on output line 6
    frame();
    EXPECT_EQ(redrawn(), 1);
    EXPECT_EQ(g_video.line_redraw[6], 1);

    write_word(0xEB0808, 0x200);
    vc(2, 0x60);
    frame();
    for (int k = 0; k < 3; k++) {
        frame();
        EXPECT_EQ(redrawn(), 8);
    }
    vc(2, 0x20);
    for (int k = 0; k < 20; k++) frame();

    // Right after a full redraw a request is held for 16 frames.
    g_video.g_full_redraw_countdown = 1;
    frame();
    vid_request_full_redraw();
    int frames = 0;
    do {
        frame();
        frames++;
    } while (redrawn() != 8 && frames < 40);
    EXPECT_EQ(frames, 16);
    // Outside the hold-off it comes at the next frame.
    for (int k = 0; k < 20; k++) frame();
    vid_request_full_redraw();
    frame();
    EXPECT_EQ(redrawn(), 8);
}

// Picture geometry and display scale; degenerate CRTC settings are held to
// the buffer and the composition stays inside it.
TEST(VideoGeometry, SizeAndScaleTable) {
    flat_bus_install();
    ASSERT_TRUE(mem_alloc_images());
    ASSERT_TRUE(mem_alloc_main_ram(0x400000));
    ASSERT_EQ(mem_map_build(), 0);
    g_video_host = {};
    vid_static_init();
    FrameBuffer fb;
    frame_buffer_setup(fb, false);
    struct Case {
        uint16_t r02, r03, r06, r07, r20;
        int32_t crt;
        uint8_t port7;
        int32_t width, height, h_scale, v_scale;
    };
    const Case cases[] = {
        {5, 5, 40, 40, 0x0015, 2, 0, 768, 512, 4096, 1024},      // R02 = R03, R06 = R07
        {4, 36, 40, 552, 0x0010, 2, 0, 256, 256, 4096, 1024},    // 256 lines at 31 kHz
        {4, 36, 16, 272, 0x0000, 0, 0, 256, 256, 8192, 2048},    // CRT 0, 256 x 256 at 15 kHz
        {4, 36, 16, 272, 0x0000, 2, 0, 256, 256, 4096, 1024},    // CRT 2
        {4, 84, 40, 552, 0x0015, 0, 0, 640, 512, 4096, 1024},    // g = 1, 640 wide
        {4, 40, 40, 552, 0x0015, 0, 0, 288, 512, 8192, 1024},    // g = 1, below 384
        {4, 40, 40, 552, 0x0016, 1, 2, 288, 512, 4096, 1024},    // g = 6
        {4, 40, 40, 552, 0x0014, 1, 0, 288, 512, 10240, 1024},   // g = 0
        {4, 40, 40, 552, 0x0015, 1, 2, 288, 512, 8192, 1024},    // g = 5
        {4, 84, 40, 552, 0x0015, 1, 0, 640, 512, 5120, 1024},    // g = 1, 640 wide
        {0, 300, 40, 552, 0x0015, 2, 0, 1024, 512, 4096, 1024},  // too wide: the buffer's width
        {300, 0, 40, 552, 0x0015, 2, 0, 768, 512, 4096, 1024},   // negative width
        {4, 36, 0, 2000, 0x0015, 2, 0, 256, 848, 4096, 1024},    // too tall: the drawable lines
        {4, 36, 500, 100, 0x0015, 2, 0, 256, 512, 4096, 1024},   // negative height
        {4, 36, 0, 1, 0x0010, 2, 0, 256, 1, 4096, 1024},         // half a raster line: one line
    };
    std::vector<uint16_t> guarded(fb.pixels.size() + 4 * ROW, CANARY);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r02 << " " << c.r03 << " " << c.r06 << " " << c.r07 << " " << std::hex
                                        << c.r20 << " crt " << c.crt);
        g_crtc.regs[CRTC_H_DISP_START] = c.r02;
        g_crtc.regs[CRTC_H_DISP_END] = c.r03;
        g_crtc.regs[CRTC_V_DISP_START] = c.r06;
        g_crtc.regs[CRTC_V_DISP_END] = c.r07;
        g_crtc.regs[CRTC_MODE] = c.r20;
        g_sys.regs[SYS_DISPLAY] = c.port7;
        g_settings.crt = c.crt;
        // Everything on, to walk every renderer over the whole picture.
        g_pal.vc_regs[VC_R2_LOW] = 0x7F;
        g_video.g_full_redraw_countdown = 1;
        emu_latch_video_state();
        g_video.vid_render_frame(reinterpret_cast<uint8_t*>(guarded.data()), FB_ROWS, -1);
        EXPECT_EQ(g_video.src_width, c.width);
        EXPECT_EQ(g_video.src_height, c.height);
        EXPECT_EQ(g_video.h_scale, c.h_scale);
        EXPECT_EQ(g_video.v_scale, c.v_scale);
        for (size_t k = fb.pixels.size(); k < guarded.size(); k++) ASSERT_EQ(guarded[k], CANARY);
    }
    g_sys.regs[SYS_DISPLAY] = 0;
}

// After random VRAM writes, scrolls and layer switches, between frames and
// at raster lines within them, the kept picture equals a fresh full render
// of the same state. The fresh render takes the portable drawing paths, so
// the vector paths the kept one takes (where the host has them) are checked
// against them too.
TEST_P(VideoCompose, IncrementalRenderEqualsFreshRender) {
    geometry(64, 48, 0x0015);
    for (uint32_t j = 1; j < 16; j++) palette(j, kColours[1 + j % 7].c);
    for (uint32_t j = 257; j < 272; j++) palette(j, kColours[1 + (j * 3) % 7].c);
    vc(1, 0x2400 | 0xE4);
    const uint32_t layer_bytes[] = {0x23, 0x21, 0x03, 0x22, 0x20};
    vc(2, 0x23);
    std::vector<uint16_t> kept(fb.pixels.size()), fresh(fb.pixels.size());
    for (uint32_t seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        auto pick = [&](uint32_t n) { return uint32_t(rng() % n); };
        for (int step = 0; step < 150; step++) {
            // Most frames change little, so that kept lines matter.
            for (uint32_t k = pick(4); k > 0; k--) {
                if (pick(2)) write_word(0xC00000 + pick(2) * 0x80000 + (pick(512) * 512 + pick(80)) * 2, pick(16));
                else mem_write_byte_c(pick(256), 0xE00000 + pick(4) * 0x20000 + pick(80) * 128 + pick(10));
            }
            switch (pick(8)) {
            case 0:
                crtc(CrtcReg(CRTC_TEXT_X + pick(2)), pick(32));  // text scroll
                break;
            case 1:
                crtc(CrtcReg(CRTC_GR0_X + pick(4)), pick(24));  // graphic page 0/1 scroll
                break;
            case 2: vc(2, layer_bytes[pick(5)]); break;
            default: break;
            }
            start_frame();
            // A split: a register changed at one raster line and often put back
            // at a later one, so that the frame ends with the value it began with.
            switch (pick(4)) {
            case 0: {
                const CrtcReg regs[] = {CRTC_TEXT_X, CRTC_GR0_X, CRTC_GR1_X};
                const CrtcReg reg = regs[pick(3)];
                uint32_t old = crtc_reg(reg), first = pick(40);
                at_raster(first);
                crtc(reg, pick(32));
                if (pick(3)) {
                    at_raster(first + 1 + pick(8));
                    crtc(reg, old);
                }
                break;
            }
            case 1: {
                uint32_t old = g_pal.vc_regs[VC_R2_LOW], first = pick(40);
                at_raster(first);
                vc(2, layer_bytes[pick(5)]);
                at_raster(first + 1 + pick(8));
                vc(2, old);
                break;
            }
            default: break;
            }
            render();
            kept = fb.pixels;

            // A fresh render of the same state, from nothing kept; the record
            // holds all the composition state, so the kept run goes on from it.
            VideoState saved = g_video;
            std::fill(fresh.begin(), fresh.end(), CANARY);
            g_video.g_full_redraw_countdown = 1;
            g_video.full_redraw_counter = 0;
            std::memset(g_video.text_line_nonempty, 1, sizeof g_video.text_line_nonempty);
            std::memset(g_video.graphic_line_nonempty, 1, sizeof g_video.graphic_line_nonempty);
            const bool vector_paths = render::g_use_ssse3;
            render::g_use_ssse3 = false;
            g_video.vid_render_frame(reinterpret_cast<uint8_t*>(fresh.data()), FB_ROWS, -1);
            render::g_use_ssse3 = vector_paths;
            g_video = saved;

            for (int32_t i = 0; i < g_video.src_height; i++)
                for (int32_t n = 0; n < g_video.src_width; n++) {
                    size_t o = size_t(16 + i) * ROW + size_t(16 + n);
                    ASSERT_EQ(kept[o], fresh[o])
                        << "seed " << seed << " step " << step << " line " << i << " dot " << n;
                }
        }
    }
}

// The side copy never covers the visible picture, and the sprite plane has
// its 256-dot size before any sprite frame.
TEST_P(VideoCompose, SideCopyStaysOffThePicture) {
    EXPECT_EQ(g_video.sprite_plane_width, 256);
    EXPECT_EQ(g_video.sprite_plane_height, 256);
    const int32_t widths[] = {256, 512, 768};
    for (int32_t w : widths) {
        SCOPED_TRACE(w);
        geometry(w, 256, 0x0015);
        frame();
        for (int32_t i = 0; i < 256; i++)
            for (int32_t n = 0; n < w; n++) fb.pixels[size_t(16 + i) * ROW + size_t(16 + n)] = uint16_t(i * 7 + n);
        std::vector<uint16_t> before = fb.pixels;
        vid_draw_gzp_base(fb.bytes(), (256 + 8) * 2);
        const int32_t off = g_video.side_copy_offset / 2;
        EXPECT_GE(off, w + 16);
        for (int32_t y = 0; y < FB_ROWS; y++)
            for (int32_t x = 0; x < 16 + w + 16; x++)
                ASSERT_EQ(fb.pixels[size_t(y) * ROW + size_t(x)], before[size_t(y) * ROW + size_t(x)]);
        const int32_t copied = std::min(w, ROW - 16 - off);
        for (int32_t i = 0; i < 256; i++)
            for (int32_t n = 0; n < copied; n++)
                ASSERT_EQ(fb.pixels[size_t(16 + i) * ROW + size_t(16 + off + n)], uint16_t(i * 7 + n));
    }
}

// The buffer description and the screenshot of a composed picture.
TEST_P(VideoCompose, DescriptionAndScreenshot) {
    EXPECT_EQ(fb.info.size, 40u);
    EXPECT_EQ(fb.info.width, 1040);
    EXPECT_EQ(fb.info.height, -880);
    EXPECT_EQ(fb.info.bit_count, 16);
    EXPECT_EQ(fb.info.compression, 3u);
    EXPECT_EQ(fb.info.size_image, 880u * 2080u);
    EXPECT_EQ(fb.info.masks[0], GetParam() ? 0xF800u : 0x7C00u);
    EXPECT_EQ(fb.info.masks[1], GetParam() ? 0x07E0u : 0x03E0u);
    EXPECT_EQ(fb.info.masks[2], 0x001Fu);
    EXPECT_EQ(g_video_host.g_halftone_mask, GetParam() ? 0xF7DE : 0x7BDE);
    EXPECT_EQ(g_video_host.stride, 2080);
    EXPECT_EQ(g_video_host.buffer_height, 880);
    EXPECT_EQ(g_video_host.origin_offset, (2080 + 2) * 16);

    palette(1, 'R');
    palette(2, 'B');
    vc(1, 0x0000 | 0xE4);
    vc(2, 0x01);
    graphic16(0, 0, 0, {"12..............", "................", "...............1"});
    start_frame();
    // Each format's run has a file of its own: they may run side by side.
    std::string path = ::testing::TempDir() + "/compose_screenshot_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(frame_buffer_screenshot(fb, path));

    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(f);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    EXPECT_EQ(png_get_image_width(png, info), 16u);
    EXPECT_EQ(png_get_image_height(png, info), 8u);
    EXPECT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB);
    png_bytepp rows = png_get_rows(png, info);
    auto rgb = [&](int x, int y) {
        const png_byte* p = rows[y] + 3 * x;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    EXPECT_EQ(rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(rgb(1, 0), 0x0000FFu);
    EXPECT_EQ(rgb(2, 0), 0x000000u);
    EXPECT_EQ(rgb(15, 2), 0xFF0000u);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    std::remove(path.c_str());
}

}  // namespace
