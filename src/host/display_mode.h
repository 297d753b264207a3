// Host display modes: the window system's display settings and an
// exclusive full-screen mode switcher. With the main window they are SDL's:
// the real display's modes, and the window's exclusive full screen. The
// headless host has a mode list of its own (settable for tests) and records
// every request instead of acting on it.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

struct HostDisplayMode {
    int32_t width;
    int32_t height;
    int32_t bits_per_pixel;
};

// Window frame metrics, in pixels.
struct HostWindowMetrics {
    int32_t cx_border;
    int32_t cy_border;
    int32_t cy_caption;
    int32_t cy_menu;
};

// Display settings.
// Mode number n of the display; false past the last one.
bool host_display_enum_mode(int32_t n, HostDisplayMode& mode);
// Client size of a full-screen window on the desktop.
void host_display_fullscreen_size(int32_t& cx, int32_t& cy);
HostWindowMetrics host_window_metrics();
// Changes the display's mode where the host can: SDL changes it only for a
// full-screen window, so a window keeps the desktop's mode (the caller
// places it within the desktop instead).
void host_display_change_mode(const HostDisplayMode& mode);

// Exclusive full-screen switcher.
// Opens it; false when the host has none.
bool host_exclusive_open();
void host_exclusive_close();
// Calls `mode` for every mode the switcher offers while it returns true.
void host_exclusive_enum_modes(bool (*mode)(const HostDisplayMode&));
// Takes exclusive full-screen access for the main window; false on refusal.
bool host_exclusive_acquire();
// Sets the mode (SDL: the window goes full screen in it); false when the
// host refuses.
bool host_exclusive_set_mode(const HostDisplayMode& mode);
// Back to normal (windowed) access.
void host_exclusive_normal();

// The real display through SDL, for the main window; null: back to the
// headless display (the desktop's mode put back first).
void host_display_use_sdl(SDL_Window* window);
// The height of the menu bar inside the main window's client area.
void host_display_set_menu_height(int32_t height);
// Puts the desktop's mode back: the window leaves exclusive full screen.
void host_display_restore();
// SDL's modes of a display (largest first, each size at several depths and
// refresh rates) as the mode list offers them: each size once, smallest
// first, at the 16 bits per pixel of the picture (SDL draws that at any
// depth of the display).
std::vector<HostDisplayMode> host_display_modes_from_sdl(const std::vector<HostDisplayMode>& sdl_modes);

// Headless host.
enum class HostDisplayRequest {
    ChangeMode,
    ExclusiveOpen,
    ExclusiveClose,
    ExclusiveAcquire,
    ExclusiveSetMode,
    ExclusiveNormal
};
struct HostDisplayEvent {
    HostDisplayRequest request;
    HostDisplayMode mode;  // ChangeMode and ExclusiveSetMode
};
struct HostDisplayConfig {
    std::vector<HostDisplayMode> modes;  // display settings
    int32_t fullscreen_cx, fullscreen_cy;
    HostWindowMetrics metrics;
    bool exclusive_available;
    std::vector<HostDisplayMode> exclusive_modes;
    bool exclusive_acquire_ok;
    bool exclusive_set_mode_ok;
};
// The host's display (a 1024 x 768 desktop by default) and the requests made.
HostDisplayConfig& host_display_config();
std::vector<HostDisplayEvent>& host_display_events();
// Default desktop, no requests.
void host_display_reset();
