// The display of the main window through SDL: the real display's modes,
// the usable desktop, the window's frame, and its exclusive full screen.
#pragma once

#include <cstdint>

#include "host/display_mode.h"

// The picture's depth: every size the display offers is listed at it.
inline constexpr int32_t PICTURE_BITS_PER_PIXEL = 16;

// A main window is set (host_display_use_sdl).
bool sdl_display_active();
bool sdl_display_enum_mode(int32_t n, HostDisplayMode& mode);
// The usable desktop's width, and its height under the window's caption.
void sdl_display_fullscreen_size(int32_t& cx, int32_t& cy);
HostWindowMetrics sdl_window_metrics();
// A full-screen window takes the mode; a window keeps the desktop's.
void sdl_display_change_mode(const HostDisplayMode& mode);
// The display offers modes.
bool sdl_exclusive_open();
// The window goes full screen in the display's mode nearest to `mode`.
bool sdl_exclusive_set_mode(const HostDisplayMode& mode);
