#include <gtest/gtest.h>

#include <cstring>

#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/system_port.h"
#include "support/powered_on.h"
#include "video/palette.h"
#include "video/video_state.h"

namespace {

constexpr uint32_t PAL = 0xE82000;
constexpr uint32_t CONTRAST = 0xE8E001;

class VideoPalette : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        std::memset(g_pal.palette, 0, sizeof g_pal.palette);
        std::memset(g_pal.vc_regs, 0, sizeof g_pal.vc_regs);
        std::memset(g_video.g_line_log_layers, 0, sizeof g_video.g_line_log_layers);
        g_video_host.rgb565 = 0;
        g_video.g_redraw_holdoff = 0;
        g_pal.change_count = 0;
        g_pal.quiet_frames = 0;
        g_machine.frame.raster_line = 0;
        pal_alloc_lut();
        g_video.g_full_redraw_countdown = 0;
    }
    // Sets the contrast through the system port, as a program does.
    static void contrast(uint32_t c) { SYSTEM_PORT_BUS.write_byte(CONTRAST, c); }
};

TEST_F(VideoPalette, ColourWordsBecomeHostPixelsByContrastAndFormat) {
    struct Case {
        int rgb565;
        uint32_t contrast;
        uint16_t word, pixel;
    };
    const Case cases[] = {
        {0, 15, 0xFFFF, 0xFFFF}, {0, 15, 0xF800, 0x03E0}, {0, 15, 0x07C0, 0x7C00}, {0, 15, 0x003E, 0x001F},
        {0, 15, 0x0001, 0x8000}, {0, 15, 0x0000, 0x0000}, {1, 15, 0x0001, 0x0020}, {1, 15, 0xF800, 0x07C0},
        {1, 15, 0x07C0, 0xF800}, {1, 15, 0xFFFF, 0xFFFF}, {1, 15, 0x003E, 0x001F}, {0, 0, 0xFFFE, 0x8000},
        {1, 0, 0xFFFE, 0x0020},  {0, 0, 0x0000, 0x0000},  {0, 7, 0xF800, 0x01C0},  {1, 7, 0x07C0, 14 << 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "565 " << c.rgb565 << " contrast " << c.contrast << " word " << std::hex
                                        << c.word);
        g_video_host.rgb565 = c.rgb565;
        contrast(c.contrast);
        EXPECT_EQ(g_pal_lut[c.word], c.pixel);
    }
}

TEST_F(VideoPalette, OnlyColourWordZeroIsTransparentAtAnyContrast) {
    for (int rgb565 = 0; rgb565 <= 1; rgb565++) {
        g_video_host.rgb565 = rgb565;
        for (uint32_t c = 0; c < 16; c++) {
            contrast(c);
            uint32_t zeros = 0;
            for (uint32_t w = 1; w < 0x10000; w++) zeros += g_pal_lut[w] == 0;
            EXPECT_EQ(zeros, 0u) << "565 " << rgb565 << " contrast " << c;
            EXPECT_EQ(g_pal_lut[0], 0);
        }
    }
}

TEST_F(VideoPalette, ARebuildRedrawsTheNextFrameAndTheSameContrastDoesNothing) {
    contrast(9);
    EXPECT_EQ(g_sys.last_contrast, 9u);
    EXPECT_EQ(g_video.g_full_redraw_countdown, 1);
    g_video.g_full_redraw_countdown = 0;
    contrast(0x19);  // only bits 0-3 count
    EXPECT_EQ(g_video.g_full_redraw_countdown, 0);

    // The host format changed under an unchanged contrast: the table follows.
    g_video_host.rgb565 = 1;
    pal_build_lut();
    EXPECT_EQ(g_pal_lut[0x0001], 0x0020);
}

TEST_F(VideoPalette, ContrastZeroAfterAMachineStartDarkensThePicture) {
    // The start forgets the last contrast as 0 while the table still holds 15.
    EXPECT_EQ(g_pal_lut[0xFFFE], 0x7FFF);
    g_sys.last_contrast = 0;
    contrast(0);
    EXPECT_EQ(g_pal_lut[0xFFFE], 0x8000);
    EXPECT_EQ(g_video.g_full_redraw_countdown, 1);
}

