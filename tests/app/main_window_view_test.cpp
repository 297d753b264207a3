// The picture's place in the main window and the cursor over it.
#include <gtest/gtest.h>

#include "app/main_window_view.h"

namespace {

constexpr int MENU = 22;

TEST(MainWindowView, ThePictureFillsItsAreaOrKeepsItsShape) {
    struct Case {
        int client_w, client_h, picture_w, picture_h;
        bool full_screen;
        SDL_Rect want;
    } cases[] = {
        {768, 512 + MENU, 768, 512, false, {0, MENU, 768, 512}},  // the window the picture asked for
        {768, 512 + MENU, 0, 0, false, {0, MENU, 768, 512}},      // no picture yet: the whole area
        // The screen held less than 1275 x 982: scaled evenly, in the middle.
        {1275, 1002 - 40 + MENU, 1275, 982, false, {13, MENU, 1249, 962}},
        // The option sheet widened the window: scaled up evenly.
        {640, 560, 512, 256, false, {0, MENU + 109, 640, 320}},
        // Full screen: the picture at its size in the middle ...
        {1024, 768 + MENU, 640, 480, true, {192, MENU + 144, 640, 480}},
        // ... and smaller when the mode cannot hold it.
        {640, 480 + MENU, 1280, 960, true, {0, MENU, 640, 480}},
    };
    for (const Case& c : cases) {
        SDL_Rect r = picture_place(c.client_w, c.client_h, MENU, c.picture_w, c.picture_h, c.full_screen);
        EXPECT_EQ(r.x, c.want.x) << c.client_w << "x" << c.client_h;
        EXPECT_EQ(r.y, c.want.y) << c.client_w << "x" << c.client_h;
        EXPECT_EQ(r.w, c.want.w) << c.client_w << "x" << c.client_h;
        EXPECT_EQ(r.h, c.want.h) << c.client_w << "x" << c.client_h;
    }
    // The mouse in the picture's own coordinates wherever it lies.
    int x = 192 + 320, y = MENU + 144 + 479;
    picture_point({192, MENU + 144, 640, 480}, 640, 480, x, y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 479);
    x = 13 + 624;
    y = MENU;
    picture_point({13, MENU, 1249, 962}, 1275, 982, x, y);
    EXPECT_EQ(x, 636);
    EXPECT_EQ(y, 0);
}

TEST(MainWindowView, TheMachinesCursorShowsOverThePictureWithMouseOn) {
    EXPECT_TRUE(picture_cursor_wanted(1, MENU, MENU, false));
    EXPECT_TRUE(picture_cursor_wanted(2, 300, MENU, false));
    EXPECT_FALSE(picture_cursor_wanted(0, 300, MENU, false)) << "MOUSE off";
    EXPECT_FALSE(picture_cursor_wanted(1, MENU - 1, MENU, false)) << "over the menu bar";
    EXPECT_FALSE(picture_cursor_wanted(1, 300, MENU, true)) << "over a dialog";
}

}  // namespace
