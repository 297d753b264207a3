// The video devices as start-up sees them: power-on gives the same state
// bytes however the devices were driven before, a run from power-on is
// repeatable, and the peeks of I/O slots 0 and 1 are reads without side
// effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <vector>

#include "core/bus.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "support/machine_map.h"
#include "video/crtc.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct VideoDevice {
    const char* name;
    void (*power_on)();
    std::span<const uint8_t> (*state)();
};
const VideoDevice kDevices[] = {
    {"CRTC", crtc_power_on, crtc_state},           {"palette and video controller", pal_power_on, pal_state},
    {"sprite unit", spr_power_on, spr_state},      {"text VRAM", tvram_power_on, tvram_state},
    {"graphic VRAM", gvram_power_on, gvram_state}, {"composition", vid_power_on, vid_state},
};

Bytes bytes_of(std::span<const uint8_t> s) { return {s.begin(), s.end()}; }

void power_on_all() {
    for (const VideoDevice& d : kDevices) d.power_on();
}
std::vector<Bytes> states() {
    std::vector<Bytes> all;
    for (const VideoDevice& d : kDevices) all.push_back(bytes_of(d.state()));
    return all;
}

void crtc(CrtcReg reg, uint32_t v) { mem_write_word_c(v, CRTC_BASE + 2 * reg); }
void palette(uint32_t index, uint32_t word) { mem_write_word_c(word, PAL_BASE + 2 * index); }
void vc(uint32_t reg, uint32_t v) { mem_write_word_c(v, PAL_BASE + 0x400 + 0x100 * reg); }
void sprite_word(uint32_t offset, uint32_t v) { mem_write_word_c(v, SPRITE_AREA_BASE + offset); }

class VideoDevices : public ::testing::Test {
protected:
    FrameBuffer fb;

    void SetUp() override {
        ASSERT_TRUE(machine_map_install());
        vid_static_init();
        frame_buffer_setup(fb, true);
        power_on_all();
        emu_clear_requests();
    }
    void TearDown() override { emu_clear_requests(); }

    void start_frame() { video_start_frame(); }
    void render() {
        pal_refresh_pacing();
        g_video.vid_render_frame(fb.bytes(), FB_ROWS, -1);
    }

