// Frame composition: geometry and scale of the picture, preparation of the
// per-line tables from the per-raster logs, layer order, full-redraw pacing
// and the frame-start seeding of the logs.
#include <algorithm>
#include <cstring>

#include "machine/device.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "machine/system_port.h"
#include "video/crtc.h"
#include "video/frame_buffer.h"
#include "video/palette.h"
#include "video/render_graphic.h"
#include "video/render_sprite_text.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

VideoHost g_video_host;
VideoState g_video;
std::string g_render_trace;

const int32_t g_vid_line_step_table[8] = {2, 1, 1, 1, 4, 2, 1, 1};

namespace {

// Stores the X scroll in effect at every raster line into `prev`; true when
// some line differs from what was there.
bool x_scroll_changed(const uint16_t* log, int32_t mask, uint16_t* prev) {
    bool changed = false;
    for (int32_t r = 0; r < VID_LOG_LINES; r++) {
        uint16_t x = log[r & mask];
        changed |= x != prev[r];
        prev[r] = x;
    }
    return changed;
}

// A scroll register (R10-R19) at the end of the last frame.
uint16_t& prev_scroll(CrtcReg r) { return g_video.crtc_prev_scroll[r - CRTC_TEXT_X]; }

// One graphic page (or pair) of the current memory mode.
struct GraphicPage {
    int32_t k;      // countdown index and line base k * 512
    CrtcReg x_reg;  // X scroll register
    CrtcReg y_reg;  // Y scroll register
    int32_t log;    // row of g_line_log_gscroll
    uint32_t mask;  // coordinate mask
};

int32_t graphic_pages(GraphicPage pages[4]) {
    switch (crtc_memory_mode()) {
    case 0:
        for (int32_t k = 0; k < 4; k++)
            pages[k] = {k, crtc_graphic_x(uint32_t(k)), crtc_graphic_y(uint32_t(k)), k, 0x1FF};
        return 4;
    case 1:
        pages[0] = {0, CRTC_GR0_X, CRTC_GR0_Y, 0, 0x1FF};
        pages[1] = {1, CRTC_GR2_X, CRTC_GR2_Y, 2, 0x1FF};
        return 2;
    case 3: pages[0] = {0, CRTC_GR0_X, CRTC_GR0_Y, 0, 0x1FF}; return 1;
    default: pages[0] = {0, CRTC_GR0_X, CRTC_GR0_Y, 0, 0x3FF}; return 1;
    }
}

// Makes every entry hold the value in effect at its line: an entry carrying
// `flag` starts a new value (entry & value_mask). Returns the OR of all.
template <class T> uint32_t propagate_log(T* log, uint32_t flag, uint32_t value_mask) {
    const bool settled = g_video.logs_settled;
    uint32_t cur = log[0] & value_mask, all = 0;
    for (int32_t i = 0; i < VID_LOG_LINES; i++) {
        if (settled) {
            all |= log[i] & value_mask;
            continue;
        }
        if (log[i] & flag) cur = log[i] & value_mask;
        log[i] = T(cur);
        all |= cur;
    }
    return all;
}

int32_t scale_or(int32_t value, int32_t one) { return value > 0 ? value : one; }

// Geometry and scale of this frame's picture.
void vid_compute_geometry() {
    VideoState& v = g_video;
    const VideoHost& h = g_video_host;
    v.h_scale = 4096;
    v.v_scale = 1024;

    int32_t max_width = std::clamp(h.buffer_width, 1, 1024);
    int32_t w = (int32_t(crtc_reg(CRTC_H_DISP_END)) - int32_t(crtc_reg(CRTC_H_DISP_START))) * 8;
    if (w <= 0) w = 768;
    v.src_width = std::min(w, max_width);

    int32_t lines = int32_t(crtc_reg(CRTC_V_DISP_END)) - int32_t(crtc_reg(CRTC_V_DISP_START));
    if (lines <= 0) lines = 512;
    lines = spr_scale_raster(lines);
    int32_t max_height = std::min({h.drawable_lines, h.buffer_height - 32, 1024});
    v.src_height = std::clamp(lines, 1, std::max(max_height, 1));

    int32_t g = int32_t(crtc_reg(CRTC_MODE) & CRTC_MODE_H_RES) | int32_t((g_sys.regs[SYS_DISPLAY] & 2) << 1);
    bool low_v = (crtc_reg(CRTC_MODE) & CRTC_MODE_V_RES) == 0;
    int32_t hs = 4096, vs = 1024;
    switch (g_settings.crt) {
    case 0:
        hs = (g == 0 || g == 4 || g == 5 || (g == 1 && v.src_width < 384)) ? 8192 : 4096;
        vs = low_v ? 2048 : 1024;
        break;
    case 1:
        if (g == 0 || g == 4) hs = 10240;
        else if (g == 1) hs = v.src_width < 384 ? 8192 : 5120;
        else if (g == 5) hs = 8192;
        else hs = 4096;
        vs = low_v ? 2048 : 1024;
        break;
    case 2: break;
    case 3:
        if (h.g_ddraw_active && g_ddraw_screen.count > 0) {
            const DdrawMode& m = g_ddraw_screen.modes[ddraw_find_best_mode(v.src_width, v.src_height)];
            hs = m.width * 4096 / v.src_width;
            vs = (m.height - 20) * 1024 / v.src_height;
        } else if (g_settings.autosize) {
            int32_t i = display_find_mode(v.src_width, v.src_height);
            if (i >= 0) {
                hs = g_display_modes.modes[i].width * 4096 / v.src_width;
                vs = (g_display_modes.modes[i].height - 20) * 1024 / v.src_height;
            }
        } else {
            hs = h.screen_width * 4096 / v.src_width;
            vs = (h.screen_height - 20) * 1024 / v.src_height;
        }
        break;
    default:
        hs = h.screen_width * 4096 / v.src_width;
        vs = h.screen_height * 1024 / v.src_height;
        break;
    }
    // An unknown desktop size would give no picture at all: keep 1:1.
    v.h_scale = scale_or(hs, 4096);
    v.v_scale = scale_or(vs, 1024);
}

// Layer enables, priorities, page order, colour modes and the half-tone and
// special-priority bits (latched and live).
uint64_t layer_setup() {
    return uint64_t(g_video.layers_or & 0x7F) | uint64_t(g_video.bgctrl_or & 0x200 ? 0x80 : 0) |
           uint64_t(g_pal.vc_latch[VC_R1_HIGH]) << 8 | uint64_t(g_pal.vc_latch[VC_R1_LOW]) << 16 |
           uint64_t(g_pal.vc_latch[VC_R2_HIGH]) << 24 | uint64_t(g_pal.vc_regs[VC_R2_HIGH]) << 32 |
           uint64_t(g_pal.vc_latch[VC_R0_LOW] & 7) << 40 | uint64_t(crtc_memory_mode()) << 44;
}

void vid_prepare_lines() {
    VideoState& v = g_video;
    const int32_t lines = v.src_height;

    // Layer enables.
    v.layers_or = int32_t(propagate_log(v.g_line_log_layers, VID_LAYER_LOG_FLAG, 0x7F));

    // BG control.
    if (v.layers_or & 0x40) {
        v.bgctrl_or = int32_t(propagate_log(v.g_line_log_bgctrl, VID_LOG_FLAG, 0x7FFF));
        v.g_bgctrl_log_mask = 0x1FF;
    } else {
        v.bgctrl_or = 0;
    }

    // Sprites displayed: every such frame is redrawn whole, and the BG scroll
    // logs are settled, counting the values each register took.
    if (v.bgctrl_or & 0x200) {
        v.g_full_redraw_countdown = 1;
        for (int32_t n = 0; n < 4 && !v.logs_settled; n++) {
            uint16_t* log = v.g_line_log_bgscroll[n];
            v.bgscroll_change_count[n] = -1;
            uint32_t cur = spr_area_word(SPR_BG0_X + 2u * uint32_t(n)) & 0x3FF;
            if (!v.g_bgscroll_log_mask) {
                log[0] = uint16_t(cur);
                continue;
            }
            for (int32_t i = 0; i < VID_LOG_LINES; i++) {
                if (log[i] & VID_LOG_FLAG) {
                    v.bgscroll_change_count[n]++;
                    cur = log[i] & 0x3FF;
                }
                log[i] = uint16_t(cur);
            }
        }
    }

    // A different layer set-up, or layer enables that change on other lines,
    // make the kept lines wrong everywhere.
    uint64_t setup = layer_setup();
    if (v.have_prev_layer_setup &&
        (setup != v.prev_layer_setup || std::memcmp(v.prev_layers, v.g_line_log_layers, sizeof v.prev_layers) != 0))
        v.g_full_redraw_countdown = 1;
    v.prev_layer_setup = setup;
    v.have_prev_layer_setup = true;
    std::memcpy(v.prev_layers, v.g_line_log_layers, sizeof v.prev_layers);

    std::memset(v.line_redraw, 0, size_t(lines));

    if (v.g_full_redraw_countdown == 1) {
        std::memset(v.line_redraw, 1, size_t(lines));
        if (v.full_redraw_counter % 16 == 0) {
            std::memset(v.g_gvram_dirty_lines, 1, sizeof v.g_gvram_dirty_lines);
            std::memset(v.g_tvram_dirty_lines, 1, sizeof v.g_tvram_dirty_lines);
        }
        v.full_redraw_counter++;
        v.g_full_redraw_countdown = 0;
        v.g_redraw_holdoff = 16;
    }
    if (v.g_full_redraw_countdown) v.g_full_redraw_countdown--;
    if (v.g_redraw_holdoff) v.g_redraw_holdoff--;

    // Text.
    if (v.layers_or & 0x20) {
        v.g_line_log_tscroll[0] &= uint16_t(~VID_LOG_FLAG);
        if (v.g_tscroll_log_mask) propagate_log(v.g_line_log_tscroll, VID_LOG_FLAG, 0x7FFF);
        uint32_t x = crtc_reg(CRTC_TEXT_X), y = crtc_reg(CRTC_TEXT_Y);
        if (x != prev_scroll(CRTC_TEXT_X) || y != prev_scroll(CRTC_TEXT_Y)) v.text_scroll_countdown = 2;
        if (x_scroll_changed(v.g_line_log_tscroll, v.g_tscroll_log_mask, v.prev_text_x)) v.text_scroll_countdown = 2;
        if (v.text_scroll_countdown) {
            for (int32_t i = 0; i < lines; i++) {
                v.text_line_nonempty[(y + uint32_t(i)) & 0x3FF] = 1;
                v.line_redraw[i] = 1;
            }
            v.text_scroll_countdown--;
        } else {
            for (int32_t i = 0; i < lines; i++) {
                uint32_t p = (y + uint32_t(i)) & 0x3FF;
                if (v.g_tvram_dirty_lines[p]) {
                    v.text_line_nonempty[p] = 1;
                    v.line_redraw[i] = 1;
                }
            }
        }
    }

    // Graphic.
    if (v.layers_or & 0x1F) {
        GraphicPage pages[4];
        int32_t n = graphic_pages(pages);
        for (int32_t j = 0; j < n; j++) {
            const GraphicPage& pg = pages[j];
            uint32_t x = crtc_reg(pg.x_reg), y = crtc_reg(pg.y_reg);
            uint32_t base = uint32_t(pg.k) * 512;
            for (int32_t i = 0; i < lines; i++) {
                uint32_t q = base + ((y + uint32_t(i)) & pg.mask);
                if (v.g_gvram_dirty_lines[q]) {
                    v.graphic_line_nonempty[q] = 1;
                    v.line_redraw[i] = 1;
                }
            }
            uint16_t* log = v.g_line_log_gscroll[pg.log];
            if (v.g_gscroll_log_mask) propagate_log(log, VID_LOG_FLAG, pg.mask);
            else log[0] = uint16_t(x & pg.mask);
            if (x != prev_scroll(pg.x_reg) || y != prev_scroll(pg.y_reg)) v.graphic_scroll_countdown[pg.k] = 2;
            if (x_scroll_changed(log, v.g_gscroll_log_mask, v.prev_graphic_x[pg.k]))
                v.graphic_scroll_countdown[pg.k] = 2;
            if (v.graphic_scroll_countdown[pg.k]) {
                v.graphic_scroll_countdown[pg.k]--;
                for (int32_t i = 0; i < lines; i++) {
                    v.graphic_line_nonempty[base + ((y + uint32_t(i)) & pg.mask)] = 1;
                    v.line_redraw[i] = 1;
                }
            }
        }
    }
    v.logs_settled = true;
}

void vid_finish_lines() {
    VideoState& v = g_video;
    const int32_t lines = v.src_height;
    if (v.layers_or & 0x20) {
        uint32_t y = crtc_reg(CRTC_TEXT_Y);
        for (int32_t i = 0; i < lines; i++) v.g_tvram_dirty_lines[(y + uint32_t(i)) & 0x3FF] = 0;
    }
    if (v.layers_or & 0x1F) {
        GraphicPage pages[4];
        int32_t n = graphic_pages(pages);
        for (int32_t j = 0; j < n; j++) {
            uint32_t y = crtc_reg(pages[j].y_reg), base = uint32_t(pages[j].k) * 512;
            for (int32_t i = 0; i < lines; i++) v.g_gvram_dirty_lines[base + ((y + uint32_t(i)) & pages[j].mask)] = 0;
        }
    }
    for (uint32_t r = 0; r < CRTC_SCROLL_REGS; r++) {
        const CrtcReg reg = CrtcReg(CRTC_TEXT_X + r);
        prev_scroll(reg) = uint16_t(crtc_reg(reg));
    }
}

// Priority field of the latched R1 high byte; 3 counts as 2.
int32_t priority_level(uint32_t shift) {
    int32_t p = int32_t((g_pal.vc_latch[VC_R1_HIGH] >> shift) & 3);
    return p == 3 ? 2 : p;
}

}  // namespace

