// The routing of the main window's records to the keyboard, joystick and
// mouse.
#pragma once

#include <cstdint>

#include "host/window_message.h"

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
