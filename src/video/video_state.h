// Frame composition: the record of the composition state, the host side of
// the picture, the per-raster register logs and the entry points of the
// composer.
//
// Buffer layout (g_video_host): 16-bit host pixels, `stride` bytes per row;
// the picture starts at pixel (16, 16) (`origin_offset`). Output line i of
// the picture is buffer row 16 + i; its raster line is
// floor(i * vid_line_step() / 2).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "machine/machine.h"
#include "video/crtc.h"

// Flags of the per-raster logs: an entry holding the flag was written at its
// line (bit 15 for the word logs, bit 7 for the layer-byte log).
inline constexpr uint16_t VID_LOG_FLAG = 0x8000;
inline constexpr uint8_t VID_LAYER_LOG_FLAG = 0x80;
inline constexpr int32_t VID_LOG_LINES = 512;

// The host side of the picture: buffer geometry and pixel format, window
// and display state, debug switches. The host sets them (vid_static_init,
// frame_buffer_setup, the display code); the machine's power-on leaves them.
struct VideoHost {
    int32_t buffer_height;   // drawable_lines + 32
    int32_t drawable_lines;  // output lines available (848)
    int32_t stride;          // bytes per row: (buffer_width + 16) * bytes_per_pixel
    int32_t buffer_width;    // pixels available per row (1024)
    int32_t client_width;
    int32_t client_height;
    int32_t origin_offset;    // byte offset of pixel (16, 16)
    int32_t bits_per_pixel;   // 16; renderers do nothing otherwise
    int32_t bytes_per_pixel;  // 2
    int32_t rgb565;           // 1: host pixels are 565, 0: 555
    int32_t desktop_bpp;
    int32_t desktop_caps;
    int32_t desktop_bpp_seen;
    int32_t screen_width;  // usable desktop size
    int32_t screen_height;
    int32_t display_check;
    uint16_t g_halftone_mask;  // 0x7BDE (555) or 0xF7DE (565)
    int32_t g_ddraw_active;
    int32_t g_window_origin_x;
    int32_t g_window_origin_y;
    int32_t g_relayout_request;
    // Debug switches (nonzero = not drawn): text, sprites, BG0, BG1, graphic
    // pages 0-3.
    int32_t layer_off[8];

    // Set-up after the main window made its buffer: needs drawable_lines,
    // buffer_width and bytes_per_pixel.
    void vid_init();
};
extern VideoHost g_video_host;

// The composition's state: the picture of this frame, the per-line tables,
// the per-raster logs, the redraw pacing and what the last frame showed.
struct VideoState {
    // Output lines written in this frame, inclusive (top := min, bottom :=
    // max); top > bottom means none.
    int32_t dirty_top;
    int32_t dirty_bottom;
    int32_t src_width;   // picture width of this frame, dots
    int32_t src_height;  // picture height of this frame, output lines
    int32_t h_scale;     // horizontal magnification * 4096
    int32_t v_scale;     // vertical magnification * 1024
    // Byte distance from a picture pixel to its saved copy used by the
    // (G.Zp)/(S.Zp) passes.
    int32_t side_copy_offset;
    uint16_t sprite_plane_width;   // 256 or 512 (256 before the first sprite frame)
    uint16_t sprite_plane_height;  // 256 or 512
    uint8_t szp_clean;
    uint8_t szp_active;
    uint8_t gzp_clean;
    uint8_t gzp_active;
    uint16_t g_full_redraw_countdown;     // frames until a full redraw; 1 = this frame
    uint16_t g_redraw_holdoff;            // frames in which a request waits 16 frames
    uint8_t g_tvram_dirty_lines[1024];    // text lines written since last frame
    uint8_t text_line_nonempty[1024];     // 0 = text line known empty
    uint8_t g_gvram_dirty_lines[2048];    // graphic store lines written
    uint8_t graphic_line_nonempty[2048];  // 0 = graphic line known empty
    uint8_t line_redraw[1024];            // output line redrawn this frame
    uint8_t pcg_cell_nonempty[1024];      // 0 = PCG cell known empty
    int32_t bgctrl_or;                    // OR of the BG control values over the frame
    int32_t layers_or;                    // OR of the layer-enable bytes over the frame
    // The current raster line and CRTC line are the machine record's
    // g_machine.frame.raster_line and crtc_line (machine/machine.h, set by
    // emu_set_raster_line); the log writers index with raster_line & 0x1FF.
    // 0 or 0x1FF: a renderer reads raster r as entry r & mask.
    int32_t g_tscroll_log_mask;
    int32_t g_bgscroll_log_mask;
    int32_t g_gscroll_log_mask;
    int32_t g_bgctrl_log_mask;
    // Per BG scroll register: values logged this frame minus 1 (-1: none).
    int16_t bgscroll_change_count[4];
    uint16_t g_line_log_gscroll[4][512];   // graphic X scroll, pages 0-3
    uint16_t g_line_log_bgscroll[4][512];  // BG0 X, BG0 Y, BG1 X, BG1 Y
    uint16_t g_line_log_tscroll[512];      // text X scroll
    uint16_t g_line_log_bgctrl[512];       // BG control
    uint8_t g_line_log_layers[512];        // video controller R2 low byte
    uint16_t g_pal_host[512];              // host pixel per palette word (256-511 text/sprite)

