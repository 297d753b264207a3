#include "app/headless.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "app/app_startup.h"
#include "app/command_line.h"
#include "app/config_file.h"
#include "app/headless_host.h"
#include "app/input_script.h"
#include "debugger/debugger.h"
#include "host/joystick_source.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "host/window_message.h"
#include "input/joystick.h"
#include "input/window_input.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "machine/startup.h"
#include "machine/ui_notice.h"
#include "sound/fm_card.h"
#include "sound/sound_host.h"
#include "storage/drive_slots.h"
#include "storage/windrv.h"
#include "storage/windrv_scan.h"
#include "video/frame_buffer.h"

namespace {

// A host option. value is the placeholder of its value in --help, nullptr
// for a flag. set stores the value (empty for a flag) in the options and
// returns what is wrong with it, empty when nothing is.
struct HostOption {
    const char* name;
    const char* value;
    const char* help;
    std::string (*set)(HeadlessOptions& o, const std::string& value);
};

// A whole number 0 to 4294967295, in decimal digits only.
bool parse_count(const std::string& v, uint32_t& n) {
    if (v.empty() || v.size() > 10) return false;
    uint64_t x = 0;
    for (char c : v) {
        if (c < '0' || c > '9') return false;
        x = x * 10 + uint64_t(c - '0');
    }
    if (x > UINT32_MAX) return false;
    n = uint32_t(x);
    return true;
}

// --fdN IMAGE: the FD0-FD3 setting for this run.
template <char Drive> std::string set_floppy(HeadlessOptions&, const std::string& v) {
    return cfg_add_override(std::string("FD") + Drive + "=" + v);
}

// One more unit of the host drive.
std::string add_host_drive(const std::string& dir) {
    std::vector<std::string> roots = windrv_roots();
    if (roots.size() >= WINDRV_MAX_UNITS) return "at most 26 folders";
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "\"" + dir + "\" is no folder";
    roots.push_back(dir);
    windrv_set_roots(std::move(roots));
    return {};
}

const HostOption HOST_OPTIONS[] = {
    {"--headless", nullptr, "run without a window",
     [](HeadlessOptions& o, const std::string&) {
         o.headless = true;
         return std::string();
     }},
    {"--frames", "N", "stop after N frames (0: at power-off)",
     [](HeadlessOptions& o, const std::string& v) {
         return parse_count(v, o.frames) ? std::string() : "takes a whole number, not \"" + v + "\"";
     }},
    {"--dump-ram", "FILE", "write main RAM to FILE at the end",
     [](HeadlessOptions& o, const std::string& v) {
         o.dump_ram = v;
         return std::string();
     }},
    {"--screenshot", "FILE", "write the visible picture to FILE as a PNG at the end",
     [](HeadlessOptions& o, const std::string& v) {
         o.screenshot = v;
         return std::string();
     }},
    {"--window-shot", "FILE", "with the window: write its picture area to FILE as a PNG at the end",
     [](HeadlessOptions& o, const std::string& v) {
         o.window_shot = v;
         return std::string();
     }},
    {"--virtual-clock", nullptr, "deterministic pacing: a timer tick every 200,000 cycles",
     [](HeadlessOptions& o, const std::string&) {
         o.virtual_clock = true;
         return std::string();
     }},
    {"--wav", "FILE", "write the sound output to FILE (WAV, 44100 Hz 16-bit stereo) at the end",
     [](HeadlessOptions& o, const std::string& v) {
         o.wav = v;
         return std::string();
     }},
    {"--midi-port", "PORT", "send MIDI to the ALSA sequencer port PORT (CLIENT:PORT), not FluidSynth",
     [](HeadlessOptions& o, const std::string& v) {
         o.midi_port = v;
         return std::string();
     }},
    {"--input", "FILE", "run headless, feeding the machine the input script FILE (FRAME EVENT ARGS lines)",
     [](HeadlessOptions& o, const std::string& v) {
         o.input = v;
         o.headless = true;
         return std::string();
     }},
    {"--debugger", nullptr, "the console debugger on stdin/stdout (\"g\" runs the machine)",
     [](HeadlessOptions& o, const std::string&) {
         o.debugger = true;
         return std::string();
     }},
    {"--fd0", "IMAGE", "put IMAGE in floppy drive 0 for this run", set_floppy<'0'>},
    {"--fd1", "IMAGE", "put IMAGE in floppy drive 1 for this run", set_floppy<'1'>},
    {"--fd2", "IMAGE", "put IMAGE in floppy drive 2 for this run", set_floppy<'2'>},
    {"--fd3", "IMAGE", "put IMAGE in floppy drive 3 for this run", set_floppy<'3'>},
    {"--host-drive", "DIR", "the folder DIR as the host drive's next unit (up to 26)",
     [](HeadlessOptions&, const std::string& v) { return add_host_drive(v); }},
    {"--set", "KEY=VALUE", "give a setting of the configuration file VALUE for this run",
     [](HeadlessOptions&, const std::string& v) { return cfg_add_override(v); }},
    {"--help", nullptr, "show these options and exit",
     [](HeadlessOptions& o, const std::string&) {
         o.help = true;
         return std::string();
     }},
};

constexpr std::string_view OPTION_PREFIX = "--";
constexpr size_t HELP_COLUMN = 22;  // where the text of a --help line starts

const HostOption* find_option(std::string_view name) {
    for (const HostOption& opt : HOST_OPTIONS)
        if (name == opt.name) return &opt;
    return nullptr;
}

// A word of argv as it may stand in a one-line message.
std::string printable(std::string_view word) {
    std::string out(word);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

}  // namespace

std::string headless_options_help() {
    auto line = [](std::string left, const std::string& what) {
        left.resize(std::max(left.size() + 1, HELP_COLUMN), ' ');
        return left + what + "\n";
    };
    std::string text = "Usage: zolm [host options] [arguments for the system]\nHost options:\n";
    for (const HostOption& opt : HOST_OPTIONS)
        text += line(std::string("  ") + opt.name + (opt.value ? std::string(" ") + opt.value : ""), opt.help);
    text += "Arguments for the system:\n";
    for (const CommandLineArgument& arg : app_command_line_arguments()) text += line("  " + arg.form, arg.what);
    return text;
}

HeadlessOptions headless_parse_options(std::vector<std::string>& args) {
    HeadlessOptions o;
    std::vector<std::string> rest;
    cfg_clear_overrides();
    windrv_set_roots({});
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& word = args[i];
        if (i == 0 || !word.starts_with(OPTION_PREFIX)) {
            rest.push_back(word);
            continue;
        }
        size_t equals = word.find('=');
        std::string name = printable(word.substr(0, equals));
        const HostOption* opt = find_option(name);
        if (!opt) {
            o.error = name + ": no such option (zolm --help lists them)";
            break;
        }
        std::string value;
        if (!opt->value) {
            if (equals != std::string::npos) {
                o.error = name + ": takes no value";
                break;
            }
        } else if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size() && !args[i + 1].starts_with(OPTION_PREFIX)) {
            value = args[++i];
        } else {
            o.error = name + ": the value is missing (" + opt->name + " " + opt->value + ")";
            break;
        }
        if (opt->value && value.empty()) {
            o.error = name + ": the value is empty (" + opt->name + " " + opt->value + ")";
            break;
        }
        std::string why = opt->set(o, value);
        if (!why.empty()) {
            o.error = name + ": " + printable(why);
            break;
        }
        if (o.help) break;
    }
    app_parse_command_line(rest);
    args = rest;
    return o;
}

