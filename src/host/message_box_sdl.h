// The SDL back end of the message boxes, for the window.
#pragma once

#include <SDL.h>

#include "host/message_box.h"

// Shows one box with SDL_ShowMessageBox over parent: OK, or Yes and No for
// a question. A box SDL cannot show goes to stderr as headless.
MessageBoxAnswer host_message_box_show_sdl(const char* text, const char* caption, MessageBoxKind kind);
// Makes the SDL back end the one in use, over parent (nullptr: none).
void host_message_box_use_sdl(SDL_Window* parent);
