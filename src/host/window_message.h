// Window messages as the emulated machine's input takes them: key, character
// and mouse records made from the host's events (input/window_input.h
// routes them to the devices).
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
    uint32_t window;   // the host window's id
    uint32_t message;  // WindowMessageCode
    uint32_t wparam;
    uint32_t lparam;
    bool operator==(const WindowMessage&) const = default;
};
