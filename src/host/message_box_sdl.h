// The window's back end of the message boxes: each box a window of its
// own, drawn with the UI font (host/message_box_window.h).
#pragma once

#include <SDL.h>

#include "host/message_box.h"

// Shows one box over the parent window: OK, or Yes and No for a question,
// with the kind's icon. A box that cannot be shown goes to stderr as
// headless.
MessageBoxAnswer host_message_box_show_sdl(const char* text, const char* caption, MessageBoxKind kind);
// Makes the window's back ends the ones in use (the boxes and the virus
// question), over parent (nullptr: none); host_message_box_use_stderr puts
// the headless ones back.
void host_message_box_use_sdl(SDL_Window* parent);
void host_message_box_use_stderr();

// A notice without caption or buttons, shown while the program works:
// shown with text (one at a time), then taken down with nullptr.
void host_notice_box(const char* text);