TEST_F(VideoPalette, SlotDecodesPaletteRegistersAndEmptyRange) {
    PALETTE_BUS.write_word(PAL + 0x3FE, 0x1234);  // last palette word
    PALETTE_BUS.write_byte(PAL + 0x400, 0xA1);    // R0 high
    PALETTE_BUS.write_byte(PAL + 0x4FF, 0xA2);    // R0 low, through its image
    PALETTE_BUS.write_word(PAL + 0x500, 0xB1B2);  // R1
    PALETTE_BUS.write_word(PAL + 0x6FE, 0xC1C2);  // R2 through its image
    PALETTE_BUS.write_byte(PAL + 0x700, 0x77);    // nothing there

    EXPECT_EQ(pal_word(511), 0x1234u);
    const uint8_t regs[6] = {0xA1, 0xA2, 0xB1, 0xB2, 0xC1, 0xC2};
    EXPECT_EQ(std::memcmp(g_pal.vc_regs, regs, 6), 0);

    struct Case {
        uint32_t addr;
        uint32_t byte;
    };
    const Case cases[] = {{0x3FE, 0x12}, {0x3FF, 0x34}, {0x402, 0xA1}, {0x4F1, 0xA2},
                          {0x5FE, 0xB1}, {0x601, 0xC2}, {0x700, 0},    {0x1FFF, 0}};
    for (const Case& c : cases) EXPECT_EQ(PALETTE_BUS.read_byte(PAL + c.addr), c.byte) << std::hex << c.addr;
    EXPECT_EQ(PALETTE_BUS.read_word(PAL + 0x500), 0xB1B2u);
    EXPECT_EQ(PALETTE_BUS.read_long(PAL + 0x3FC), 0x00001234u);
    EXPECT_EQ(PALETTE_BUS.read_long(PAL + 0x600), 0xC1C2C1C2u);  // R2 and its image
}

TEST_F(VideoPalette, PaletteWritesCountAndRegisterWritesRearmARunningCountdown) {
    g_video.g_full_redraw_countdown = 5;
    PALETTE_BUS.write_long(PAL + 0x10, 0x11112222);
    EXPECT_EQ(g_pal.change_count, 4u);
    EXPECT_EQ(g_video.g_full_redraw_countdown, 5);  // palette writes leave it alone

    struct Case {
        uint16_t countdown, holdoff, after;
    };
    const Case cases[] = {{0, 0, 0}, {0, 9, 0}, {5, 0, 1}, {5, 9, 16}};
    for (const Case& c : cases) {
        g_video.g_full_redraw_countdown = c.countdown;
        g_video.g_redraw_holdoff = c.holdoff;
        PALETTE_BUS.write_byte(PAL + 0x501, 0x24);
        EXPECT_EQ(g_video.g_full_redraw_countdown, c.after) << c.countdown << " " << c.holdoff;
    }
    EXPECT_EQ(g_pal.change_count, 4u);
}

TEST_F(VideoPalette, LayerByteIsLoggedAtItsRasterLine) {
    g_machine.frame.raster_line = 300;
    PALETTE_BUS.write_byte(PAL + 0x601, 0x25);
    PALETTE_BUS.write_byte(PAL + 0x600, 0x44);  // the high byte is not logged
    g_machine.frame.raster_line = 511;
    PALETTE_BUS.write_word(PAL + 0x6F2, 0x0060);  // an image of R2, word write
    for (int line = 0; line < 512; line++) {
        uint8_t expected = line == 300 ? 0xA5 : line == 511 ? 0xE0 : 0;
        EXPECT_EQ(g_video.g_line_log_layers[line], expected) << line;
    }
}

// Calls of the pacing until it asks for a redraw (0: not within limit).
int calls_until_redraw(int limit) {
    for (int n = 1; n <= limit; n++) {
        pal_refresh_pacing();
        if (g_video.g_full_redraw_countdown != 0) {
            g_video.g_full_redraw_countdown = 0;
            return n;
        }
    }
    return 0;
}

TEST_F(VideoPalette, PacingTurnsPaletteWritesIntoRedrawRequests) {
    g_video.g_full_redraw_countdown = 0;
    // Without palette writes: every 201st frame.
    EXPECT_EQ(calls_until_redraw(300), 201);
    EXPECT_EQ(calls_until_redraw(300), 201);

    // PAL on: the frame after a write.
    PALETTE_BUS.write_byte(PAL + 2, 1);
    EXPECT_EQ(calls_until_redraw(300), 1);

    // PAL off: one write shows on the 30th frame, thirty writes at once.
    g_settings.pal = 0;
    PALETTE_BUS.write_byte(PAL + 2, 1);
    EXPECT_EQ(calls_until_redraw(300), 30);
    for (int i = 0; i < 30; i++) PALETTE_BUS.write_byte(PAL + 2, i);
    EXPECT_EQ(calls_until_redraw(300), 1);
    EXPECT_EQ(g_pal.change_count, 0u);
    EXPECT_EQ(g_pal.quiet_frames, 0u);
}

}  // namespace
