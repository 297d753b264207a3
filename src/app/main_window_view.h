// Where the picture lies in the main window, and the cursor over it.
#pragma once

#include <SDL.h>

#include <cstdint>

// The picture's place in a client area of client_w x client_h with the menu
// bar (menu_h rows) on top, for a picture of picture_w x picture_h: the
// whole area when it has the picture's size; in full screen the picture at
// its size in the middle (smaller when the screen cannot hold it); else
// scaled evenly to the area, in its middle.
SDL_Rect picture_place(int client_w, int client_h, int menu_h, int picture_w, int picture_h, bool full_screen);

// A point of the window in the picture's own coordinates (client_width x
// client_height from the picture's top-left) for a picture placed at dst.
void picture_point(const SDL_Rect& dst, int picture_w, int picture_h, int& x, int& y);

// The machine's cursor shows over the picture while MOUSE is on, the
// pointer below the menu bar and over none of the dialogs.
bool picture_cursor_wanted(int32_t mouse_setting, int pointer_y, int menu_h, bool over_dialog);
