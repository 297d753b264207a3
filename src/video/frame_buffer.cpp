// The host frame buffer, its description, and the host display mode chosen
// for the picture (display settings or the exclusive full-screen switcher).
#include "video/frame_buffer.h"

#include <algorithm>
#include <cstring>

#include "host/message_box.h"
#include "host/png_writer.h"
#include "machine/settings.h"
#include "video/video_state.h"

DisplayModeList g_display_modes;
DdrawScreen g_ddraw_screen;
int32_t g_display_mode_changed;

DibInfo dib_create_info(int32_t width, int32_t height) {
    bool rgb565 = g_video_host.rgb565 != 0;
    DibInfo d{};
    d.size = DIB_HEADER_BYTES;
    d.width = width;
    d.height = -height;
    d.planes = 1;
    d.bit_count = 16;
    d.compression = 3;
    d.size_image = uint32_t(height) * uint32_t((width * 16 + 31) / 32) * 4;
    d.masks[0] = rgb565 ? FB_565_RED : FB_555_RED;
    d.masks[1] = rgb565 ? FB_565_GREEN : FB_555_GREEN;
    d.masks[2] = rgb565 ? FB_565_BLUE : FB_555_BLUE;
    g_video_host.g_halftone_mask = rgb565 ? FB_565_HALFTONE : FB_555_HALFTONE;
    return d;
}

void dib_alloc_info(DibInfo& slot, int32_t width, int32_t height) { slot = dib_create_info(width, height); }

void frame_buffer_setup(FrameBuffer& fb, bool rgb565) {
    VideoHost& v = g_video_host;
    v.drawable_lines = FB_DRAWABLE_LINES;
    v.buffer_width = FB_BUFFER_WIDTH;
    v.bits_per_pixel = 16;
    v.bytes_per_pixel = 2;
    v.rgb565 = rgb565 ? 1 : 0;
    fb.pixels.assign(size_t(FB_PIXELS_PER_ROW) * size_t(FB_ROWS), 0);
    dib_alloc_info(fb.info, FB_PIXELS_PER_ROW, FB_ROWS);
    v.vid_init();
}

bool frame_buffer_screenshot(FrameBuffer& fb, const std::string& path) {
    if (fb.pixels.size() != size_t(FB_PIXELS_PER_ROW) * size_t(FB_ROWS)) return false;
    VideoState& v = g_video;
    // A fresh render: every line drawn, every line cache re-examined.
    v.g_full_redraw_countdown = 1;
    std::memset(v.g_tvram_dirty_lines, 1, sizeof v.g_tvram_dirty_lines);
    std::memset(v.g_gvram_dirty_lines, 1, sizeof v.g_gvram_dirty_lines);
    std::memset(v.text_line_nonempty, 1, sizeof v.text_line_nonempty);
    std::memset(v.graphic_line_nonempty, 1, sizeof v.graphic_line_nonempty);
    std::memset(v.pcg_cell_nonempty, 1, sizeof v.pcg_cell_nonempty);
    std::fill(fb.pixels.begin(), fb.pixels.end(), uint16_t(0));
    v.vid_render_frame(fb.bytes(), FB_ROWS, -1);
    const uint16_t* picture = fb.pixels.data() + size_t(16) * FB_PIXELS_PER_ROW + 16;
    return png_write_rgb16(path, picture, FB_PIXELS_PER_ROW, v.src_width, v.src_height, g_video_host.rgb565 != 0);
}

// Display settings.

void display_enum_modes(int32_t bits) {
    DisplayModeList& l = g_display_modes;
    l.count = 0;
    host_display_fullscreen_size(l.fullscreen_cx, l.fullscreen_cy);
    HostDisplayMode m;
    for (int32_t n = 0; l.count < 128 && host_display_enum_mode(n, m); n++) {
        if (m.bits_per_pixel != bits) continue;
        if (m.width > l.fullscreen_cx + l.fullscreen_cx / 20) continue;
        if (m.height > l.fullscreen_cy + l.fullscreen_cy / 10) continue;
        l.modes[l.count++] = m;
    }
    l.current = display_find_mode(l.fullscreen_cx, l.fullscreen_cy);
}

int32_t display_find_mode(int32_t w, int32_t h) {
    const DisplayModeList& l = g_display_modes;
    for (int32_t i = 0; i < std::clamp(l.count, 0, 128); i++)
        if (l.modes[i].width >= w && l.modes[i].height >= h) return i;
    return -1;
}

