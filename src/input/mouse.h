// The mouse: the host pointer over the picture as the X68000 mouse, by the
// MOUSE setting: 0 straight into the firmware's mouse work area, 1 packets
// that drive the firmware's cursor to the pointer, 2 packets that follow
// the pointer's movement.
#pragma once

#include <array>
#include <cstdint>
#include <span>

inline constexpr int MOUSE_ACCEL_ENTRIES = 72;      // d(1) ... d(72)
inline constexpr int32_t MOUSE_PACKET_LIMIT = 752;  // distance limited before conversion
inline constexpr int32_t MOUSE_IOCS_LIMIT = 100;    // MOUSE 0: movement per message
inline constexpr uint16_t MOUSE_BUTTON_DOWN = 0xFFFF;

// The firmware's mouse work area (big-endian words).
inline constexpr uint32_t MOUSE_WORK = 0xAC6;
inline constexpr uint32_t MOUSE_WORK_LEFT = MOUSE_WORK + 0, MOUSE_WORK_RIGHT = MOUSE_WORK + 2,
                          MOUSE_WORK_DX = MOUSE_WORK + 4, MOUSE_WORK_DY = MOUSE_WORK + 6, MOUSE_WORK_X = MOUSE_WORK + 8,
                          MOUSE_WORK_Y = MOUSE_WORK + 0xA;

enum MouseMode : int { MOUSE_IOCS = 0, MOUSE_ABSOLUTE = 1, MOUSE_RELATIVE = 2 };

struct MouseState {
    int16_t x, y;                  // host pointer in emulated screen dots
    int16_t tracked_x, tracked_y;  // where the machine's side is taken to be (MOUSE 0, 2)
    uint16_t left, right;          // 0 or MOUSE_BUTTON_DOWN (MOUSE 1, 2)
    int16_t packet_dx, packet_dy;  // movement of the next packet
};
extern MouseState g_mouse;

// d(k): the cursor distance the firmware's acceleration gives for a packet
// count of k, then 0.
extern const std::array<int16_t, MOUSE_ACCEL_ENTRIES + 1> g_mouse_accel_table;

void mouse_power_on();
std::span<const uint8_t> mouse_state();

// Main-window records: lParam holds the client position (x low, y high)
// in the picture as drawn at h_scale and v_scale.
void mouse_move(uint32_t lparam);
void mouse_left_down();
void mouse_left_up();
void mouse_right_down();
void mouse_right_up();

// Movement of the packet being sent by MOUSE (1 absolute, 2 relative),
// made when its status byte is read: MOUSE 2 sends all the movement since
// the last packet (up to 127 counts; the rest goes with the next).
void mouse_update_packet();
void mouse_packet_delta_absolute();
void mouse_packet_delta_relative();
// MOUSE 0: movement into the work area, at most 100 dots per message.
void mouse_update_iocs_delta();
// Packet count for a distance, and back.
int32_t mouse_distance_to_count(int32_t d);
int32_t mouse_count_to_distance(int32_t m);
