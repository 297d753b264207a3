// SDL events as window message records for the emulated machine.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host/window_message.h"

inline constexpr int SDL_EVENT_MAX_MESSAGES = 32; // one text input event holds at most 32 bytes

// What a host event means to the machine.
struct EventMessages {
    int count = 0;
    WindowMessage list[SDL_EVENT_MAX_MESSAGES];
    bool mouse_button = false; // a button went down or up: the pump stops after it
};

// Records of one event: WM_KEYDOWN/UP with the virtual key (autorepeat
// marks the key as down before), WM_CHAR for ASCII text and for Enter, BS,
// Tab, Esc and Ctrl+letter, and mouse records in client coordinates (the
// picture starts at row picture_top of the window). F10, Alt and keys
// pressed with Alt never reach the machine.
EventMessages sdl_event_messages(const SDL_Event& e, int picture_top);

// The key record Alt makes when IME is set: F10 down or up.
WindowMessage alt_as_f10(uint32_t window, bool down);
