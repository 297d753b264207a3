// Headless display: a fixed desktop; mode changes are recorded only. With
// the main window the SDL display answers instead.
#include "host/display_mode.h"

#include <algorithm>
#include <cstddef>

#include "host/display_mode_sdl.h"

namespace {

HostDisplayConfig default_config() {
    HostDisplayConfig c;
    c.modes = {{640, 480, 16}, {800, 600, 16}, {1024, 768, 16}, {1024, 768, 32}};
    c.fullscreen_cx = 1024;
    c.fullscreen_cy = 740;
    c.metrics = {1, 1, 18, 19};
    c.exclusive_available = false;
    c.exclusive_modes = {};
    c.exclusive_acquire_ok = true;
    c.exclusive_set_mode_ok = true;
    return c;
}

HostDisplayConfig s_config = default_config();
std::vector<HostDisplayEvent> s_events;
bool s_exclusive_open;

void record(HostDisplayRequest r, const HostDisplayMode& m = {0, 0, 0}) { s_events.push_back({r, m}); }

}  // namespace

HostDisplayConfig& host_display_config() { return s_config; }
std::vector<HostDisplayEvent>& host_display_events() { return s_events; }

void host_display_reset() {
    s_config = default_config();
    s_events.clear();
    s_exclusive_open = false;
}

std::vector<HostDisplayMode> host_display_modes_from_sdl(const std::vector<HostDisplayMode>& sdl_modes) {
    std::vector<HostDisplayMode> out;
    for (auto m = sdl_modes.rbegin(); m != sdl_modes.rend(); ++m) {
        if (m->width <= 0 || m->height <= 0) continue;
        HostDisplayMode mode{m->width, m->height, PICTURE_BITS_PER_PIXEL};
        auto same = [&](const HostDisplayMode& o) { return o.width == mode.width && o.height == mode.height; };
        if (std::none_of(out.begin(), out.end(), same)) out.push_back(mode);
    }
    std::stable_sort(out.begin(), out.end(), [](const HostDisplayMode& a, const HostDisplayMode& b) {
        return int64_t(a.width) * a.height < int64_t(b.width) * b.height;
    });
    return out;
}

bool host_display_enum_mode(int32_t n, HostDisplayMode& mode) {
    if (sdl_display_active()) return sdl_display_enum_mode(n, mode);
    if (n < 0 || std::size_t(n) >= s_config.modes.size()) return false;
    mode = s_config.modes[std::size_t(n)];
    return true;
}

void host_display_fullscreen_size(int32_t& cx, int32_t& cy) {
    if (sdl_display_active()) return sdl_display_fullscreen_size(cx, cy);
    cx = s_config.fullscreen_cx;
    cy = s_config.fullscreen_cy;
}

HostWindowMetrics host_window_metrics() { return sdl_display_active() ? sdl_window_metrics() : s_config.metrics; }

void host_display_change_mode(const HostDisplayMode& mode) {
    if (sdl_display_active()) return sdl_display_change_mode(mode);
    record(HostDisplayRequest::ChangeMode, mode);
}

bool host_exclusive_open() {
    if (sdl_display_active()) return sdl_exclusive_open();
    if (!s_config.exclusive_available) return false;
    s_exclusive_open = true;
    record(HostDisplayRequest::ExclusiveOpen);
    return true;
}

void host_exclusive_close() {
    if (sdl_display_active()) return host_display_restore();
    if (!s_exclusive_open) return;
    s_exclusive_open = false;
    record(HostDisplayRequest::ExclusiveClose);
}

void host_exclusive_enum_modes(bool (*mode)(const HostDisplayMode&)) {
    if (sdl_display_active()) {
        HostDisplayMode m;
        for (int32_t n = 0; sdl_display_enum_mode(n, m); n++)
            if (!mode(m)) break;
        return;
    }
    if (!s_exclusive_open) return;
    for (const HostDisplayMode& m : s_config.exclusive_modes)
        if (!mode(m)) break;
}

bool host_exclusive_acquire() {
    if (sdl_display_active()) return true;
    if (!s_exclusive_open || !s_config.exclusive_acquire_ok) return false;
    record(HostDisplayRequest::ExclusiveAcquire);
    return true;
}

bool host_exclusive_set_mode(const HostDisplayMode& mode) {
    if (sdl_display_active()) return sdl_exclusive_set_mode(mode);
    record(HostDisplayRequest::ExclusiveSetMode, mode);
    return s_config.exclusive_set_mode_ok;
}

// SDL's full screen keeps its mode until the window leaves it.
void host_exclusive_normal() {
    if (!sdl_display_active()) record(HostDisplayRequest::ExclusiveNormal);
}
