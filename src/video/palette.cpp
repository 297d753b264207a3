// Palette RAM, video controller registers, colour table and the pacing of
// full redraws after palette writes.
#include "video/palette.h"

#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/system_port.h"
#include "video/video_state.h"

PaletteState g_pal;
uint16_t g_pal_lut[0x10000];

namespace {

constexpr uint32_t SLOT_MASK = 0x1FFF;
constexpr uint32_t PALETTE_END = 0x400, VC_BASE = 0x400, VC_R2 = 0x600, VC_END = 0x700;
constexpr uint32_t PAL_BURST = 30;   // writes that force a redraw at once
constexpr uint32_t PAL_QUIET = 200;  // quiet frames between periodic redraws
constexpr uint16_t REDRAW_NOW = 1, REDRAW_HELD = 16;
constexpr uint32_t NO_CONTRAST = 0xFFFFFFFF;

// What the table holds: the contrast and host format it was built for
// (the table is a cache of those two, outside the palette's state).
uint32_t s_lut_contrast = NO_CONTRAST;
int32_t s_lut_rgb565 = -1;

void forget_lut() {
    s_lut_contrast = NO_CONTRAST;
    s_lut_rgb565 = -1;
}

uint8_t& vc_byte(uint32_t offset) { return g_pal.vc_regs[((offset - VC_BASE) >> 8) * 2 + (offset & 1)]; }

uint16_t host_pixel(uint32_t w, uint32_t c, bool rgb565) {
    uint32_t g = ((w >> 11) & 0x1F) * c / 15;
    uint32_t r = ((w >> 6) & 0x1F) * c / 15;
    uint32_t b = ((w >> 1) & 0x1F) * c / 15;
    uint32_t i = w & 1;
    uint32_t p;
    if (rgb565) {
        // The intensity bit fills the low bit of the 6-bit green field.
        p = r << 11 | g << 6 | i << 5 | b;
        if (p == 0 && w != 0) p = 0x0020;
    } else {
        p = r << 10 | g << 5 | b | i << 15;
        if (p == 0 && w != 0) p = 0x8000;
    }
    return uint16_t(p);
}

}  // namespace

void pal_power_on() {
    device_clear(g_pal);
    forget_lut();
}
std::span<const uint8_t> pal_state() { return device_state_bytes(g_pal); }

uint32_t pal_peek_byte(uint32_t addr) {
    uint32_t offset = addr & SLOT_MASK;
    if (offset < PALETTE_END) return g_pal.palette[offset];
    if (offset < VC_END) return vc_byte(offset);
    return 0;
}
uint32_t pal_read_byte(uint32_t addr) { return pal_peek_byte(addr); }

void pal_write_byte(uint32_t addr, uint32_t value) {
    uint32_t offset = addr & SLOT_MASK;
    if (offset < PALETTE_END) {
        g_pal.palette[offset] = uint8_t(value);
        g_pal.change_count++;
        return;
    }
    if (offset >= VC_END) return;
    vc_byte(offset) = uint8_t(value);
    if (offset >= VC_R2 && (offset & 1))
        g_video.g_line_log_layers[g_machine.frame.raster_line & 0x1FF] = uint8_t(value | VID_LAYER_LOG_FLAG);
    // A running countdown starts again, so mode and priority changes
    // settle before the paced redraw.
    if (g_video.g_full_redraw_countdown != 0)
        g_video.g_full_redraw_countdown = g_video.g_redraw_holdoff ? REDRAW_HELD : REDRAW_NOW;
}

void pal_build_lut() {
    uint32_t c = g_sys.regs[SYS_CONTRAST] & 0xF;
    int32_t rgb565 = g_video_host.rgb565 ? 1 : 0;
    // The machine start forgets the last contrast as 0, which is a contrast
    // too: the table is also rebuilt whenever it holds another one.
    if (c == g_sys.last_contrast && c == s_lut_contrast && rgb565 == s_lut_rgb565) return;
    for (uint32_t w = 0; w < 0x10000; w++) g_pal_lut[w] = host_pixel(w, c, rgb565);
    s_lut_contrast = c;
    s_lut_rgb565 = rgb565;
    g_sys.last_contrast = c;
    g_video.g_full_redraw_countdown = REDRAW_NOW;
}

void pal_alloc_lut() {
    g_sys.regs[SYS_CONTRAST] = 15;
    pal_free_lut();
    pal_build_lut();
}

void pal_free_lut() {
    forget_lut();
    g_sys.last_contrast = NO_CONTRAST;
}

uint32_t pal_refresh_pacing() {
    if (g_pal.change_count == 0 && g_pal.quiet_frames < PAL_QUIET) {
        g_pal.quiet_frames++;
        return 0;
    }
    if (g_pal.change_count >= PAL_BURST || g_settings.pal || g_pal.quiet_frames >= PAL_QUIET) {
        vid_request_full_redraw();
        g_pal.quiet_frames = 0;
        g_pal.change_count = 0;
    } else {
        g_pal.change_count++;
    }
    return 0;
}
