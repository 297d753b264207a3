// Text without an input method. With the input method detached (the IME
// setting) SDL's text input is off, so no input method sees a key, and each
// key press types its character straight from the keyboard's layout, as a
// keyboard with no input method does.
#pragma once

#include <SDL.h>

#include <cstdint>

// Detaches the input method (SDL's text input off; key presses type) or
// attaches it again (text input on; SDL's text events type). Takes effect
// at once, for every window.
void sdl_detach_input_method(bool detached);
bool sdl_input_method_detached();

// The character (a code point) a key press types with no input method: a
// printable character of the US-101 or, with japanese, the JP-106 layout,
// by Shift and Caps Lock, the keypad's with Num Lock; 0 for a key that
// types none, a key released, and a key pressed with Ctrl, Alt or the
// system key.
uint32_t sdl_key_character(const SDL_KeyboardEvent& k, bool japanese);
