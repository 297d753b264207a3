#include "app/app_startup.h"

#include "app/disk_panel_perf.h"
#include "app/info_dialogs.h"
#include "host/paths.h"

void app_init_instance(const std::vector<std::string>& command_line) {
    paths_init();
    info_log_host(command_line);
    perf_init();
}