void vid_power_on() {
    VideoState& v = g_video;
    device_clear(v);
    v.h_scale = 4096;
    v.v_scale = 1024;
    v.sprite_plane_width = 256;
    v.sprite_plane_height = 256;
    g_render_trace.clear();
    spr_forget_cell_colours();
}
std::span<const uint8_t> vid_state() { return device_state_bytes(g_video); }

void vid_static_init() {
    g_video_host.client_width = 768;
    g_video_host.client_height = 512;
    vid_power_on();
}

void VideoHost::vid_init() {
    buffer_height = drawable_lines + 32;
    stride = (buffer_width + 16) * bytes_per_pixel;
    origin_offset = (stride + bytes_per_pixel) * 16;
    g_crtc.regs[CRTC_MODE] = 0x0416;
    if (g_video.sprite_plane_width == 0) g_video.sprite_plane_width = 256;
    if (g_video.sprite_plane_height == 0) g_video.sprite_plane_height = 256;
    pal_alloc_lut();
    g_video.g_redraw_holdoff = 0;
}

int32_t VideoState::vid_render_frame(uint8_t* buffer, int32_t top, int32_t bottom) {
    dirty_top = top;
    dirty_bottom = bottom;
    vid_compute_geometry();
    // Nothing to draw into, or a buffer smaller than the 16-pixel border.
    const VideoHost& h = g_video_host;
    if (!buffer || h.bits_per_pixel != 16 || h.bytes_per_pixel != 2 || h.stride < (h.buffer_width + 16) * 2 ||
        h.buffer_width < 1 || h.buffer_height < 33 || !g_tvram || !g_gvram || !g_sprite_area) {
        if (dirty_top > dirty_bottom) dirty_top = dirty_bottom + 1;
        return 0;
    }

    g_render_trace.clear();
    if ((g_pal.vc_regs[VC_R2_HIGH] & 0x1C) == 0x1C) g_render_trace += "(Half)";

    vid_prepare_lines();

    for (uint32_t j = 0; j < 512; j++) g_pal_host[j] = g_pal_lut[pal_word(j)];

    const int32_t gr = priority_level(0), tx = priority_level(2), sp = priority_level(4);
    int32_t drawn = 0;
    for (int32_t level = 2; level >= 0; level--) {
        if (gr == level) drawn |= vid_draw_graphic(buffer, drawn);
        if (sp == level) {
            drawn |= spr_draw(buffer, drawn);
            if (drawn && (g_pal.vc_latch[VC_R2_HIGH] & 0x5C) == 0x14 && gr > level) vid_draw_special_priority(buffer);
        }
        if (g_video_host.layer_off[0] == 0 && tx == level) drawn |= tvram_draw(buffer, drawn);
    }

    vid_finish_lines();
    // Inclusive range; nothing drawn leaves it empty (top > bottom).
    if (dirty_top > dirty_bottom) dirty_top = dirty_bottom + 1;
    return 0;
}

