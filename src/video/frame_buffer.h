// The host frame buffer the picture is composed into, its description, and
// the choice of host display mode that lets the picture fill the screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/display_mode.h"

// Buffer: (buffer_width + 16) x (drawable_lines + 32) = 1040 x 880 16-bit
// pixels, rows top to bottom, no colour table; the picture starts at (16, 16).
inline constexpr int32_t FB_BUFFER_WIDTH = 1024;   // pixels available per row
inline constexpr int32_t FB_DRAWABLE_LINES = 848;  // output lines available
inline constexpr int32_t FB_PIXELS_PER_ROW = FB_BUFFER_WIDTH + 16;
inline constexpr int32_t FB_ROWS = FB_DRAWABLE_LINES + 32;

// Pixel fields of the two host formats. In 555, bit 15 carries the colour
// word's intensity bit.
inline constexpr uint32_t FB_555_RED = 0x7C00, FB_555_GREEN = 0x03E0, FB_555_BLUE = 0x001F;
inline constexpr uint32_t FB_565_RED = 0xF800, FB_565_GREEN = 0x07E0, FB_565_BLUE = 0x001F;
inline constexpr uint16_t FB_555_HALFTONE = 0x7BDE, FB_565_HALFTONE = 0xF7DE;

// Description of a top-down 16-bit bit-field bitmap: the 40-byte header
// followed by the red, green and blue masks.
struct DibInfo {
    uint32_t size;  // 40
    int32_t width;
    int32_t height;        // negative: rows top to bottom
    uint16_t planes;       // 1
    uint16_t bit_count;    // 16
    uint32_t compression;  // 3: bit fields
    uint32_t size_image;   // height x row bytes rounded to 4
    int32_t x_pels_per_meter, y_pels_per_meter;
    uint32_t clr_used, clr_important;
    uint32_t masks[3];  // red, green, blue
};
inline constexpr uint32_t DIB_HEADER_BYTES = 40, DIB_INFO_BYTES = 52;

// Describes a width x height buffer in the format of g_video_host.rgb565
// and stores that format's half-tone mask into g_video_host.g_halftone_mask.
DibInfo dib_create_info(int32_t width, int32_t height);
void dib_alloc_info(DibInfo& slot, int32_t width, int32_t height);

// A host frame buffer as the main window makes it.
struct FrameBuffer {
    std::vector<uint16_t> pixels;  // FB_PIXELS_PER_ROW x FB_ROWS
    DibInfo info;
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(pixels.data()); }
};
// The main window's set-up: geometry and format of g_video_host, the buffer
// (zeroed), its description, then vid_init.
void frame_buffer_setup(FrameBuffer& fb, bool rgb565);
// Composes a fresh full frame of the current machine state into fb and
// writes the visible picture (src_width x src_height from (16, 16)) as a
// PNG. Returns false when the file cannot be written.
bool frame_buffer_screenshot(FrameBuffer& fb, const std::string& path);

// Display modes of the window system with the bit depth asked for.
struct DisplayModeList {
    int32_t count;          // 0-128
    int32_t fullscreen_cx;  // the desktop's full-screen client size
    int32_t fullscreen_cy;
    int32_t current;  // index of the mode last set, -1 none
    HostDisplayMode modes[128];
};
extern DisplayModeList g_display_modes;

// Modes of the exclusive full-screen switcher.
struct DdrawMode {
    int32_t width;
    int32_t height;
    int32_t bits_per_pixel;
};
struct DdrawScreen {
    int32_t current;  // index of the mode last set, -1 none
    int32_t dd;       // the switcher is open
    DdrawMode modes[256];
    int32_t count;  // 0-255
};
extern DdrawScreen g_ddraw_screen;

// The desktop mode was changed; the application puts the other windows
// back at exit.
extern int32_t g_display_mode_changed;


// Lists the modes of `bits` bits per pixel that fit the desktop with 5 %
// (width) and 10 % (height) of slack.
void display_enum_modes(int32_t bits);
// Index of the first listed mode of at least w x h, or -1.
int32_t display_find_mode(int32_t w, int32_t h);
// Switches to a mode that holds a w x h client area and sets the window
// origin in g_video_host for it.
void display_fit_window(int32_t w, int32_t h);

void ddraw_static_init();
// Opens or closes the exclusive switcher by the DDRAW setting.
void ddraw_setup();
void ddraw_release();
// Mode enumeration callback; returns true (more modes wanted).
bool ddraw_enum_mode_cb(const HostDisplayMode& mode);
// Listed 16-bit mode of at least w x h with the least excess area (the
// first on ties); 0 when none qualifies.
int32_t ddraw_find_best_mode(int32_t w, int32_t h);
// Sets the best mode for a w x h client area; ow x oh is the outer window.
void ddraw_set_mode(int32_t ow, int32_t oh, int32_t w, int32_t h);

// Outer window size for a w x h client area.
void display_outer_size(int32_t w, int32_t h, int32_t& ow, int32_t& oh);
