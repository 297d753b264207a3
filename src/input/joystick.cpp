// Joystick ports: keyboard and host joystick inputs merged through the
// pad table onto the i8255's ports A and B.
#include "input/joystick.h"

#include "host/joystick_source.h"
#include "host/port_bus.h"
#include "input/ppi.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "sound/opn.h"

namespace {

constexpr uint32_t VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;

// Buttons 1-8 on the keyboard: Z X C A S D V B.
constexpr char BUTTON_KEYS[] = {'Z', 'X', 'C', 'A', 'S', 'D', 'V', 'B'};
// The YM2203's I/O ports: register 15 selects the card's joystick
// connector, register 14 reads it.
constexpr uint32_t OPN_IO_SELECT = 15, OPN_IO_PORT = 14;
constexpr uint32_t OPN_IO_SELECT_PORT0 = 0x80, OPN_IO_SELECT_PORT1 = 0xC0;
// joyGetPos reads buttons 1-4; joyGetPosEx 1-12.
constexpr int POS_BUTTONS = 4;

// Directions from the axes, then the buttons, as active-low raw bits.
uint16_t raw_from_position(const JoyPad& pad, const HostJoyPos& pos, int buttons) {
    uint16_t r = JOY_RAW_NONE;
    if (pos.x < pad.x_low) r &= uint16_t(~JOY_LEFT);
    else if (pos.x > pad.x_high) r &= uint16_t(~JOY_RIGHT);
    if (pos.y > pad.y_high) r &= uint16_t(~JOY_DOWN);
    else if (pos.y < pad.y_low) r &= uint16_t(~JOY_UP);
    for (int b = 0; b < buttons; b++)
        if (pos.buttons & (1u << b)) r &= uint16_t(~(1u << (JOY_BUTTON_SHIFT + b)));
    return r;
}

void thresholds(uint32_t min, uint32_t max, uint32_t& low, uint32_t& high) {
    uint32_t q = (max - min) / 4;
    low = min + q;
    high = min + 3 * q;
}

}  // namespace

JoystickState joy_initial_state() {
    JoystickState j{};
    for (auto& table : j.pad_tables)
        for (uint32_t& e : table) e = UINT32_MAX;
    return j;
}

JoystickState g_joystick = joy_initial_state();

void joy_merge_state(int p) {
    // A JOYOUT beyond the six tables merges with table 0.
    int t = g_settings.joyout >= 0 && g_settings.joyout < JOY_PAD_TABLES ? g_settings.joyout : 0;
    const uint32_t* table = g_joystick.pad_tables[t];
    uint16_t raw = g_ppi.raw[p];
    uint32_t out = UINT32_MAX;
    bool autofire = (g_machine.frame.frame_counter & 1) != 0;
    for (int k = 0; k < JOY_AUTOFIRE; k++) {
        if (raw & (1u << k)) continue;
        out &= table[k];
        if (autofire) out &= table[JOY_AUTOFIRE + k];
    }
    g_ppi.regs[PPI_PORT_A + 2 * p] = uint8_t(out);
    g_ppi.regs[PPI_PORT_A_HIGH + 2 * p] = uint8_t(out >> 8);
}

uint16_t joy_key_to_buttons(uint32_t vk) {
    switch (vk) {
    case VK_UP: return JOY_UP;
    case VK_DOWN: return JOY_DOWN;
    case VK_LEFT: return JOY_LEFT;
    case VK_RIGHT: return JOY_RIGHT;
    default: break;
    }
    for (int b = 0; b < int(sizeof BUTTON_KEYS); b++)
        if (vk == uint32_t(BUTTON_KEYS[b])) return uint16_t(1u << (JOY_BUTTON_SHIFT + b));
    return 0;
}

uint16_t joy_key_to_direction(uint32_t vk) {
    switch (vk) {
    case VK_LEFT: return JOY_RIGHT;
    case VK_UP: return JOY_DOWN;
    case VK_RIGHT: return JOY_LEFT;
    case VK_DOWN: return JOY_UP;
    default: return 0;
    }
}

void joy_on_key_down(uint32_t vk) {
    for (int p = 0; p < JOY_PORTS; p++) {
        if (joy_mode(p) != JOY_KEYBOARD) continue;
        if (uint16_t b = joy_key_to_buttons(vk)) {
            g_ppi.raw[p] &= uint16_t(~b);
            g_ppi.raw[p] |= joy_key_to_direction(vk);
        }
        joy_merge_state(p);
    }
}

void joy_on_key_up(uint32_t vk) {
    for (int p = 0; p < JOY_PORTS; p++) {
        if (joy_mode(p) != JOY_KEYBOARD) continue;
        g_ppi.raw[p] |= joy_key_to_buttons(vk);
        joy_merge_state(p);
    }
}

void joy_release_all() {
    for (int p = 0; p < JOY_PORTS; p++) {
        if (joy_mode(p) != JOY_KEYBOARD) continue;
        g_ppi.raw[p] = JOY_RAW_NONE;
        joy_merge_state(p);
    }
}

void joy_open_devices() {
    JoystickSource& src = *host_joystick_source();
    g_joystick.num_devs = src.count();
    g_joystick.source_generation = src.generation();
    for (int p = 0; p < JOY_PORTS; p++) {
        HostJoyCaps caps;
        if (!src.caps(p, caps)) caps = {0, HOST_JOY_AXIS_MAX, 0, HOST_JOY_AXIS_MAX};
        JoyPad& pad = g_joystick.pad[p];
        thresholds(caps.x_min, caps.x_max, pad.x_low, pad.x_high);
        thresholds(caps.y_min, caps.y_max, pad.y_low, pad.y_high);
    }
}

void joy_poll_pad(int p) {
    JoyPad& pad = g_joystick.pad[p];
    uint16_t r;
    switch (joy_mode(p)) {
    case JOY_POS:
    case JOY_POS_EX: {
        HostJoyPos pos;
        // A device that is gone reads as nothing pressed.
        if (!host_joystick_source()->position(p, pos)) r = JOY_RAW_NONE;
        else r = raw_from_position(pad, pos, joy_mode(p) == JOY_POS ? POS_BUTTONS : HOST_JOY_BUTTONS);
        break;
    }
    case JOY_FM_CARD: r = g_joystick.fm_port ? uint16_t(0xFF00 | (joy_read_fm_port(p) & 0xFF)) : JOY_RAW_NONE; break;
    default: return;
    }
    g_ppi.raw[p] = r;
    joy_merge_state(p);
}

void joy_poll() {
    if (g_ppi.poll_countdown == 0) return;
    g_ppi.poll_countdown--;
    if (host_joystick_source()->generation() != g_joystick.source_generation) joy_open_devices();
    for (int p = 0; p < JOY_PORTS; p++)
        if (joy_mode(p) >= JOY_POS) joy_poll_pad(p);
}

int joy_probe_fm_port(JoystickState& j) {
    j.fm_port = 0;
    if (g_settings.joy0 != JOY_FM_CARD && g_settings.joy1 != JOY_FM_CARD) return 0;
    for (uint16_t port : OPN_CARD_PORTS)
        if (port_in(port) == 0) {
            j.fm_port = port;
            return 1;
        }
    return 0;
}

int32_t joy_read_fm_port(int p) {
    if (!g_joystick.fm_port) return -1;
    opn_write_register(OPN_IO_SELECT, p == 0 ? OPN_IO_SELECT_PORT0 : OPN_IO_SELECT_PORT1);
    return opn_read_register(OPN_IO_PORT);
}
