// The keyboard's host side and the MFP road (KEY 1): host keys to make and
// break bytes, the ring they wait in, focus loss.
#include "input/keyboard.h"

#include <cstdio>
#include <cstring>

#include "core/cpu_regs.h"
#include "host/keyboard_type.h"
#include "input/keymap.h"
#include "machine/device.h"
#include "machine/log_lines.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "machine/startup.h"
#include "machine/ui_notice.h"

KeyboardState g_keyboard;

namespace {

constexpr int PANEL_REFRESH_SLICES = 2;

// IOCS road: the tables are looked up by the whole virtual key, as the map
// file stores them (keys at $80 and above are the JP-106's own).
void iocs_key_down(uint32_t vk) {
    uint32_t idx = vk & 0xFF;
    uint8_t s = g_keymap.sca[idx];
    if (s == 0) return;
    key_set_matrix(uint16_t(s << 8), true);
    if (g_keymap.ext[idx] == 0) key_push_iocs(uint16_t(s << 8));
}

void iocs_key_up(uint32_t vk) {
    uint8_t s = g_keymap.sca[vk & 0xFF];
    if (s == 0) return;
    if (s >= KEY_SHIFT_FIRST) key_push_iocs(uint16_t(s << 8 | KEY_ENTRY_RELEASE));
    key_set_matrix(uint16_t(s << 8), false);
}

// MFP road: an unmapped key sends nothing.
void mfp_key(uint32_t vk, bool down) {
    uint8_t scan = g_keymap.key[vk & 0xFF] & KEY_SCAN_MASK;
    if (scan == 0) return;
    key_send_to_mfp(down ? scan : uint8_t(scan | KEY_BREAK));
}

}  // namespace

void key_led_changed(uint32_t scan) {
    if (scan >= KEY_LED_FIRST && scan <= KEY_LED_LAST) g_ui_notice.panel_refresh_countdown = PANEL_REFRESH_SLICES;
}

void key_init() { std::memset(g_keyboard.key_state, KEY_RELEASED, sizeof g_keyboard.key_state); }

void key_power_on() {
    device_clear(g_keyboard);
    g_keyboard.paste_delay = KEY_PASTE_DELAY;
    key_init();
    keymap_power_on();
}

void key_reset() {
    if (init_reset_reads_files()) keymap_load();
}
std::span<const uint8_t> key_state() { return device_state_bytes(g_keyboard); }

void key_on_key_down(const WindowMessage& m) {
    uint32_t vk = m.wparam & 0xFF;
    g_keyboard.host_down[vk] = 1;
    if (g_settings.key) mfp_key(vk, true);
    else iocs_key_down(vk);
}

void key_on_key_up(const WindowMessage& m) {
    uint32_t vk = m.wparam & 0xFF;
    g_keyboard.host_down[vk] = 0;
    if (g_settings.key) mfp_key(vk, false);
    else iocs_key_up(vk);
}

// The character byte as typed: half-width katakana ($A1-$DF) keep bit 7.
void key_on_char(const WindowMessage& m) {
    uint32_t c = m.wparam & 0xFF;
    if (c == 0) return;
    uint8_t scan = g_keymap.asc[c];
    uint16_t release = (m.lparam & KEY_LPARAM_RELEASED) ? KEY_ENTRY_RELEASE : 0;
    key_push_iocs(uint16_t(scan << 8 | release | c));
}

void key_release_all() {
    for (uint32_t vk = 0; vk < KEY_HOST_KEYS; vk++)
        if (g_keyboard.host_down[vk])
            key_on_key_up({0, WM_KEYUP, vk, KEY_LPARAM_REPEAT_ONE | KEY_LPARAM_WAS_DOWN | KEY_LPARAM_RELEASED});
    for (uint32_t scan = 0; scan < KEY_SCAN_CODES; scan++)
        if (g_keyboard.key_state[scan] != KEY_RELEASED) key_send_to_mfp(uint8_t(scan | KEY_BREAK));
}

bool key_send_to_mfp(uint8_t b) {
    KeyboardState& k = g_keyboard;
    if (k.ring_count + 1 >= KEY_RING_SIZE) return false;
    g_keyboard.key_state[b & KEY_SCAN_MASK] = b & KEY_BREAK;
    k.ring[k.ring_write % KEY_RING_SIZE] = b;
    k.ring_write = (k.ring_write + 1) % KEY_RING_SIZE;
    k.ring_count++;
    g_mfp.regs[MFP_RSR] = KEY_RSR_FULL;
    sched_set_event(EV_MFP_RX_FULL, KEY_FIRST_BYTE_CYCLES);
    key_led_changed(b & KEY_SCAN_MASK);
    return true;
}

// The byte under this interrupt is still in the ring (its UDR read comes
// next and schedules what follows): only a byte behind it is scheduled, so
// that no interrupt comes without a byte.
void key_schedule_next_byte() {
    if (g_settings.key && g_keyboard.ring_count > 1)
        sched_set_event(EV_MFP_RX_FULL,
                        int64_t(g_cpu_regs.cycles_per_frame) * KEY_BYTE_SPACING_MUL / KEY_BYTE_SPACING_DIV);
}

void key_deliver_next_byte() {
    KeyboardState& k = g_keyboard;
    g_mfp.regs[MFP_UDR] = 0;
    if (k.ring_count == 0) return;
    g_mfp.regs[MFP_UDR] = k.ring[(k.ring_write - k.ring_count + KEY_RING_SIZE) % KEY_RING_SIZE];
    k.ring_count--;
    if (k.ring_count) {
        sched_set_event(EV_MFP_RX_FULL,
                        int64_t(g_cpu_regs.cycles_per_frame) * KEY_BYTE_SPACING_MUL / KEY_BYTE_SPACING_DIV);
        g_mfp.regs[MFP_RSR] = KEY_RSR_FULL;
    } else {
        g_mfp.regs[MFP_RSR] = KEY_RSR_EMPTY;
    }
}

bool kbd_detect_type() {
    HostKeyboardType t = host_keyboard_type();
    char line[64];
    std::snprintf(line, sizeof line, "keyboard type: %d , subtype %d, Fkey %d", t.type, t.subtype, t.function_keys);
    log_add_line(line);
    return t.type == HOST_KEYBOARD_JAPANESE && t.subtype > 1;
}
