// Texts of the panel and the dialogs: the statistics title, the stop-watch
// text, the chooser's filter, the environment list.
#include <gtest/gtest.h>

#include "app/disk_panel_perf.h"
#include "app/file_chooser.h"
#include "app/info_dialogs.h"
#include "machine/log_lines.h"
#include "machine/settings.h"

namespace {

TEST(DialogText, StatisticsTitle) {
    const int perform = g_settings.perform;
    g_settings.perform = 0;
    struct Case {
        uint32_t cycles, vsyncs, draws, ms;
        bool frame;
        const char* title;
    };
    const Case cases[] = {
        {181818, 55, 55, 1000, true, "X68000 10.0MHz 55f/s:55f/s"},
        {0, 55, 27, 1000, false, "X68000 10.0MHz 55f/s:27f/s"},
        {0, 44, 11, 800, false, "X68000 10.0MHz 55f/s:13f/s"},
        {0, 1, 1, 0, false, "X68000 181.8MHz 1000f/s:1000f/s"},  // never divides by zero
    };
    for (const Case& c : cases) EXPECT_EQ(panel_stats_title(c.cycles, c.vsyncs, c.draws, c.ms, c.frame), c.title);

    g_settings.perform = 1;
    g_perf_watches.watch[PERF_MPU].last = 123;
    for (PerfWatchId id : {PERF_MPU, PERF_GEN, PERF_BITBLT}) perf_format(id);
    EXPECT_EQ(g_perf_watches.watch[PERF_MPU].text, "12.3mS MPU");
    EXPECT_EQ(panel_stats_title(0, 0, 0, 1000, true), "X68000 (0.0mS BitBlt) (0.0mS Gen) (12.3mS MPU)");
    g_settings.perform = perform;
}

TEST(DialogText, ChooserFilterMatchesWithoutCase) {
    const auto filters = file_filters_parse(
        "ZOLM (*.xdf;*.DIM;*.2HD;*.DUP;*.HDM)|*.xd*;*.2HD;*.DUP;*.DIM;*.HDM|ZOLM All Files (*.*)|*.*||");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "ZOLM (*.xdf;*.DIM;*.2HD;*.DUP;*.HDM)");
    EXPECT_EQ(filters[0].patterns.size(), 5u);
    for (const char* name : {"GAME.XDF", "game.xdf", "a.dim", "b.2hd", "c.Hdm", "d.xdx"})
        EXPECT_TRUE(file_filter_match(filters[0], name)) << name;
    for (const char* name : {"notes.txt", "xdf", "a.dim.bak"})
        EXPECT_FALSE(file_filter_match(filters[0], name)) << name;
    EXPECT_TRUE(file_filter_match(filters[1], "README"));
    EXPECT_TRUE(file_pattern_match("a?c*", "ABCdef"));
    EXPECT_TRUE(file_filters_parse("").empty());
}

TEST(DialogText, EnvironmentListIsRebuiltAtEachOpening) {
    log_add_line("dialog test line");
    const int speed = g_settings.speed;
    InfoDialog d;
    g_settings.speed = 3;
    info_dialog_open(d);
    auto has = [&](const std::string& line) {
        return std::find(d.lines.begin(), d.lines.end(), line) != d.lines.end();
    };
    EXPECT_TRUE(has("dialog test line"));
    EXPECT_TRUE(has(INFO_CONFIG_SEPARATOR));
    EXPECT_TRUE(has("SPEED:3"));
    EXPECT_EQ(d.lines.back().rfind("WINFONT:", 0), 0u);
    g_settings.speed = 4;
    info_dialog_open(d);
    EXPECT_TRUE(has("SPEED:4"));
    EXPECT_FALSE(has("SPEED:3"));
    g_settings.speed = speed;
    EXPECT_FALSE(info_host_lines({}).empty());
}

}  // namespace
