// Host keys as Windows virtual-key codes, the codes the emulated keyboard
// and joystick tables are written in: SDL scancodes (physical keys) through
// the US-101 or the JP-106 layout as Windows codes them.
#pragma once

#include <SDL.h>

#include <cstdint>

enum VirtualKey : uint32_t {
    VK_NONE = 0x00,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,  // Alt
    VK_ESCAPE = 0x1B,
    VK_F10 = 0x79,
};

struct HostKey {
    uint32_t vk;    // VK_NONE: a key the machine never sees
    bool extended;  // the record's extended-key bit
    uint8_t set1;   // the key's Set-1 scan code (make)
};

// The virtual key of a physical key; japanese: the JP-106 layout.
HostKey sdl_scancode_to_vk(SDL_Scancode sc, bool japanese);
// The scan code and extended bits of a key record's lParam for a virtual
// key, as the US-101 layout places it; 0 for a key it does not have.
uint32_t vk_set1_lparam(uint32_t vk);
// The layout SDL reports: '@' right of P is a Japanese keyboard.
bool sdl_layout_is_japanese();
