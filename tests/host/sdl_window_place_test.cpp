// A window's place within the usable screen, and the cursor over it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "host/sdl_window.h"

namespace {

// Whatever size is asked, the window fits the usable screen and stays on it.
TEST(SdlWindowPlace, TheWindowFitsTheUsableScreenAndStaysOnIt) {
    const SDL_Rect screen{0, 0, 1280, 1024};
    const SDL_Rect with_panel{0, 28, 1280, 996};  // a panel on top
    const WindowFrame none{}, framed{24, 2, 2, 2};
    struct Case {
        SDL_Rect usable;
        WindowFrame frame;
        int x, y, w, h;
        SDL_Rect want;  // the client rectangle
    } cases[] = {
        {screen, none, 255, 245, 768, 534, {255, 245, 768, 534}},                          // fits where asked
        {screen, none, 255, 245, 1275, 1004, {5, 20, 1275, 1004}},                         // moved back onto the screen
        {screen, none, 255, 245, 1600, 1200, {0, 0, 1280, 1024}},                          // cut to the screen
        {with_panel, framed, 255, 0, 1275, 1004, {3, 52, 1275, 970}},                      // frame and panel counted
        {screen, none, -4, -30, 640, 480, {0, 0, 640, 480}},                               // an origin off the top left
        {{1280, 0, 1024, 768}, none, 1280 + 600, 0, 640, 480, {1280 + 384, 0, 640, 480}},  // a second display
    };
    for (const Case& c : cases) {
        SDL_Rect r = window_fit_rect(c.usable, c.frame, c.x, c.y, c.w, c.h);
        EXPECT_EQ(r.x, c.want.x) << c.w << "x" << c.h;
        EXPECT_EQ(r.y, c.want.y) << c.w << "x" << c.h;
        EXPECT_EQ(r.w, c.want.w) << c.w << "x" << c.h;
        EXPECT_EQ(r.h, c.want.h) << c.w << "x" << c.h;
    }
}

// The disk panel and the debug information stand beside the main window:
// on a screen with room they cover neither it nor each other; on a small
// one they stay on the screen and cover as little as they must.
TEST(SdlWindowPlace, SideWindowsStandBesideTheMainWindow) {
    const std::vector<SDL_Point> panel_and_debug{{482, 251}, {362, 151}};
    struct Case {
        const char* what;
        SDL_Rect usable, main;
        std::vector<SDL_Point> want;
    } cases[] = {
        {"room on the right: a column there", {0, 0, 1920, 1080}, {575, 252, 770, 555}, {{1345, 252}, {1345, 503}}},
        {"centred on 1280 x 1024: above, then beside the panel",
         {0, 0, 1280, 1024},
         {255, 252, 770, 555},
         {{255, 1}, {737, 1}}},
        {"main at the top right: a column below it", {0, 0, 1280, 1024}, {510, 0, 770, 555}, {{510, 555}, {510, 806}}},
        {"main at the bottom right: on its left", {0, 0, 1280, 1024}, {510, 469, 770, 555}, {{28, 469}, {28, 720}}},
        {"a second display with a panel on top",
         {1920, 30, 1280, 994},
         {1920 + 255, 30, 770, 555},
         {{1920 + 255, 585}, {1920 + 737, 585}}},
        {"no room anywhere: on the screen, over the least", {0, 0, 800, 600}, {15, 22, 770, 555}, {{15, 349}, {15, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<SDL_Point> at = side_windows_place(c.usable, c.main, panel_and_debug);
        ASSERT_EQ(at.size(), 2u);
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_EQ(at[i].x, c.want[i].x) << "window " << i;
            EXPECT_EQ(at[i].y, c.want[i].y) << "window " << i;
            const SDL_Rect r{at[i].x, at[i].y, panel_and_debug[i].x, panel_and_debug[i].y};
            EXPECT_GE(r.x, c.usable.x);
            EXPECT_GE(r.y, c.usable.y);
            EXPECT_LE(r.x + r.w, c.usable.x + c.usable.w);
            EXPECT_LE(r.y + r.h, c.usable.y + c.usable.h);
        }
    }
}

// The window under the pointer sets the cursor: its own when it has one,
// else the one its dialogs ask for.
// SDL's dummy display has no cursors: the test needs X (xvfb-run).
TEST(SdlWindowPlace, TheWindowUnderThePointerSetsItsCursor) {
    const char* x = std::getenv("DISPLAY");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, x && *x ? "x11" : "dummy");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no dummy video: " << SDL_GetError();
    {
        HostWindow w;
        ASSERT_TRUE(w.open("cursor", 320, 200, SDL_WINDOW_SHOWN, {}));
        const uint8_t shape[2] = {0x18, 0x18};  // 8 x 1 dots
        SDL_Cursor* cross = SDL_CreateCursor(shape, shape, 8, 1, 4, 0);
        if (!cross) GTEST_SKIP() << "no cursors on this display: " << SDL_GetError();
        SDL_WarpMouseInWindow(w.window(), 100, 100);
        for (int i = 0; i < 50 && SDL_GetMouseFocus() != w.window(); i++) {  // X tells it a little later
            SDL_Delay(10);
            SDL_PumpEvents();
        }
        ASSERT_EQ(SDL_GetMouseFocus(), w.window());
        w.set_cursor_override(cross);
        w.begin_frame();
        w.end_frame();
        EXPECT_EQ(SDL_GetCursor(), cross);
        w.set_cursor_override(nullptr);
        w.begin_frame();
        w.end_frame();
        EXPECT_NE(SDL_GetCursor(), cross) << "the arrow the dialogs ask for";
        w.close();
        SDL_FreeCursor(cross);
    }
    SDL_Quit();
}

}  // namespace
