#include "app/disk_panel_perf.h"

#include <chrono>
#include <cstdio>

#include "machine/log_lines.h"
#include "machine/settings.h"
#include "video/render_sprite_text.h"

PerfWatches g_perf_watches;

namespace {

int64_t steady_now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr int64_t STEADY_FREQUENCY = 1'000'000'000;  // nanosecond counts
constexpr int64_t TENTHS_OF_MS_PER_SECOND = 10000;

}  // namespace

void perf_init() {
    g_perf_watches.present = 1;
    g_perf_watches.frequency = STEADY_FREQUENCY;
    g_settings.perform = g_perf_watches.present;
    const uint64_t f = static_cast<uint64_t>(g_perf_watches.frequency);
    const uint32_t low = static_cast<uint32_t>(f);
    char line[96];
    std::snprintf(line, sizeof line, "perf Freq: %lx:%08lx  %dMHz", static_cast<unsigned long>(f >> 32),
                  static_cast<unsigned long>(low), static_cast<int>(low / 1000 / 1000));
    log_add_line(line);
    g_text_layer_watch.start = [] { perf_mark_start(PERF_TEMP); };
    g_text_layer_watch.stop = [] {
        perf_mark_end(PERF_TEMP);
        perf_elapsed(PERF_TEMP);
    };
}

void perf_mark_start(PerfWatchId id) {
    if (g_settings.perform) g_perf_watches.watch[id].start = steady_now();
}

void perf_mark_end(PerfWatchId id) {
    if (g_settings.perform) g_perf_watches.watch[id].end = steady_now();
}

void perf_elapsed(PerfWatchId id) {
    if (!g_settings.perform || g_perf_watches.frequency <= 0) return;
    PerfWatch& w = g_perf_watches.watch[id];
    const int time = static_cast<int>((w.end - w.start) * TENTHS_OF_MS_PER_SECOND / g_perf_watches.frequency);
    w.last = time;
    w.ring[w.index % PERF_RING] = time;
    ++w.index;
}

void perf_format(PerfWatchId id) {
    PerfWatch& w = g_perf_watches.watch[id];
    char text[64];
    std::snprintf(text, sizeof text, "%.1fmS %s", w.last * 0.1, PERF_WATCH_NAMES[id]);
    w.text = text;
}

std::string panel_stats_title(uint32_t cycles_per_frame, uint32_t vsync_count, uint32_t draw_count, uint32_t elapsed_ms,
                              bool frame_on) {
    char title[160];
    if (g_settings.perform) {
        std::snprintf(title, sizeof title, "X68000 (%s) (%s) (%s)", g_perf_watches.watch[PERF_BITBLT].text.c_str(),
                      g_perf_watches.watch[PERF_GEN].text.c_str(), g_perf_watches.watch[PERF_MPU].text.c_str());
        return title;
    }
    if (elapsed_ms == 0) elapsed_ms = 1;
    constexpr float MHZ_PER_CYCLE_PER_FRAME = 0.000055000055f;  // 55 frames a second
    constexpr float MHZ_PER_SYNC_PER_MS = 181.81818f;
    const double mhz = frame_on ? cycles_per_frame * static_cast<double>(MHZ_PER_CYCLE_PER_FRAME)
                                : vsync_count * static_cast<double>(MHZ_PER_SYNC_PER_MS) / elapsed_ms;
    std::snprintf(title, sizeof title, "X68000 %.1fMHz %df/s:%df/s", mhz,
                  static_cast<int>(uint64_t{vsync_count} * 1000 / elapsed_ms),
                  static_cast<int>(uint64_t{draw_count} * 1000 / elapsed_ms));
    return title;
}