SoundHostOptions sound_host_options(const HeadlessOptions& options, bool window) {
    SoundHostOptions o;
    o.sdl_sink = window;
    o.wav = options.wav;
    o.virtual_clock = options.virtual_clock;
    o.midi_port = options.midi_port;
    return o;
}

static bool dump_main_ram(const std::string& path) {
    if (!g_machine.main_ram) return false;
    return write_file_whole(path, g_machine.main_ram, g_machine.main_ram_size);
}

namespace {

// The main window's id headless: the input script's records are its.
constexpr uint32_t HEADLESS_WINDOW_ID = 1;
HeadlessSession g_session;

// Brings the machine up; the picture's buffer is made before it starts, as
// the main window does. 0 on success.
uint32_t session_start() {
    HeadlessSession& s = g_session;
    sound_host_start(sound_host_options(*s.options, false));
    cfg_load();
    std::string refused = app_insert_images();
    if (!refused.empty()) {
        std::fprintf(stderr, "zolm: %s\n", printable(refused).c_str());
        panel_close_media();
        s.result.exit_status = EXIT_USAGE;
        return 1;
    }
    clock_set_pacing(s.options->virtual_clock ? ClockPacing::Virtual : ClockPacing::HostThread);
    g_main_window_id = HEADLESS_WINDOW_ID;
    if (!s.script.events.empty()) host_set_joystick_source(&s.script.pads);
    joy_open_devices();
    // The picture is composed for a screenshot, and for an input script's
    // mouse, whose positions are in the picture as drawn.
    if (!s.options->screenshot.empty() || !s.script.events.empty()) frame_buffer_setup(s.screenshot_buffer, true);
    uint32_t failed = init_start();
    if (failed) app_tell_start_failure(false);
    return failed;
}

// The run loop on the headless host, until what ends a run (HeadlessHost).
void session_run() {
    // Headless counts as focused: the sound plays.
    g_ui_notice.has_focus = 1;
    g_fmcard.output_on = 1;
    HeadlessHost host(g_session);
    dlg_run_main_loop(host, 0);
}

// The line for an output that could not be written, errno telling why.
std::string write_failure(const std::string& path) {
    return "zolm: " + path + " could not be written: " + write_error_text(errno) + "\n";
}

// Writes what the options ask for, stops the machine and settles the status.
void session_stop() {
    HeadlessSession& s = g_session;
    const HeadlessOptions& options = *s.options;
    bool written = options.dump_ram.empty() || dump_main_ram(options.dump_ram);
    std::string told = written ? "" : write_failure(options.dump_ram);
    bool shot = options.screenshot.empty() || frame_buffer_screenshot(s.screenshot_buffer, options.screenshot);
    if (!shot) told += write_failure(options.screenshot);
    init_stop();
    bool settings_saved = cfg_save();
    host_set_joystick_source(nullptr);
    g_main_window_id = 0;
    panel_close_media();
    bool sound_written = sound_host_finish();
    if (!sound_written) told = write_failure(options.wav) + told;
    std::fputs(told.c_str(), stderr);
    host_message_box_flush();
    if (s.halt_loop)
        std::fprintf(stderr,
                     "zolm: stopped: the machine does nothing but halt on a double bus fault "
                     "(last at PC $%06X) and reset\n",
                     s.halt_pc & 0xFFFFFF);
    // In the debugger a break hands control back to its prompt.
    bool failed_run = !options.debugger && ((s.broke && !s.result.powered_off) || s.halt_loop);
    if (init_files_unsaved() || !settings_saved || panel_write_back_failed()) s.result.exit_status = EXIT_UNSAVED;
    else if (s.halt_loop && !options.debugger) s.result.exit_status = EXIT_HALT_LOOP;
    else s.result.exit_status = failed_run || !written || !shot || !sound_written ? EXIT_RUN_FAILED : 0;
}

}  // namespace

