// Display modes: the host's list, the first fitting mode, the exclusive
// mode and the window origin.
#include <gtest/gtest.h>

#include "host/display_mode.h"
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

}  // namespace
