// Window messages as the emulated machine's input takes them: key, character
// and mouse records made from the host's events, and the routing of the
// main window's records to the keyboard, joystick and mouse.
#pragma once

#include <cstdint>

// Message codes, as the Windows messages they stand for.
enum WindowMessageCode : uint32_t {
    WM_KILLFOCUS = 0x0008,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
};

// A key record's lParam: repeat count (bits 0-15), scan code (16-23),
// extended key (24), key was down before (30), key is being released (31).
inline constexpr uint32_t KEY_LPARAM_REPEAT_ONE = 0x00000001;
inline constexpr uint32_t KEY_LPARAM_SCAN_SHIFT = 16;
inline constexpr uint32_t KEY_LPARAM_EXTENDED = 1u << 24;
inline constexpr uint32_t KEY_LPARAM_WAS_DOWN = 1u << 30;
inline constexpr uint32_t KEY_LPARAM_RELEASED = 1u << 31;

// A mouse record's lParam: x in the low word, y in the high word, client
// (picture) coordinates; wParam the buttons held.
inline constexpr uint32_t MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002;
inline uint32_t mouse_lparam(int32_t x, int32_t y) { return (uint32_t(y) & 0xFFFF) << 16 | (uint32_t(x) & 0xFFFF); }

struct WindowMessage {
    uint32_t window;  // the host window's id
    uint32_t message; // WindowMessageCode
    uint32_t wparam;
    uint32_t lparam;
    bool operator==(const WindowMessage&) const = default;
};

// The main window's id (0 while there is none); only its records reach the
// machine.
extern uint32_t g_main_window_id;

// Where the routed records go: the input devices' handlers (tests put
// their own); a null entry takes nothing.
struct WindowInputSinks {
    void (*joy_on_key_down)(uint32_t vk);
    void (*joy_on_key_up)(uint32_t vk);
    void (*key_on_key_down)(const WindowMessage& m);
    void (*key_on_key_up)(const WindowMessage& m);
    void (*key_on_char)(const WindowMessage& m);
    void (*mouse_move)(uint32_t lparam);
    void (*mouse_left_down)();
    void (*mouse_left_up)();
    void (*mouse_right_down)();
    void (*mouse_right_up)();
    // The main window lost the focus: no key stays down, no note sounds.
    void (*focus_lost)();
};
extern WindowInputSinks g_window_input;

// Gives a main-window record to the devices: keys to the joystick, then the
// keyboard; characters to the keyboard only when KEY is 0; mouse moves only
// while both picture scale factors are nonzero. Every other record passes
// untouched; WM_KILLFOCUS is the focus lost. Always answers 1.
uint32_t emu_dispatch_window_message(const WindowMessage& m);
