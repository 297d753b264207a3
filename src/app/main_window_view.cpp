#include "app/main_window_view.h"

#include <algorithm>

SDL_Rect picture_place(int client_w, int client_h, int menu_h, int picture_w, int picture_h, bool full_screen) {
    const int area_w = std::max(client_w, 0), area_h = std::max(client_h - menu_h, 0);
    if (picture_w <= 0 || picture_h <= 0 || (area_w == picture_w && area_h == picture_h))
        return {0, menu_h, area_w, area_h};
    // Scale num/den: the largest that holds the picture in the area; full
    // screen never enlarges it.
    int64_t num = area_w, den = picture_w;
    if (int64_t(area_h) * picture_w < int64_t(area_w) * picture_h) num = area_h, den = picture_h;
    if (full_screen && num > den) num = den = 1;
    const int w = int(int64_t(picture_w) * num / den), h = int(int64_t(picture_h) * num / den);
    return {(area_w - w) / 2, menu_h + (area_h - h) / 2, w, h};
}

void picture_point(const SDL_Rect& dst, int picture_w, int picture_h, int& x, int& y) {
    if (dst.w <= 0 || dst.h <= 0) return;
    x = int(int64_t(x - dst.x) * picture_w / dst.w);
    y = int(int64_t(y - dst.y) * picture_h / dst.h);
}

bool picture_cursor_wanted(int32_t mouse_setting, int pointer_y, int menu_h, bool over_dialog) {
    return mouse_setting != 0 && pointer_y >= menu_h && !over_dialog;
}
