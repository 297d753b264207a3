#include "app/headless.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "host/paths.h"
#include "machine/host_timer.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "machine/startup.h"
#include "machine/system_port.h"
#include "video/frame_buffer.h"
#include "video/video_state.h"

HeadlessOptions headless_parse_options(std::vector<std::string>& args) {
    HeadlessOptions o;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        bool has_value = i + 1 < args.size();
        if (a == "--headless") o.headless = true;
        else if (a == "--virtual-clock") o.virtual_clock = true;
        else if (a == "--frames" && has_value) {
            const std::string& v = args[++i];
            char* end = nullptr;
            unsigned long n = std::strtoul(v.c_str(), &end, 10);
            if (v.empty() || *end || v[0] == '-' || n > 0xFFFFFFFFul) o.error = "--frames takes a whole number: " + v;
            else o.frames = uint32_t(n);
        }
        else if (a == "--dump-ram" && has_value) o.dump_ram = args[++i];
        else if (a == "--screenshot" && has_value) o.screenshot = args[++i];
        else rest.push_back(a);
    }
    args = rest;
    return o;
}

static bool dump_main_ram(const std::string& path) {
    if (!g_main_ram) return false;
    return write_file_whole(path, g_main_ram, g_main_ram_size);
}

HeadlessResult headless_run(const HeadlessOptions& options) {
    HeadlessResult result{1, false, 0, {}};
    clock_set_pacing(options.virtual_clock ? ClockPacing::Virtual : ClockPacing::HostThread);
    // The picture's buffer is made before the machine starts, as the main window does.
    FrameBuffer screenshot_buffer;
    if (!options.screenshot.empty()) frame_buffer_setup(screenshot_buffer, true);
    if (init_start() != 0) return result;

    auto started = std::chrono::steady_clock::now();
    uint64_t cycles_before = g_cycles_total;
    uint32_t vsyncs_before = g_vsync_count;
    clock_start_timer();
    bool broke = false;
    for (;;) {
        init_run_slice(0);
        if (g_event_request == REQ_END_SLICE) {
            emu_take_request();
            result.frames++;
        }
        clock_virtual_poll();
        if ((run_flags() & RUN_BREAK) && g_sys_power_off_count >= 2) {
            result.powered_off = true;
            break;
        }
        if (run_flags() & RUN_BREAK) {
            broke = true;
            break;
        }
        if (options.frames && result.frames >= options.frames) break;
    }
    clock_stop_timer();
    uint64_t cycles = g_cycles_total - cycles_before;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (seconds <= 0) seconds = 1e-9;
    char stats[96];
    std::snprintf(stats, sizeof stats, "X68000 %.1fMHz %df/s:%df/s", double(cycles) / seconds / 1e6,
                  int(result.frames / seconds), int((g_vsync_count - vsyncs_before) / seconds));
    result.statistics = stats;

    bool written = options.dump_ram.empty() || dump_main_ram(options.dump_ram);
    bool shot = options.screenshot.empty() || frame_buffer_screenshot(screenshot_buffer, options.screenshot);
    init_stop();
    if (!written) std::fprintf(stderr, "zolm: %s could not be written\n", options.dump_ram.c_str());
    if (!shot) std::fprintf(stderr, "zolm: %s could not be written\n", options.screenshot.c_str());
    result.exit_status = (broke && !result.powered_off) || !written || !shot ? 2 : 0;
    return result;
}
