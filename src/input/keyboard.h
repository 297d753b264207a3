// Keyboard: host keys as make/break bytes through the MFP's receiver (KEY
// 1), or as the key matrix and key buffer of the IOCS work area (KEY 0);
// the typing of the command line's paste text.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/window_message.h"

inline constexpr int KEY_RING_SIZE = 128;  // make/break bytes; at most 127 wait
inline constexpr int KEY_SCAN_CODES = 128;
inline constexpr int KEY_HOST_KEYS = 256;      // virtual-key codes
inline constexpr uint8_t KEY_RELEASED = 0x80;  // g_keyboard.key_state: key up; 0 = down
inline constexpr uint8_t KEY_BREAK = 0x80;     // a break byte: scan code + 0x80
inline constexpr uint8_t KEY_SCAN_MASK = 0x7F;
// Scan codes of the keys with a mode LED (かな to 全角): the panel shows them.
inline constexpr uint8_t KEY_LED_FIRST = 0x5A, KEY_LED_LAST = 0x60;
// Shift-type keys (SHIFT 0x70 to 0x7F): their release is a buffer entry.
inline constexpr uint8_t KEY_SHIFT_FIRST = 0x70;
// MFP receive times: the first byte after 8 cycles, the next ones spaced
// by cycles per frame * 46 / 182.
inline constexpr int64_t KEY_FIRST_BYTE_CYCLES = 8;
inline constexpr int64_t KEY_BYTE_SPACING_MUL = 46, KEY_BYTE_SPACING_DIV = 182;
// MFP RSR: buffer full and receiver on; receiver on only.
inline constexpr uint8_t KEY_RSR_FULL = 0x81, KEY_RSR_EMPTY = 0x01;
// IOCS calls to let pass before the paste text is typed.
inline constexpr int32_t KEY_PASTE_DELAY = 3000;

// IOCS keyboard work area in main RAM (big-endian words).
inline constexpr uint32_t KEY_WORK_MATRIX = 0x800;  // 16 bytes: bit (scan & 7) of byte scan >> 3
inline constexpr uint32_t KEY_WORK_SHIFT = 0x811;   // SHIFT, CTRL, OPT.1, OPT.2, かな, ローマ字, コード, CAPS
inline constexpr uint32_t KEY_WORK_COUNT = 0x812;   // entries waiting
inline constexpr uint32_t KEY_WORK_WRITE = 0x816;   // low word: address of the entry written last
inline constexpr uint32_t KEY_WORK_READ = 0x81A;    // low word: address of the entry read last
inline constexpr uint32_t KEY_WORK_BUFFER = 0x81C;  // 64 entries: scan << 8 | character
inline constexpr uint32_t KEY_WORK_ENTRIES = 64;
inline constexpr uint32_t KEY_WORK_SLOT_MASK = 0x7E;  // even offsets of the 64 slots
inline constexpr uint16_t KEY_ENTRY_RELEASE = 0x8000;

struct KeyboardState {
    int32_t ring_write;                 // next ring position (modulo 128)
    uint8_t ring[KEY_RING_SIZE];        // make/break bytes waiting for the MFP
    int32_t ring_count;                 // bytes waiting, 0-127
    uint8_t key_state[KEY_SCAN_CODES];  // KEY 1: KEY_RELEASED or 0 (down) per scan code
    uint8_t host_down[KEY_HOST_KEYS];   // virtual keys the host holds down
    int32_t paste_delay;                // IOCS calls to let pass before the paste text is typed
};
extern KeyboardState g_keyboard;

// Text typed into the emulated keyboard from the command line (';' is typed
// as a carriage return): the host's request, which a power-on keeps; the
// typed part is taken off its front.
extern std::string g_paste_text;

// Power-on: no byte waits, every key released, the paste delay in full,
// the built-in key map. The reset reads the key and pad map "AT2X.KEY"
// again and leaves the rest.
void key_power_on();
void key_reset();
std::span<const uint8_t> key_state();
// A key with a mode LED changed: the panel shows the LEDs again soon.
void key_led_changed(uint32_t scan);
// Marks every key released (start-up and _KEY_INIT).
void key_init();

// Host key records of the main window, and characters (KEY 0 only).
void key_on_key_down(const WindowMessage& m);
void key_on_key_up(const WindowMessage& m);
void key_on_char(const WindowMessage& m);
// The main window lost the focus: every key the host holds goes up; with
// KEY 1 every scan code still down gets its break byte.
void key_release_all();

// KEY 1: queues one make/break byte for the MFP; false when the ring is full.
bool key_send_to_mfp(uint8_t b);
// At every UDR read: the oldest waiting byte into UDR (0 when none).
void key_deliver_next_byte();
// Request 17 (the receive interrupt was raised, its byte not yet read):
// the event of the byte behind it, if one waits.
void key_schedule_next_byte();

// KEY 0: the IOCS work area, while main RAM exists. A push into a full
// buffer (64 entries) is dropped and gives false. A pop of an empty buffer
// gives 0.
bool key_iocs_has_room();
bool key_push_iocs(uint16_t entry);
uint16_t key_pop_iocs(bool remove);
void key_set_matrix(uint16_t entry, bool pressed);

// Typing of g_paste_text, on every IOCS call but _B_KEYSNS: a delay, then
// one character per call while there is room for it.
void key_type_pump();
void key_type_next_char();

// True for a Japanese keyboard on the host (type 7, subtype above 1); the
// configuration then turns KEY on. Logs the type.
bool kbd_detect_type();
