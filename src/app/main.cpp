#include <cstdio>
#include <string>
#include <vector>

#include "app/app_startup.h"
#include "app/headless.h"
#include "app/main_window.h"
#include "core/decode.h"
#include "host/signals.h"
#include "host/version.h"
#include "video/video_state.h"

int main(int argc, char** argv) {
    // First of all: a signal from now on ends the run in order.
    host_signals_install();
    std::vector<std::string> args(argv, argv + argc);
    const std::vector<std::string> command_line = args;
    HeadlessOptions options = headless_parse_options(args);
    if (!options.error.empty()) {
        std::fprintf(stderr, "zolm: %s\n", options.error.c_str());
        return EXIT_USAGE;
    }
    if (options.help) {
        std::fputs(headless_options_help().c_str(), stdout);
        return 0;
    }
    app_init_instance(command_line);
    init_build_cpu_tables();
    vid_static_init();
    if (!options.headless && !main_window_display_present()) {
        std::fprintf(stderr, "zolm: no display (DISPLAY and WAYLAND_DISPLAY are unset): running headless\n");
        options.headless = true;
    }
    if (!options.headless) return main_window_run(options);
    HeadlessResult result = headless_run(options);
    if (!result.statistics.empty()) std::printf("%s\n", result.statistics.c_str());
    return result.exit_status;
}