HeadlessResult headless_run(const HeadlessOptions& options) {
    g_session.options = &options;
    g_session.screenshot_buffer = FrameBuffer();
    g_session.result = HeadlessResult{EXIT_START_FAILED, false, 0, {}};
    g_session.broke = g_session.halt_loop = false;
    g_session.halt_pc = 0;
    g_session.vsyncs = 0;
    g_session.script = {};
    // Without a window there is no picture area to take: refused before the start.
    if (!options.window_shot.empty()) {
        std::fprintf(stderr, "zolm: --window-shot: there is no window in a headless run\n");
        g_session.result.exit_status = EXIT_USAGE;
        return g_session.result;
    }
    if (!options.input.empty()) {
        std::string why = input_script_load(options.input, g_session.script);
        if (!why.empty()) {
            std::fprintf(stderr, "zolm: --input: %s\n", printable(why).c_str());
            g_session.result.exit_status = EXIT_USAGE;
            return g_session.result;
        }
    }

    if (options.debugger) {
        g_debugger_runner = session_run;
        bool started = dbg_command_loop(DbgSession{session_start, session_stop});
        g_debugger_runner = nullptr;
        if (!started) host_message_box_flush();
        return g_session.result;
    }
    if (session_start() != 0) {
        host_message_box_flush();
        return g_session.result;
    }
    auto started = std::chrono::steady_clock::now();
    uint64_t cycles_before = g_scheduler.cycles_total;
    session_run();
    uint64_t cycles = g_scheduler.cycles_total - cycles_before;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (seconds <= 0) seconds = 1e-9;
    char stats[96];
    std::snprintf(stats, sizeof stats, "X68000 %.1fMHz %df/s:%df/s", double(cycles) / seconds / 1e6,
                  int(g_session.result.frames / seconds), int(g_session.vsyncs / seconds));
    g_session.result.statistics = stats;
    session_stop();
    return g_session.result;
}
