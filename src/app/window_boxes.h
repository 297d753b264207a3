// The boxes of the program in its window: message boxes, the virus
// question and the notice while the substitute CG ROM is rendered, each in
// a window of its own.
#pragma once

#include <SDL.h>

// Puts the window's boxes in use over parent. The start-up boxes (a ROM
// missing, no memory) and those of files the end could not save also go to
// stderr, so that the run says why where it was started.
void window_boxes_use(SDL_Window* parent);
// Puts the headless ones back (stderr).
void window_boxes_release();
