#include "machine/startup.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "host/paths.h"
#include "machine/host_timer.h"
#include "machine/io_page.h"
#include "machine/log_lines.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/rom_files.h"
#include "machine/rtc.h"
#include "machine/scheduler.h"
#include "machine/sram.h"
#include "machine/system_port.h"
#include "video/sprite.h"

static bool g_machine_running;

bool init_machine_running() { return g_machine_running; }

void init_reset_cpu() {
    g_cpu_sr = 0x2700;
    g_cpu_pc = mem_read_long_c(0xFF0004);
    uint32_t ssp = mem_read_long_c(0xFF0000);
    cpu_sp() = g_cpu_usp_save = g_cpu_ssp_save = ssp;
    g_cycles = 0;
    g_cycle_deadline = 0x7FFFFFFF;
    g_irq_request = g_irq_level = g_irq_vector_offset = 0;
    g_cpu_stopped = 0;
    g_refetch = 1;
}

void init_reset_machine_state() {
    sched_clear();
    // The reset leaves the deadline at 0x7FFFFFFF with a kind that may be
    // stale; recompute it so the video timing that survived goes on.
    sched_find_next();
    rtc_reset();
    g_mem_probe_mode = 0;
}

void init_reset_machine() {
    init_reset_cpu();
    emu_clear_requests();
    init_reset_machine_state();
}

static void load_access_map() {
    std::FILE* f = std::fopen("access.dat", "rb");
    if (!f) return;
    size_t got = std::fread(g_rom_access_map, 1, ROM_ACCESS_MAP_SIZE, f);
    std::fclose(f);
    if (got != ROM_ACCESS_MAP_SIZE) log_add_line("access.dat: short file");
}

static void save_access_map() {
    if (!write_file_whole(path_join(host_current_dir(), "access.dat"), g_rom_access_map, ROM_ACCESS_MAP_SIZE))
        log_add_line("access.dat: could not be written");
}

int init_startup() {
    sched_advance();
    init_clear_trace_buffers();
    std::memset(g_rom_access_map, 0, ROM_ACCESS_MAP_SIZE);
    g_gvram_layout_mode = -1;
    if (!mem_alloc_images()) return -1;
    spr_init_area();
    if (init_load_roms() != 0) return -1;
    init_load_font_rom();

    g_main_ram_size = 0x400000;
    std::filesystem::path sram_path = sram_load({g_start_dir, g_exe_dir});
    if (!sram_path.empty()) log_add_line("loading..:" + sram_path.string());
    if (!mem_alloc_main_ram(g_main_ram_size) && !mem_alloc_main_ram(0x400000)) {
        g_init_message_box("メモリの確保が出来ません！\n", "ZOLM initialize 3", MB_INFO);
        return -1;
    }
    load_access_map();
    if (mem_map_build() != 0) return -1;
    fdc_reset_counters();
    g_pal_last_contrast = 0;
    g_sys_power_off_count = 0; // a new start is a new power-on
    clock_init_budget();
    init_reset_machine();
    g_event_request = REQ_FRAME_START;
    run_flags_set(RUN_REQUEST);
    run_flags_clear(RUN_RTC_TICK);
    return 0;
}

uint32_t init_start() {
    if (init_startup() != 0) return 1;
    g_machine_running = true;
    return 0;
}

void init_shutdown() {
    clock_stop_timer();
    if (!sram_save(g_start_dir)) log_add_line("sram.ram: could not be written");
    save_access_map();
    mem_free_main_ram();
}

void init_stop() {
    if (!g_machine_running) return;
    init_shutdown();
    g_machine_running = false;
}
