// Stop-watches of the run loop and the statistics title of the disk panel.
#pragma once

#include <cstdint>
#include <string>

#include "machine/settings.h"

inline constexpr int PERF_RING = 16;

struct PerfWatch {
    int last = 0;  // last time, 0.1 ms units
    int ring[PERF_RING] = {};
    int index = 0;               // counts up, used modulo PERF_RING
    int64_t start = 0, end = 0;  // steady-clock stamps, nanoseconds
    std::string text;            // "%.1fmS %s"
};

enum PerfWatchId { PERF_MPU = 0, PERF_GEN = 1, PERF_BITBLT = 2, PERF_TEMP = 3, PERF_WATCHES = 4 };
inline constexpr const char* PERF_WATCH_NAMES[PERF_WATCHES] = {"MPU", "Gen", "BitBlt", "temp"};

struct PerfWatches {
    PerfWatch watch[PERF_WATCHES];
    int present = 0;        // a counter exists (the steady clock always does)
    int64_t frequency = 0;  // counts per second
};
extern PerfWatches g_perf_watches;  // PERFORM is g_settings.perform

// Marks the counter present, stores its frequency, sets PERFORM from it and
// logs "perf Freq: %lx:%08lx  %dMHz".
void perf_init();
void perf_mark_start(PerfWatchId id);
void perf_mark_end(PerfWatchId id);
// last := (end - start) in 0.1 ms, into the ring. Only while PERFORM is on.
void perf_elapsed(PerfWatchId id);
// text := "%.1fmS %s" with the last time and the watch's name.
void perf_format(PerfWatchId id);

// The statistics title of the disk panel. With PERFORM on: "X68000 (%s)
// (%s) (%s)" with the BitBlt, Gen and MPU texts. Otherwise "X68000
// %.1fMHz %df/s:%df/s": the clock from the cycles per frame (FRAME on) or
// from the syncs counted, then syncs and drawn frames per second. elapsed_ms
// is never 0 here (the run loop skips such an update).
std::string panel_stats_title(uint32_t cycles_per_frame, uint32_t vsync_count, uint32_t draw_count, uint32_t elapsed_ms,
                              bool frame_on);