void vid_request_full_redraw() {
    if (g_video.g_full_redraw_countdown == 0) g_video.g_full_redraw_countdown = g_video.g_redraw_holdoff ? 16 : 1;
}

void vid_fill_lines(uint8_t* buffer, uint16_t colour) {
    const VideoState& v = g_video;
    const VideoHost& h = g_video_host;
    uint8_t* base = buffer + h.origin_offset;
    // One row of the colour, then copies of it.
    uint16_t row[1024];
    const size_t width = size_t(std::clamp(v.src_width, 0, 1024));
    std::fill_n(row, width, colour);
    const size_t bytes = width * 2;
    for (int32_t i = 0; i < v.src_height; i++) {
        if (!v.line_redraw[i]) continue;
        std::memcpy(base + size_t(i) * size_t(h.stride), row, bytes);
        vid_widen_dirty(i);
    }
}

void vid_draw_gzp_base(uint8_t* buffer, int32_t offset) {
    VideoState& v = g_video;
    const VideoHost& host = g_video_host;
    const int32_t row_px = host.stride / 2;
    int32_t off = offset / 2;
    if (off < v.src_width + 16) off = v.src_width + 16;
    v.side_copy_offset = off * 2;
    int32_t w = std::min(std::max(int32_t(v.sprite_plane_width), v.src_width), row_px - 16 - off);
    int32_t h = std::min(std::max(int32_t(v.sprite_plane_height), v.src_height), host.buffer_height - 16);
    if (w <= 0 || h <= 0) return;
    auto* base = reinterpret_cast<uint16_t*>(buffer + host.origin_offset);
    for (int32_t y = 0; y < h; y++) {
        uint16_t* line = base + size_t(y) * size_t(row_px);
        std::memmove(line + off, line, size_t(w) * 2);
    }
}

