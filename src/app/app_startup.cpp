#include "app/app_startup.h"

#include <cstdio>

#include "app/disk_panel_perf.h"
#include "app/info_dialogs.h"
#include "host/paths.h"
#include "machine/startup.h"

void app_init_instance(const std::vector<std::string>& command_line) {
    paths_init();
    info_log_host(command_line);
    perf_init();
}

void app_tell_start_failure(bool window_stays) {
    const std::string& why = init_start_failure();
    std::fprintf(stderr, "zolm: the machine cannot start: %s%s\n", why.empty() ? "its start-up failed" : why.c_str(),
                 window_stays ? ", then choose \"reset\" in the window (or \"X\" > \"----\" for the debugger)" : "");
}
