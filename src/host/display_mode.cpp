// Headless display: a fixed desktop; mode changes are recorded only.
#include "host/display_mode.h"

#include <cstddef>

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

bool host_display_enum_mode(int32_t n, HostDisplayMode& mode) {
    if (n < 0 || std::size_t(n) >= s_config.modes.size()) return false;
    mode = s_config.modes[std::size_t(n)];
    return true;
}

void host_display_fullscreen_size(int32_t& cx, int32_t& cy) {
    cx = s_config.fullscreen_cx;
    cy = s_config.fullscreen_cy;
}

HostWindowMetrics host_window_metrics() { return s_config.metrics; }

void host_display_change_mode(const HostDisplayMode& mode) { record(HostDisplayRequest::ChangeMode, mode); }

bool host_exclusive_open() {
    if (!s_config.exclusive_available) return false;
    s_exclusive_open = true;
    record(HostDisplayRequest::ExclusiveOpen);
    return true;
}

void host_exclusive_close() {
    if (!s_exclusive_open) return;
    s_exclusive_open = false;
    record(HostDisplayRequest::ExclusiveClose);
}

void host_exclusive_enum_modes(bool (*mode)(const HostDisplayMode&)) {
    if (!s_exclusive_open) return;
    for (const HostDisplayMode& m : s_config.exclusive_modes)
        if (!mode(m)) break;
}

bool host_exclusive_acquire() {
    if (!s_exclusive_open || !s_config.exclusive_acquire_ok) return false;
    record(HostDisplayRequest::ExclusiveAcquire);
    return true;
}

void host_exclusive_set_mode(const HostDisplayMode& mode) { record(HostDisplayRequest::ExclusiveSetMode, mode); }

void host_exclusive_normal() { record(HostDisplayRequest::ExclusiveNormal); }