    // Every device written through the bus, and two frames composed with
    // mid-frame changes: text and graphic pixels, sprites and both BG
    // planes, scroll splits and a sprite table snapshot. Returns the
    // composition's state after each frame.
    std::vector<Bytes> drive() {
        std::vector<Bytes> frames;
        std::fill(fb.pixels.begin(), fb.pixels.end(), uint16_t(0x5A5A));
        crtc(CRTC_H_DISP_START, 0);
        crtc(CRTC_H_DISP_END, 4);  // 32 dots
        crtc(CRTC_V_DISP_START, 40);
        crtc(CRTC_V_DISP_END, 56);  // 16 lines
        crtc(CRTC_MODE, 0x0015);    // 16 colours, 512 lines at 31 kHz
        mem_map_set_gvram();
        crtc(CRTC_GR0_Y, 7);
        for (uint32_t j = 1; j < 16; j++) {
            palette(j, 0x0842 * j);
            palette(256 + j, 0xF800 | j << 1);
            palette(272 + j, 0x07C0 | j << 1);
        }
        vc(0, 0);
        vc(1, 0x24E4);
        vc(2, 0x0061);  // sprites/BG, text, graphic page 0
        for (uint32_t i = 0; i < 16; i++) {
            mem_write_byte_c(0xF0 >> (i % 4), TVRAM_BASE + (3 + i) * 128 + i / 8);
            mem_write_word_c(i, GVRAM_BASE + ((7 + i) * 512 + i) * 2);
        }
        for (uint32_t r = 0; r < 8; r++) mem_write_long_c(0x12345678, SPRITE_AREA_BASE + SPR_PCG + 4 * 32 + 4 * r);
        sprite_word(SPR_TABLE, 16 + 4);
        sprite_word(SPR_TABLE + 2, 16 + 2);
        sprite_word(SPR_TABLE + 4, 0x0101);
        sprite_word(SPR_TABLE + 6, 3);
        sprite_word(SPR_H_DISP, 4);
        sprite_word(SPR_V_DISP, 40);
        sprite_word(SPR_RESOLUTION, 0x0004);
        sprite_word(SPR_BG_CTRL, 0x0219);
        emu_clear_requests();

        for (uint32_t f = 0; f < 2; f++) {
            start_frame();
            // A text split that ends with the value the frame began with.
            emu_set_raster_line(crtc_reg(CRTC_V_DISP_START) + 4);
            crtc(CRTC_TEXT_X, 2);
            crtc(CRTC_GR0_X, 1);
            sprite_word(SPR_BG0_X, 3);
            // A raster interrupt arms the snapshot; the table write takes it.
            g_sprite_unit.cur_raster = g_machine.frame.raster_line;
            g_sprite_unit.armed = 1;
            sprite_word(SPR_TABLE, 16 + 9);
            emu_set_raster_line(crtc_reg(CRTC_V_DISP_START) + 8);
            crtc(CRTC_TEXT_X, 0);
            vc(2, 0x0041);  // text off from here
            render();
            vc(2, 0x0061);
            frames.push_back(bytes_of(vid_state()));
        }
        // The operation port: a read toggles, a write copies a text raster.
        mem_read_byte_c(CRTC_BASE + 0x481);
        crtc(CRTC_TEXT_ACCESS, 0x0001);
        crtc(CRTC_RASTER_COPY, 0x0001);
        mem_write_byte_c(CRTC_OP_RASTER_COPY, CRTC_BASE + 0x481);
        emu_clear_requests();
        return frames;
    }
};