void display_outer_size(int32_t w, int32_t h, int32_t& ow, int32_t& oh) {
    HostWindowMetrics m = host_window_metrics();
    ow = w + 3 * m.cx_border + 2;
    oh = h + m.cy_caption + 5 * m.cy_border + m.cy_menu + 2;
}

namespace {

// Window origin that centres an ow x oh window on a mode_w x mode_h screen.
void set_window_origin(int32_t mode_w, int32_t mode_h, int32_t ow, int32_t oh) {
    g_video_host.g_window_origin_x = std::max((mode_w - ow - 2) / 2, -4);
    g_video_host.g_window_origin_y = mode_h > oh ? (mode_h - oh) / 2 : mode_h - oh;
    g_display_mode_changed = 1;
}

}  // namespace

void display_fit_window(int32_t w, int32_t h) {
    int32_t ow, oh;
    display_outer_size(w, h, ow, oh);
    if (g_video_host.g_ddraw_active) {
        ddraw_set_mode(ow, oh, w, h);
        g_display_modes.current = -1;
        return;
    }
    int32_t i = display_find_mode(w, h);
    if (i < 0 || i == g_display_modes.current) return;
    const HostDisplayMode& m = g_display_modes.modes[i];
    host_display_change_mode(m);
    g_display_modes.current = i;
    set_window_origin(m.width, m.height, ow, oh);
}

// Exclusive full-screen switcher.

void ddraw_static_init() { g_ddraw_screen.current = -1; }

bool ddraw_enum_mode_cb(const HostDisplayMode& mode) {
    DdrawScreen& s = g_ddraw_screen;
    if (mode.bits_per_pixel == 16) {
        s.modes[s.count] = {mode.width, mode.height, mode.bits_per_pixel};
        if (s.count + 1 < 256) s.count++;
    }
    return true;
}

namespace {

void ddraw_unusable() { host_message_box("DirectDrawが使用出来ません。", "DirectDraw", MB_INFO); }

}  // namespace

void ddraw_setup() {
    DdrawScreen& s = g_ddraw_screen;
    if (g_settings.ddraw && !g_video_host.g_ddraw_active) {
        if (!host_exclusive_open()) {
            ddraw_unusable();
            return;
        }
        s.dd = 1;
        s.count = 0;
        host_exclusive_enum_modes(ddraw_enum_mode_cb);
        if (s.count == 0) {
            ddraw_unusable();
            host_exclusive_close();
            s.dd = 0;
            return;
        }
        g_video_host.g_ddraw_active = 1;
        g_video_host.g_relayout_request = 1;
    } else if (!g_settings.ddraw && g_video_host.g_ddraw_active) {
        ddraw_release();
        g_video_host.g_relayout_request = 1;
    }
}

void ddraw_release() {
    if (!g_video_host.g_ddraw_active) return;
    g_video_host.g_ddraw_active = 0;
    host_exclusive_close();
    g_ddraw_screen.dd = 0;
    g_ddraw_screen.current = -1;
    g_video_host.g_relayout_request = 1;
}

int32_t ddraw_find_best_mode(int32_t w, int32_t h) {
    const DdrawScreen& s = g_ddraw_screen;
    int32_t best = -1;
    int64_t best_excess = 0;
    for (int32_t i = 0; i < std::clamp(s.count, 0, 256); i++) {
        const DdrawMode& m = s.modes[i];
        if (m.width < w || m.height < h || m.bits_per_pixel != 16) continue;
        int64_t excess = int64_t(m.width) * m.height - int64_t(w) * h;
        if (best < 0 || excess < best_excess) {
            best = i;
            best_excess = excess;
        }
    }
    return best < 0 ? 0 : best;
}

void ddraw_set_mode(int32_t ow, int32_t oh, int32_t w, int32_t h) {
    DdrawScreen& s = g_ddraw_screen;
    int32_t b = ddraw_find_best_mode(w, h);
    if (b == s.current) return;
    if (!host_exclusive_acquire()) return;
    const DdrawMode& m = s.modes[b];
    if (!host_exclusive_set_mode({m.width, m.height, m.bits_per_pixel})) {
        // The host refused the mode: the window stays as it was.
        ddraw_unusable();
        ddraw_release();
        return;
    }
    host_exclusive_normal();
    s.current = b;
    set_window_origin(m.width, m.height, ow, oh);
}
