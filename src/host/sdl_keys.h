// Host keys as Windows virtual-key codes, the codes the emulated keyboard
// and joystick tables are written in.
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
    VK_MENU = 0x12, // Alt
    VK_ESCAPE = 0x1B,
    VK_F10 = 0x79,
};

struct HostKey {
    uint32_t vk;   // VK_NONE: a key the machine never sees
    bool extended; // the record's extended-key bit
};

// The virtual key of a physical key (SDL scancodes name positions).
HostKey sdl_scancode_to_vk(SDL_Scancode sc);
