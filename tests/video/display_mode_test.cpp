// Display modes: the host's list, the first fitting mode, the exclusive
// mode and the window origin.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "host/display_mode.h"
#include "host/message_box.h"
#include "machine/settings.h"
#include "video/frame_buffer.h"
#include "video/video_state.h"

namespace {

// Display modes: the list, the first fitting mode, the least-excess
// exclusive mode, and the window origin.
TEST(VideoDisplayMode, ListFindFitAndExclusive) {
    g_video_host = {};
    host_display_reset();
    HostDisplayConfig& c = host_display_config();
    c.modes = {{640, 480, 16},  {800, 600, 16},  {1024, 768, 16}, {1075, 814, 16},
               {1076, 700, 16}, {1152, 864, 16}, {800, 600, 32}};
    c.fullscreen_cx = 1024;
    c.fullscreen_cy = 740;
    display_enum_modes(16);
    ASSERT_EQ(g_display_modes.count, 4);
    EXPECT_EQ(g_display_modes.modes[3].width, 1075);
    EXPECT_EQ(g_display_modes.current, 2);  // 1024 x 768 holds the full-screen client
    EXPECT_EQ(display_find_mode(768, 512), 1);
    EXPECT_EQ(display_find_mode(1100, 512), -1);

    // Fitting twice changes the mode once.
    display_fit_window(768, 512);
    display_fit_window(768, 512);
    ASSERT_EQ(host_display_events().size(), 1u);
    EXPECT_EQ(host_display_events()[0].mode.width, 800);
    EXPECT_EQ(g_display_mode_changed, 1);
    int32_t ow, oh;
    display_outer_size(768, 512, ow, oh);
    EXPECT_EQ(g_video_host.g_window_origin_x, (800 - ow - 2) / 2);
    EXPECT_EQ(g_video_host.g_window_origin_y, (600 - oh) / 2);

    // A mode 10 dots narrower than the outer window: origin x -4, not -6;
    // a mode lower than it: y = mode height - outer height.
    c.metrics.cx_border = 4;
    display_outer_size(640, 480, ow, oh);
    c.modes = {{ow - 10, 490, 16}};
    display_enum_modes(16);
    display_fit_window(640, 480);
    EXPECT_EQ(g_video_host.g_window_origin_x, -4);
    EXPECT_EQ(g_video_host.g_window_origin_y, 490 - oh);

    // Exclusive switcher: unavailable gives the message and stays off.
    host_display_reset();
    ddraw_static_init();
    g_settings.ddraw = 1;
    ddraw_setup();
    EXPECT_EQ(g_video_host.g_ddraw_active, 0);
    host_display_config().exclusive_available = true;
    host_display_config().exclusive_modes = {
        {640, 480, 16}, {800, 600, 16}, {1024, 768, 16}, {600, 800, 16}, {800, 600, 32}};
    ddraw_setup();
    ASSERT_EQ(g_video_host.g_ddraw_active, 1);
    EXPECT_EQ(g_video_host.g_relayout_request, 1);
    EXPECT_EQ(g_ddraw_screen.count, 4);
    EXPECT_EQ(ddraw_find_best_mode(768, 512), 1);
    EXPECT_EQ(ddraw_find_best_mode(600, 600), 1);  // 800 x 600 and 600 x 800 tie: the earlier
    EXPECT_EQ(ddraw_find_best_mode(2000, 2000), 0);
    host_display_events().clear();
    display_fit_window(768, 512);
    display_fit_window(768, 512);
    int set_modes = 0;
    for (const HostDisplayEvent& e : host_display_events())
        if (e.request == HostDisplayRequest::ExclusiveSetMode) {
            set_modes++;
            EXPECT_EQ(e.mode.width, 800);
        }
    EXPECT_EQ(set_modes, 1);
    EXPECT_EQ(g_display_modes.current, -1);
    g_settings.ddraw = 0;
    ddraw_setup();
    EXPECT_EQ(g_video_host.g_ddraw_active, 0);
    host_display_reset();
}

// The enumeration callback keeps at most 255 modes; later ones reuse the
// last slot without being listed.
TEST(VideoDisplayMode, ExclusiveListHoldsAtMost255Modes) {
    g_ddraw_screen.count = 0;
    for (int32_t k = 0; k < 300; k++) EXPECT_TRUE(ddraw_enum_mode_cb({640 + k, 480, 16}));
    EXPECT_TRUE(ddraw_enum_mode_cb({2000, 2000, 8}));
    EXPECT_EQ(g_ddraw_screen.count, 255);
    EXPECT_EQ(g_ddraw_screen.modes[254].width, 640 + 254);
    EXPECT_EQ(g_ddraw_screen.modes[255].width, 640 + 299);
    g_ddraw_screen.count = 0;
}

// SDL's list (largest first, each size at several depths and rates) becomes
// each size once, smallest first, at the picture's 16 bits, and the choices
// of both paths work on it as on the window system's list.
TEST(VideoDisplayMode, SdlModesListEachSizeOnceSmallestFirst) {
    struct Case {
        std::vector<HostDisplayMode> sdl;
        std::vector<HostDisplayMode> listed;
    } cases[] = {
        {{}, {}},
        {{{1920, 1080, 32}, {1920, 1080, 24}, {1280, 1024, 32}, {1280, 720, 32}, {800, 600, 16}, {640, 480, 32}},
         {{640, 480, 16}, {800, 600, 16}, {1280, 720, 16}, {1280, 1024, 16}, {1920, 1080, 16}}},
        // Equal areas keep SDL's order reversed; nonsense sizes are dropped.
        {{{1024, 768, 32}, {768, 1024, 32}, {0, 480, 32}}, {{768, 1024, 16}, {1024, 768, 16}}},
    };
    for (const Case& c : cases) {
        std::vector<HostDisplayMode> got = host_display_modes_from_sdl(c.sdl);
        ASSERT_EQ(got.size(), c.listed.size());
        for (size_t i = 0; i < got.size(); i++) {
            EXPECT_EQ(got[i].width, c.listed[i].width) << i;
            EXPECT_EQ(got[i].height, c.listed[i].height) << i;
            EXPECT_EQ(got[i].bits_per_pixel, 16) << i;
        }
    }

    // A 1920 x 1080 monitor (usable 1920 x 1050): the first fitting mode for
    // a 768 x 512 picture, and the least excess for the full screen.
    host_display_reset();
    host_display_config().modes = cases[1].listed;
    host_display_config().fullscreen_cx = 1920;
    host_display_config().fullscreen_cy = 1050;
    display_enum_modes(16);
    ASSERT_EQ(g_display_modes.count, 5);
    EXPECT_EQ(g_display_modes.current, 4);
    EXPECT_EQ(display_find_mode(768, 512), 1);
    EXPECT_EQ(display_find_mode(1275, 982), 3);
    g_ddraw_screen.count = 0;
    for (const HostDisplayMode& m : cases[1].listed) ddraw_enum_mode_cb(m);
    EXPECT_EQ(ddraw_find_best_mode(768, 512), 1);
    EXPECT_EQ(ddraw_find_best_mode(1024, 700), 2);  // 1280 x 720 wastes less than 1280 x 1024
    host_display_reset();
    g_ddraw_screen.count = 0;
}

// A host that refuses the full-screen mode: the message, and the switcher
// let go (the window stays as it was).
TEST(VideoDisplayMode, ARefusedFullScreenModeShowsTheMessageAndLetsGo) {
    g_video_host = {};
    host_display_reset();
    ddraw_static_init();
    host_display_config().exclusive_available = true;
    host_display_config().exclusive_modes = {{640, 480, 16}};
    host_display_config().exclusive_set_mode_ok = false;
    std::vector<std::string> boxes;
    static std::vector<std::string>* seen;
    seen = &boxes;
    MessageBoxBackend before = g_message_box_backend;
    host_message_box_flush();  // no earlier box counts as a repeat
    g_message_box_backend = [](const char* text, const char*, MessageBoxKind) {
        seen->push_back(text);
        return MB_ANSWER_OK;
    };
    g_settings.ddraw = 1;
    ddraw_setup();
    ASSERT_EQ(g_video_host.g_ddraw_active, 1);
    EXPECT_TRUE(boxes.empty());
    display_fit_window(640, 480);
    EXPECT_EQ(g_video_host.g_ddraw_active, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "DirectDrawが使用出来ません。");
    g_message_box_backend = before;
    host_message_box_flush();
    g_settings.ddraw = 0;
    host_display_reset();
}

// The switch itself on SDL's dummy display (one mode, 1024 x 768): the
// real list, DDRAW as the window's exclusive full screen in the mode
// chosen, and the desktop's mode back when DDRAW goes off and at the end.
TEST(VideoDisplayMode, SdlFullScreenOnTheDummyDisplay) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no dummy video: " << SDL_GetError();
    SDL_Window* w = SDL_CreateWindow("modes", 0, 0, 640, 480, 0);
    ASSERT_NE(w, nullptr) << SDL_GetError();
    g_video_host = {};
    ddraw_static_init();
    host_display_use_sdl(w);
    display_enum_modes(16);
    ASSERT_EQ(g_display_modes.count, 1);
    EXPECT_EQ(g_display_modes.modes[0].width, 1024);
    EXPECT_EQ(g_display_modes.modes[0].height, 768);
    EXPECT_EQ(g_display_modes.fullscreen_cx, 1024);

