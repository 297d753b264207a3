// The mouse: pointer position, buttons and the packet movement the SCC
// hands out.
#include "input/mouse.h"

#include <algorithm>
#include <cstdlib>

#include "input/work_area.h"
#include "machine/device.h"
#include "machine/settings.h"
#include "video/video_state.h"

MouseState g_mouse;

namespace {

constexpr int16_t ACCEL_LAST = 765;  // d(72)
constexpr int32_t H_SCALE_ONE = 4096, V_SCALE_ONE = 1024;

constexpr std::array<int16_t, MOUSE_ACCEL_ENTRIES + 1> make_accel_table() {
    std::array<int16_t, MOUSE_ACCEL_ENTRIES + 1> t{};
    // d(k) = floor(k * 1.25 * max(1, floor(k / 8))).
    for (int k = 1; k < MOUSE_ACCEL_ENTRIES; k++) t[k - 1] = int16_t(k * 5 * std::max(1, k / 8) / 4);
    t[MOUSE_ACCEL_ENTRIES - 1] = ACCEL_LAST;
    return t;
}

int32_t limit(int32_t d, int32_t n) { return std::clamp(d, -n, n); }

void set_button(uint16_t& field, uint32_t work_word, bool down) {
    uint16_t v = down ? MOUSE_BUTTON_DOWN : 0;
    if (g_settings.mouse == MOUSE_IOCS) work_area_set_word(work_word, v);
    else field = v;
}

// One axis of an IOCS-mode message: at most 100 dots towards the pointer.
void iocs_axis(int16_t position, int16_t& tracked, uint32_t work_word) {
    int32_t d = limit(int32_t(position) - tracked, MOUSE_IOCS_LIMIT);
    tracked = int16_t(tracked + d);
    work_area_set_word(work_word, uint16_t(d));
}

int16_t relative_axis(int16_t position, int16_t& tracked) {
    int32_t m = mouse_distance_to_count(limit(int32_t(position) - tracked, MOUSE_PACKET_LIMIT));
    tracked = int16_t(tracked + mouse_count_to_distance(m));
    return int16_t(m);
}

}  // namespace

const std::array<int16_t, MOUSE_ACCEL_ENTRIES + 1> g_mouse_accel_table = make_accel_table();

void mouse_power_on() { device_clear(g_mouse); }
std::span<const uint8_t> mouse_state() { return device_state_bytes(g_mouse); }

int32_t mouse_distance_to_count(int32_t d) {
    if (d == 0) return 0;
    int32_t n = std::abs(d), count = 0;
    for (int k = 0; k < MOUSE_ACCEL_ENTRIES && g_mouse_accel_table[k] < n; k++) count++;
    return d < 0 ? -count : count;
}

int32_t mouse_count_to_distance(int32_t m) {
    if (m == 0) return 0;
    int32_t k = std::min(std::abs(m), MOUSE_ACCEL_ENTRIES);
    int32_t d = g_mouse_accel_table[k - 1];
    return m < 0 ? -d : d;
}

void mouse_move(uint32_t lparam) {
    const VideoState& v = g_video;
    if (v.h_scale == 0 || v.v_scale == 0) return;
    int32_t px = int32_t(int16_t(lparam & 0xFFFF)) * H_SCALE_ONE / v.h_scale;
    int32_t py = int32_t(int16_t(lparam >> 16)) * V_SCALE_ONE / v.v_scale;
    MouseState& m = g_mouse;
    if (px >= 0 && px < v.src_width) m.x = int16_t(px);
    if (py >= 0 && py < v.src_height) m.y = int16_t(py);
    switch (g_settings.mouse) {
    case MOUSE_IOCS:
        work_area_set_word(MOUSE_WORK_X, uint16_t(m.x));
        work_area_set_word(MOUSE_WORK_Y, uint16_t(m.y));
        mouse_update_iocs_delta();
        break;
    default: break;  // MOUSE 1 and 2: the packet is made when it is sent
    }
}

void mouse_update_iocs_delta() {
    iocs_axis(g_mouse.x, g_mouse.tracked_x, MOUSE_WORK_DX);
    iocs_axis(g_mouse.y, g_mouse.tracked_y, MOUSE_WORK_DY);
}

void mouse_packet_delta_absolute() {
    MouseState& m = g_mouse;
    int32_t cx = int16_t(work_area_word(MOUSE_WORK_X)), cy = int16_t(work_area_word(MOUSE_WORK_Y));
    m.packet_dx = int16_t(mouse_distance_to_count(limit(m.x - cx, MOUSE_PACKET_LIMIT)));
    m.packet_dy = int16_t(mouse_distance_to_count(limit(m.y - cy, MOUSE_PACKET_LIMIT)));
}

void mouse_packet_delta_relative() {
    MouseState& m = g_mouse;
    m.packet_dx = relative_axis(m.x, m.tracked_x);
    m.packet_dy = relative_axis(m.y, m.tracked_y);
}

void mouse_update_packet() {
    if (g_settings.mouse == MOUSE_ABSOLUTE) mouse_packet_delta_absolute();
    else if (g_settings.mouse == MOUSE_RELATIVE) mouse_packet_delta_relative();
}

void mouse_left_down() { set_button(g_mouse.left, MOUSE_WORK_LEFT, true); }
void mouse_left_up() { set_button(g_mouse.left, MOUSE_WORK_LEFT, false); }
void mouse_right_down() { set_button(g_mouse.right, MOUSE_WORK_RIGHT, true); }
void mouse_right_up() { set_button(g_mouse.right, MOUSE_WORK_RIGHT, false); }