TEST_F(VideoDevices, PowerOnGivesTheSameStateHoweverTheDevicesWereDriven) {
    const std::vector<Bytes> first = states();
    drive();
    ASSERT_NE(g_video.dirty_top, g_video.dirty_bottom + 1) << "nothing was drawn";
    const std::vector<Bytes> driven = states();
    for (size_t k = 0; k < std::size(kDevices); k++)
        EXPECT_FALSE(driven[k] == first[k]) << kDevices[k].name << " was not driven";

    power_on_all();
    const std::vector<Bytes> again = states();
    for (size_t k = 0; k < std::size(kDevices); k++) EXPECT_TRUE(again[k] == first[k]) << kDevices[k].name;
    EXPECT_TRUE(std::all_of(g_sprite_area, g_sprite_area + SPRITE_AREA_SIZE, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(g_render_trace.empty());
}

// No state outside the records: the same run from power-on gives the same
// picture and the same state bytes.
TEST_F(VideoDevices, ARunFromPowerOnIsRepeatable) {
    const std::vector<Bytes> frames = drive();
    const std::vector<uint16_t> picture = fb.pixels;
    const std::vector<Bytes> after = states();
    power_on_all();
    const std::vector<Bytes> frames_again = drive();
    EXPECT_TRUE(fb.pixels == picture);
    for (size_t f = 0; f < frames.size(); f++) EXPECT_TRUE(frames_again[f] == frames[f]) << "frame " << f;
    const std::vector<Bytes> again = states();
    for (size_t k = 0; k < std::size(kDevices); k++) EXPECT_TRUE(again[k] == after[k]) << kDevices[k].name;
}

// The colour table is a cache of the contrast and the host format: kept
// while they stay, made afresh after a power-on.
TEST_F(VideoDevices, PowerOnMakesTheColourTableAfresh) {
    constexpr uint32_t RED = 0x07C0;
    pal_build_lut();
    const uint16_t made = g_pal_lut[RED];
    g_pal_lut[RED] = uint16_t(made ^ 0x1234);
    pal_build_lut();
    EXPECT_EQ(g_pal_lut[RED], made ^ 0x1234) << "rebuilt although nothing changed";
    pal_power_on();
    pal_build_lut();
    EXPECT_EQ(g_pal_lut[RED], made);
}

// Every address of slots 0 and 1: the peek is the byte a read gives, and
// it changes no state. The only side effect of a read is the operation
// port's bit 1, which the peek shows as it stands before the read.
TEST_F(VideoDevices, PeeksAreReadsWithoutSideEffects) {
    for (uint32_t r = 0; r < CRTC_REGS; r++) g_crtc.regs[r] = uint16_t(0x0101 * (r + 1) ^ 0x8040);
    for (uint32_t i = 0; i < sizeof g_pal.palette; i++) g_pal.palette[i] = uint8_t(i * 7 + 3);
    for (uint32_t i = 0; i < VC_BYTES; i++) {
        g_pal.vc_regs[i] = uint8_t(0xA1 + i);
        g_pal.vc_latch[i] = uint8_t(0x51 + i);
    }
    g_crtc.op_port = 0;
    constexpr size_t OP_PORT_BYTE = offsetof(CrtcState, op_port);
    constexpr uint32_t SLOT_SIZE = 0x2000;  // one I/O slot
    // The slots' own devices, checked at every address; all of them at the end.
    auto slot_states = [] { return std::vector<Bytes>{bytes_of(crtc_state()), bytes_of(pal_state())}; };
    const std::vector<Bytes> all_before = states();

    struct Slot {
        const char* name;
        uint32_t base;
        uint32_t (*peek)(uint32_t);
        uint32_t (*read)(uint32_t);
    };
    const Slot slots[] = {
        {"CRTC", CRTC_BASE, CRTC_BUS.peek_byte, CRTC_BUS.read_byte},
        {"palette", PAL_BASE, PALETTE_BUS.peek_byte, PALETTE_BUS.read_byte},
    };
    uint32_t toggles = 0, nonzero = 0;
    for (const Slot& s : slots) {
        SCOPED_TRACE(s.name);
        for (uint32_t addr = s.base; addr < s.base + SLOT_SIZE; addr++) {
            const std::vector<Bytes> before = slot_states();
            const uint32_t peeked = s.peek(addr);
            ASSERT_TRUE(slot_states() == before) << std::hex << "peek of " << addr << " changed state";
            const uint32_t read = s.read(addr);
            std::vector<Bytes> expected = before;
            if (crtc_state()[OP_PORT_BYTE] != before[0][OP_PORT_BYTE]) {
                toggles++;
                expected[0][OP_PORT_BYTE] ^= CRTC_OP_READ_TOGGLE;
                ASSERT_EQ(read, peeked ^ CRTC_OP_READ_TOGGLE) << std::hex << addr;
                ASSERT_EQ(s.peek(addr), read) << std::hex << addr;
            } else {
                ASSERT_EQ(read, peeked) << std::hex << addr;
            }
            ASSERT_TRUE(slot_states() == expected) << std::hex << "read of " << addr << " changed more than the port";
            nonzero += peeked != 0;
        }
    }
    EXPECT_GT(toggles, 0u);
    EXPECT_GT(nonzero, 0u);
    std::vector<Bytes> all_expected = all_before;
    if (toggles % 2) all_expected[0][OP_PORT_BYTE] ^= CRTC_OP_READ_TOGGLE;
    EXPECT_TRUE(states() == all_expected) << "the sweep changed another device";
    // The port as the debugger sees it between two reads.
    g_crtc.op_port = 0;
    EXPECT_EQ(CRTC_BUS.peek_byte(CRTC_BASE + 0x481), 0u);
    EXPECT_EQ(CRTC_BUS.read_byte(CRTC_BASE + 0x481), CRTC_OP_READ_TOGGLE);
    EXPECT_EQ(CRTC_BUS.peek_byte(CRTC_BASE + 0x481), CRTC_OP_READ_TOGGLE);
    EXPECT_EQ(CRTC_BUS.peek_byte(CRTC_BASE + 0x481), CRTC_OP_READ_TOGGLE);
}

}  // namespace
