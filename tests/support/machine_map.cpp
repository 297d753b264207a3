#include "support/machine_map.h"

#include <cstring>

#include "machine/machine.h"
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
    crtc_power_on();
    return mem_map_build() == 0;
}

void video_state_clear() {
    crtc_power_on();
    pal_power_on();
    tvram_power_on();
    gvram_power_on();
    spr_power_on();
    vid_power_on();
    g_video_host = {};
    // The sprite area powers on as 0xFF; a picture here starts from an
    // empty one.
    std::memset(g_sprite_area, 0, SPRITE_AREA_SIZE);
}

void video_start_frame() {
    emu_set_raster_line(0);
    emu_latch_video_state();
    emu_set_raster_line(crtc_reg(CRTC_V_DISP_START));
    g_sprite_unit.resolution = spr_area_word(SPR_RESOLUTION);
    std::memcpy(g_pal.vc_latch, g_pal.vc_regs, sizeof g_pal.vc_latch);
}
