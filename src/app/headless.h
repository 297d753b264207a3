// The headless runner: the machine without a window, for tests, benchmarks
// and scripted runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HeadlessOptions {
    bool headless = false;
    uint32_t frames = 0;         // 0 = until power-off or a break
    std::string dump_ram;        // main RAM is written here at the end
    std::string screenshot;      // the visible picture as a PNG
    bool virtual_clock = false;  // deterministic pacing: a tick per 200,000 cycles
    std::string error;           // set when an option is malformed
};

// Takes the host options out of args (args[0] is the program) and leaves
// the rest for the system's own command line.
HeadlessOptions headless_parse_options(std::vector<std::string>& args);

struct HeadlessResult {
    int exit_status;
    bool powered_off;
    uint32_t frames;
    std::string statistics; // "X68000 %.1fMHz %df/s:%df/s"
};

// Starts the machine, runs it until power-off, a break or the frame limit,
// stops it and writes what the options ask for.
HeadlessResult headless_run(const HeadlessOptions& options);