    // What the last composed frame showed, per raster line where registers
    // change mid-frame. The kept lines are right only while this stays: a
    // different layer set-up redraws the picture whole, a different X scroll
    // on some line redraws its layer as a scroll change does. (Comparing only
    // the registers' final values misses a split whose upper part moves while
    // the last value written in the frame stays the same.)
    uint64_t prev_layer_setup;
    bool have_prev_layer_setup;
    // The logs of this frame were settled by an earlier composition of it: a
    // second composition of the same frame reads them as they are.
    bool logs_settled;
    uint8_t prev_layers[VID_LOG_LINES];
    uint16_t prev_text_x[VID_LOG_LINES];
    uint16_t prev_graphic_x[4][VID_LOG_LINES];
    uint16_t crtc_prev_scroll[CRTC_SCROLL_REGS];  // R10-R19 at the end of the last frame
    // Frames left of a whole-layer redraw after a scroll change.
    int32_t text_scroll_countdown;
    int32_t graphic_scroll_countdown[4];
    int32_t full_redraw_counter;  // full redraws so far; every 16th re-examines all lines

    // Composes the frame into `buffer` (buffer_height rows of `stride` bytes)
    // and sets the picture geometry (src_width 1 to buffer_width, src_height 1
    // to drawable_lines) and scale. top and bottom seed dirty_top and
    // dirty_bottom (top > bottom for none, e.g. buffer_height and -1); on
    // return they are the inclusive range of output lines drawn, or
    // dirty_top = dirty_bottom + 1 when none was. Returns 0.
    int32_t vid_render_frame(uint8_t* buffer, int32_t top, int32_t bottom);
};

extern VideoState g_video;

// Power-on: the composition state 0 but for the 1:1 scales and the 256-dot
// sprite plane; the colour caches of the renderers are made afresh. The
// reset line leaves the composition as it is.
void vid_power_on();
std::span<const uint8_t> vid_state();

// Layers drawn in the last frame, in drawing order ("(Half)", "G4(0)", ...).
extern std::string g_render_trace;

// Widens the dirty range of this frame by output line i.
inline void vid_widen_dirty(int32_t i) {
    if (i < g_video.dirty_top) g_video.dirty_top = i;
    if (i > g_video.dirty_bottom) g_video.dirty_bottom = i;
}

// Before start-up: client 768 x 512, and the composition powered on.
void vid_static_init();
// Asks for a full redraw: the next frame, or 16 frames on during the
// hold-off after a full redraw. Does nothing while a countdown runs.
void vid_request_full_redraw();
// Fills src_width pixels of every line marked in line_redraw.
void vid_fill_lines(uint8_t* buffer, uint16_t colour);
// The side copy of what lies under a layer, for the (G.Zp)/(S.Zp) passes:
// copies at least sprite_plane_width pixels of each of the first
// sprite_plane_height picture rows to `offset` bytes further right. The copy
// never lands on the visible picture nor leaves the row: when `offset` would
// put it inside the picture it is moved right of it, and the offset used is
// stored in side_copy_offset (read side pixels through it after the call).
void vid_draw_gzp_base(uint8_t* buffer, int32_t offset);
// Raster step per output line, doubled: {2,1,1,1,4,2,1,1}[crtc_scan_mode()].
// Output line i shows raster line (i * vid_line_step()) / 2, held to 0-511;
// a log is read at (raster & mask), the layer-byte log at the raster.
extern const int32_t g_vid_line_step_table[8];
int32_t vid_line_step();
// Frees the colour table at shut-down.
void vid_free_tables();

// Per-frame steps of the machine record.
// Frame start: seeds entry 0 of every log with the current register value
// and its flag, clears the log masks and the sprite unit's per-frame state.
void emu_latch_video_state();
