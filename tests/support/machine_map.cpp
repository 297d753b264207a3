#include "support/machine_map.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "machine/memory_map.h"
#include "support/flat_bus.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

bool machine_map_install(uint32_t ram_size) {
    flat_bus_install();
    cpu_test_reset(0x300000, 0x3F0000);
    if (!mem_alloc_images() || !mem_alloc_main_ram(ram_size)) return false;
    std::fill(std::begin(g_crtc_regs), std::end(g_crtc_regs), 0);
    return mem_map_build() == 0;
}

void video_state_clear() {
    std::memset(g_tvram, 0, TVRAM_SIZE);
    std::memset(g_gvram, 0, GVRAM_SIZE);
    std::memset(g_sprite_area, 0, SPRITE_AREA_SIZE);
    std::memset(g_palette, 0, sizeof g_palette);
    std::memset(g_vc_regs, 0, sizeof g_vc_regs);
    std::memset(g_vc_latch, 0, sizeof g_vc_latch);
    std::memset(&g_sprite_unit, 0, sizeof g_sprite_unit);
    std::memset(&g_video, 0, sizeof g_video);
    std::fill(std::begin(g_crtc_prev_scroll), std::end(g_crtc_prev_scroll), 0);
    std::fill(std::begin(g_layer_off), std::end(g_layer_off), 0);
    text_scroll_countdown = full_redraw_counter = 0;
    std::fill(std::begin(graphic_scroll_countdown), std::end(graphic_scroll_countdown), 0);
}