int32_t vid_line_step() { return g_vid_line_step_table[crtc_scan_mode()]; }

void vid_free_tables() { pal_free_lut(); }

void emu_latch_video_state() {
    VideoState& v = g_video;
    auto sprite_word = [](uint32_t offset) { return g_sprite_area ? spr_area_word(offset) : 0u; };
    v.logs_settled = false;
    // Values logged after the last composition (past the display end) or in
    // logs that frame did not consume are in the registers now: only what is
    // written from here on marks a change.
    for (int32_t i = 1; i < VID_LOG_LINES; i++) {
        v.g_line_log_tscroll[i] &= uint16_t(~VID_LOG_FLAG);
        v.g_line_log_bgctrl[i] &= uint16_t(~VID_LOG_FLAG);
        v.g_line_log_layers[i] &= uint8_t(~VID_LAYER_LOG_FLAG);
        for (int32_t p = 0; p < 4; p++) {
            v.g_line_log_gscroll[p][i] &= uint16_t(~VID_LOG_FLAG);
            v.g_line_log_bgscroll[p][i] &= uint16_t(~VID_LOG_FLAG);
        }
    }
    v.g_line_log_tscroll[0] = uint16_t(crtc_reg(CRTC_TEXT_X) | VID_LOG_FLAG);
    for (uint32_t p = 0; p < 4; p++) v.g_line_log_gscroll[p][0] = uint16_t(crtc_reg(crtc_graphic_x(p)) | VID_LOG_FLAG);
    for (uint32_t n = 0; n < 4; n++)
        v.g_line_log_bgscroll[n][0] = uint16_t(sprite_word(SPR_BG0_X + 2 * n) | VID_LOG_FLAG);
    v.g_line_log_bgctrl[0] = uint16_t(sprite_word(SPR_BG_CTRL) | VID_LOG_FLAG);
    v.g_line_log_layers[0] = uint8_t(g_pal.vc_regs[VC_R2_LOW] | VID_LAYER_LOG_FLAG);
    v.g_tscroll_log_mask = 0;
    v.g_bgscroll_log_mask = 0;
    v.g_gscroll_log_mask = 0;
    v.g_bgctrl_log_mask = 0;
    g_sprite_unit.reserved = 0;
    g_sprite_unit.armed = 0;
    g_sprite_unit.prev_raster = 0;
    g_sprite_unit.cur_raster = 0;
    g_sprite_unit.snapshot_count = 0;
}