    // AUTOSIZE's switch: a window keeps the desktop's mode; only the origin
    // is set for it.
    display_fit_window(640, 480);
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN, 0u);

    g_settings.ddraw = 1;
    ddraw_setup();
    ASSERT_EQ(g_video_host.g_ddraw_active, 1);
    EXPECT_EQ(g_ddraw_screen.count, 1);
    display_fit_window(640, 480);
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP, uint32_t(SDL_WINDOW_FULLSCREEN));
    SDL_DisplayMode m{};
    ASSERT_EQ(SDL_GetWindowDisplayMode(w, &m), 0);
    EXPECT_EQ(m.w, 1024);
    EXPECT_EQ(m.h, 768);
    EXPECT_EQ(g_ddraw_screen.current, 0);
    EXPECT_EQ(g_display_mode_changed, 1);

    g_settings.ddraw = 0;
    ddraw_setup();
    EXPECT_EQ(g_video_host.g_ddraw_active, 0);
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN, 0u);

    // Full screen again, then the end: the window leaves it.
    g_settings.ddraw = 1;
    ddraw_setup();
    display_fit_window(640, 480);
    ASSERT_NE(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN, 0u);
    host_display_use_sdl(nullptr);
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN, 0u);
    g_video_host.g_ddraw_active = 0;
    g_settings.ddraw = 0;
    SDL_DestroyWindow(w);
    SDL_Quit();
    host_display_reset();
}

}  // namespace
