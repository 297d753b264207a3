// The program's start-up: the information list begins with the start-up
// lines, and the stop-watches run, so the DEBUG page keeps PERFORM.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/app_startup.h"
#include "app/disk_panel_perf.h"
#include "app/option_pages.h"
#include "host/paths.h"
#include "machine/log_lines.h"
#include "machine/settings.h"
#include "video/frame_buffer.h"
#include "video/render_sprite_text.h"
#include "video/video_state.h"

namespace {

TEST(AppStartup, LogsTheStartUpLinesAndStartsTheStopWatches) {
    const size_t first = g_log_lines.size();
    const int perform = g_settings.perform;
    app_init_instance({"/opt/zolm/zolm", "game.xdf", "-n"});
    ASSERT_GE(g_log_lines.size(), first + 5);
    const std::vector<std::string> lines(g_log_lines.begin() + long(first), g_log_lines.end());
    EXPECT_TRUE(lines[0].starts_with("Platform: ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("execute path: /")) << lines[1];
    EXPECT_EQ(lines[2], "commandline:/opt/zolm/zolm game.xdf -n");
    EXPECT_EQ(lines[3], "current path:" + g_start_dir);
    EXPECT_FALSE(g_start_dir.empty());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "perf Freq: 0:3b9aca00  1000MHz"), lines.end());

    // The counter is there: the DEBUG page keeps PERFORM, and a watch measures.
    EXPECT_TRUE(option_system_defaults().has_perf_counter());
    g_settings.perform = 1;
    perf_mark_start(PERF_MPU);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    perf_mark_end(PERF_MPU);
    perf_elapsed(PERF_MPU);
    perf_format(PERF_MPU);
    EXPECT_GE(g_perf_watches.watch[PERF_MPU].last, 20) << g_perf_watches.watch[PERF_MPU].text;
    g_settings.perform = perform;
}

// The "temp" watch times the text layer: one time more for every frame
// that draws text, none for a frame without it.
TEST(AppStartup, TheTempWatchTimesTheTextLayer) {
    const int perform = g_settings.perform;
    perf_init();
    g_settings.perform = 1;
    FrameBuffer fb;
    frame_buffer_setup(fb, true);
    g_video.src_width = 256;
    g_video.src_height = 256;
    const int before = g_perf_watches.watch[PERF_TEMP].index;
    g_video.layers_or = 0;
    tvram_draw(fb.bytes(), 1);
    EXPECT_EQ(g_perf_watches.watch[PERF_TEMP].index, before) << "no text, no time";
    g_video.layers_or = 0x20;  // text shown
    tvram_draw(fb.bytes(), 1);
    tvram_draw(fb.bytes(), 0);
    EXPECT_EQ(g_perf_watches.watch[PERF_TEMP].index, before + 2);
    EXPECT_GT(g_perf_watches.watch[PERF_TEMP].end, g_perf_watches.watch[PERF_TEMP].start);
    g_video.layers_or = 0;
    g_settings.perform = perform;
}

}  // namespace
