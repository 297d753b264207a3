// SDL events as window message records for the emulated machine.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host/window_message.h"

inline constexpr int SDL_EVENT_MAX_MESSAGES = 32;  // one text input event holds at most 32 bytes

// What a host event means to the machine.
struct EventMessages {
    int count = 0;
    WindowMessage list[SDL_EVENT_MAX_MESSAGES];
    bool mouse_button = false;  // a button went down or up: the pump stops after it
};

// In SDL's relative mouse mode: a pointer of our own that adds up the
// movements, kept inside the picture as drawn (width x height client dots).
struct VirtualPointer {
    int x = 0, y = 0;
    int width = 0, height = 0;
};

// Records of one event: WM_KEYDOWN/UP with the virtual key (autorepeat
// marks the key as down before), WM_CHAR for ASCII text (with the input
// method detached: for the character the key types, see sdl_key_text.h)
// and for Enter, BS, Tab, Esc and Ctrl+letter, and mouse records in client coordinates (the
// picture starts at row picture_top of the window). F10, Alt and keys
// pressed with Alt never reach the machine. With a virtual pointer, mouse
// records carry its position instead of the host pointer's.
EventMessages sdl_event_messages(const SDL_Event& e, int picture_top, VirtualPointer* relative = nullptr);

// The key record Alt makes when IME is set: F10 down or up.
WindowMessage alt_as_f10(uint32_t window, bool down);
