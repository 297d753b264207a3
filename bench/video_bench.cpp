// Frame composition: one full-redraw frame of 768 x 512 with every layer on
// (16-colour graphic, text, 128 sprites and both BG planes), in microseconds
// per frame. The argument is the number of graphic pages shown (1 or 4).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "machine/memory_map.h"
#include "video/crtc.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace {

void put_word(uint8_t* image, uint32_t offset, uint32_t v) {
    image[offset] = uint8_t(v >> 8);
    image[offset + 1] = uint8_t(v);
}

// A busy screen: every layer holds pixels on every line.
void set_up_machine(FrameBuffer& fb, uint32_t pages) {
    if (!mem_alloc_images()) std::abort();
    vid_static_init();
    frame_buffer_setup(fb, true);
    std::mt19937 rng(68000);

    g_crtc.regs[CRTC_H_DISP_START] = 4;
    g_crtc.regs[CRTC_H_DISP_END] = 100;  // 96 x 8 = 768 dots
    g_crtc.regs[CRTC_V_DISP_START] = 40;
    g_crtc.regs[CRTC_V_DISP_END] = 552;  // 512 lines
    g_crtc.regs[CRTC_MODE] = 0x0016;     // 16 colours, 512 lines at 31 kHz
    for (uint32_t r = 10; r < 20; r++) g_crtc.regs[r] = uint16_t(rng() % 64);

    for (uint32_t j = 0; j < 512; j++) put_word(g_pal.palette, 2 * j, j == 0 || j == 256 ? 0 : 0x0842 * (j % 31 + 1));
    // Sparse graphic pixels on the back pages, dense on the front one.
    for (uint32_t p = 0; p < 4; p++)
        for (uint32_t i = 0; i < 0x40000; i++)
            g_gvram[p * 0x40000 + i] = uint8_t(rng() % (p == 0 ? 4 : 16) == 0 ? rng() % 16 : 0);
    for (uint32_t i = 0; i < TVRAM_SIZE; i++) g_tvram[i] = uint8_t(rng() % 3 == 0 ? rng() : 0);

    std::memset(g_sprite_area, 0, SPRITE_AREA_SIZE);
    for (uint32_t i = SPR_PCG; i < SPRITE_AREA_SIZE; i++) g_sprite_area[i] = uint8_t(rng());
    for (uint32_t s = 0; s < 128; s++) {
        put_word(g_sprite_area, 8 * s, 16 + rng() % 768);
        put_word(g_sprite_area, 8 * s + 2, 16 + rng() % 512);
        put_word(g_sprite_area, 8 * s + 4, (rng() & 0xCF00) | (rng() & 0xFF));
        put_word(g_sprite_area, 8 * s + 6, 1 + rng() % 3);
    }
    for (uint32_t i = 0; i < 0x1000; i++) {
        put_word(g_sprite_area, SPR_BG_MAP0 + 2 * i, (rng() & 0xCF00) | (rng() & 0xFF));
        put_word(g_sprite_area, SPR_BG_MAP1 + 2 * i, (rng() & 0xCF00) | (rng() & 0xFF));
    }
    put_word(g_sprite_area, SPR_BG0_X, 3);
    put_word(g_sprite_area, SPR_BG0_Y, 5);
    put_word(g_sprite_area, SPR_BG1_X, 7);
    put_word(g_sprite_area, SPR_BG1_Y, 9);
    put_word(g_sprite_area, SPR_BG_CTRL, 0x0219);  // displayed, BG0 on, BG1 on from map page 1
    put_word(g_sprite_area, SPR_H_DISP, 4 + 4);
    put_word(g_sprite_area, SPR_V_DISP, 40);
    put_word(g_sprite_area, SPR_RESOLUTION, 0x0004);  // 256-dot plane: both BG planes shown
    g_sprite_unit.resolution = 0x0004;

    g_pal.vc_regs[VC_R0_LOW] = 0;
    g_pal.vc_regs[VC_R1_HIGH] = 0x12;  // graphic at the back, sprites, text in front
    g_pal.vc_regs[VC_R1_LOW] = 0xE4;
    g_pal.vc_regs[VC_R2_HIGH] = 0;
    g_pal.vc_regs[VC_R2_LOW] = uint8_t(0x60 | ((1u << pages) - 1));  // sprites/BG, text, graphic
    std::memcpy(g_pal.vc_latch, g_pal.vc_regs, sizeof g_pal.vc_latch);
}

void BM_ComposeFullFrame(benchmark::State& state) {
    static FrameBuffer fb;
    set_up_machine(fb, uint32_t(state.range(0)));
    // A first frame examines every line cache once.
    emu_latch_video_state();
    g_video.vid_render_frame(fb.bytes(), FB_ROWS, -1);
    for (auto _ : state) {
        emu_latch_video_state();
        g_video.vid_render_frame(fb.bytes(), FB_ROWS, -1);
        benchmark::DoNotOptimize(fb.pixels.data());
        if (g_video.src_width != 768 || g_video.src_height != 512 || g_video.dirty_top != 0 ||
            g_video.dirty_bottom != 511) {
            state.SkipWithError("not a full 768 x 512 frame");
            break;
        }
    }
    state.SetLabel(g_render_trace);
}
BENCHMARK(BM_ComposeFullFrame)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
