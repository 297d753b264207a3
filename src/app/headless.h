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
    std::string window_shot;     // the window's picture area as a PNG, read back from the window
    bool virtual_clock = false;  // deterministic pacing: a tick per 200,000 cycles
    std::string wav;             // the sound output as a 44100 Hz 16-bit stereo WAV file
    std::string midi_port;       // MIDI to this ALSA sequencer port (CLIENT:PORT)
    std::string input;           // the input script applied frame by frame (implies headless)
    bool debugger = false;       // the console debugger on stdin/stdout; "g" runs the loop
    bool help = false;           // --help: show the host options and stop
    std::string error;           // "--option: what is wrong", the first one met
};

// Takes the host options out of args (args[0] is the program) and leaves
// the rest, every word not beginning with "--", for the system's own
// command line. An option's value is the next word ("--frames 5") or
// follows '=' ("--frames=5"). An unknown option, a missing, malformed or
// unwanted value sets error and stops the parse; so does --help, with help.
HeadlessOptions headless_parse_options(std::vector<std::string>& args);

// What the sound needs of the options; window: play through SDL audio.
struct SoundHostOptions;
SoundHostOptions sound_host_options(const HeadlessOptions& options, bool window);

// The host options, one line each with what it does, for --help.
std::string headless_options_help();

// Exit statuses of the program besides 0.
inline constexpr int EXIT_START_FAILED = 1;  // the machine could not start (a ROM missing)
inline constexpr int EXIT_USAGE = 2;         // a bad host option or an image refused; nothing ran
inline constexpr int EXIT_RUN_FAILED = 2;    // a break, or a file asked for not written
inline constexpr int EXIT_UNSAVED = 3;       // "sram.ram", "access.dat", the settings or a written ".DIM" not saved
inline constexpr int EXIT_HALT_LOOP = 4;     // the machine did nothing but halt and reset

struct HeadlessResult {
    int exit_status;
    bool powered_off;
    uint32_t frames;
    std::string statistics;  // "X68000 %.1fMHz %df/s:%df/s"
};

// Starts the machine, runs it until power-off, a break, the frame limit or
// an AC plug signal (host_signals_install), stops it and writes what the options ask for. With the debugger, the
// console debugger runs instead, its "g" running the loop each time; a
// break there is no failure, and no statistics come out.
HeadlessResult headless_run(const HeadlessOptions& options);
