#include "machine/startup.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "machine/device.h"
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

static bool g_machine_running;

namespace {
// The reset vectors: SSP and PC, read from the IPL ROM.
constexpr uint32_t RESET_SSP_VECTOR = 0xFF0000, RESET_PC_VECTOR = 0xFF0004;
constexpr uint32_t RESET_SR = 0x2700;
// The processor's reset sequence, in clock cycles.
constexpr uint32_t CPU_RESET_CYCLES = 40;
// A machine whose halts follow each other within a frame, over this many
// frames (the one the first halt came in counted, as a run's frame limit
// counts them), does nothing but halt and reset.
constexpr uint64_t HALT_LOOP_FRAMES = 60;
// The address space of the images or main RAM could not be had.
constexpr char NO_MEMORY_TEXT[] = "メモリの確保が出来ません！\n";
constexpr char NO_MEMORY_CAPTION[] = "ZOLM initialize 3";
constexpr char NO_MEMORY_WHY[] =
    "the host gives no memory for the machine's RAM and ROM images; free some (or raise ulimit -v)";
// The IPL ROM access map, read from and written to the current folder.
constexpr char ACCESS_MAP_FILE_NAME[] = "access.dat";
constexpr char ACCESS_MAP_SAVE_FAILED_CAPTION[] = "ZOLM access.dat";

struct HaltRecord {
    uint64_t last_halt_at;  // scheduler time of the last halt
    uint32_t loop_start;    // frame counter when the run of close halts began
    uint32_t last_pc;
    bool looping;
};
HaltRecord s_halts;
bool s_reset_reads_files = true;
std::string s_start_failure;  // why the last start failed
}  // namespace

bool init_machine_running() { return g_machine_running; }

void emu_cpu_halted(uint32_t pc) {
    char text[160];
    std::snprintf(text, sizeof text, "%s\n PC=%8X", "double buss haltが発生しました。\nMC68000をリセットします", pc);
    host_message_box(text, "MPU HALT", MB_INFO);
    sched_advance();
    uint64_t now = g_scheduler.cycles_total;
    uint64_t frame = g_cpu_regs.cycles_per_frame ? g_cpu_regs.cycles_per_frame : CLOCK_FLOOR;
    bool close = s_halts.last_halt_at != 0 && now - s_halts.last_halt_at < frame;
    // The clock's start sets the frame counter back: the run begins anew.
    const uint32_t frames = g_machine.frame.frame_counter;
    if (!close || frames < s_halts.loop_start) s_halts.loop_start = frames;
    s_halts.last_halt_at = now;
    s_halts.last_pc = pc;
    if (frames - s_halts.loop_start + 1 >= HALT_LOOP_FRAMES) s_halts.looping = true;
    // A halt that follows the last within a frame resets without reading
    // files again: a machine that halts over and over costs no more host
    // work per reset than the reset's own emulated time.
    s_reset_reads_files = !close;
    init_reset_machine();
    s_reset_reads_files = true;
}

bool init_reset_reads_files() { return s_reset_reads_files; }

bool init_halt_looping(uint32_t* pc) {
    if (pc) *pc = s_halts.last_pc;
    return s_halts.looping;
}

void init_reset_cpu() {
    // The cycles run before the reset belong to the time that went by, and
    // so does the reset sequence: frames go on through resets.
    sched_advance();
    g_cpu_regs.sr = RESET_SR;
    g_cpu_regs.pc = mem_read_long_c(RESET_PC_VECTOR);
    uint32_t ssp = mem_read_long_c(RESET_SSP_VECTOR);
    cpu_sp() = g_cpu_regs.usp_save = g_cpu_regs.ssp_save = ssp;
    g_cpu_regs.cycles = CPU_RESET_CYCLES;
    g_cpu_regs.cycle_deadline = 0x7FFFFFFF;
    g_cpu_regs.irq_request = g_cpu_regs.irq_level = g_cpu_regs.irq_vector_offset = 0;
    g_cpu_regs.stopped = 0;
    g_cpu_regs.exception_busy = EXCEPTION_NONE;
    g_cpu_regs.refetch = 1;
}

void init_reset_machine_state() {
    emu_clear_requests();
    sched_clear();
    // The reset leaves the deadline at 0x7FFFFFFF with a kind that may be
    // stale; recompute it so the video timing that survived goes on.
    sched_find_next();
    g_mem_probe_mode = 0;
}

void init_reset_machine() { devices_reset(); }

static void load_access_map() {
    std::FILE* f = fopen_regular(ACCESS_MAP_FILE_NAME);
    if (!f) return;
    size_t got = std::fread(g_rom_access_map, 1, ROM_ACCESS_MAP_SIZE, f);
    std::fclose(f);
    if (got != ROM_ACCESS_MAP_SIZE) log_add_line("access.dat: short file");
}

// The last init_stop could not save "access.dat"; the exit status tells.
static bool g_access_map_unsaved;

static void save_access_map() {
    std::string path = path_join(host_current_dir(), ACCESS_MAP_FILE_NAME);
    g_access_map_unsaved = !write_file_whole(path, g_rom_access_map, ROM_ACCESS_MAP_SIZE);
    if (!g_access_map_unsaved) return;
    std::string why = path + " could not be saved: " + write_error_text(errno);
    log_add_line(why);
    why += "\nthe IPL ROM access map of this run is lost";
    g_init_message_box(why.c_str(), ACCESS_MAP_SAVE_FAILED_CAPTION, MB_ERROR);
}

bool init_files_unsaved() { return sram_save_failed() || g_access_map_unsaved; }

int init_startup() {
    init_clear_trace_buffers();
    std::memset(g_rom_access_map, 0, ROM_ACCESS_MAP_SIZE);
    s_halts = {};
    s_start_failure.clear();
    if (!mem_alloc_images()) {
        s_start_failure = NO_MEMORY_WHY;
        g_init_message_box(NO_MEMORY_TEXT, NO_MEMORY_CAPTION, MB_INFO);
        return -1;
    }
    devices_power_on();
    if (init_load_roms() != 0) {
        s_start_failure = init_load_roms_failure();
        return -1;
    }
    init_load_font_rom();

    g_machine.main_ram_size = 0x400000;
    std::filesystem::path sram_path = sram_load({g_start_dir, g_exe_dir});
    if (!sram_path.empty()) log_add_line("loading..:" + sram_path.string());
    if (!mem_alloc_main_ram(g_machine.main_ram_size) && !mem_alloc_main_ram(0x400000)) {
        s_start_failure = NO_MEMORY_WHY;
        g_init_message_box(NO_MEMORY_TEXT, NO_MEMORY_CAPTION, MB_INFO);
        return -1;
    }
    load_access_map();
    if (mem_map_build() != 0) {
        s_start_failure = "the memory map could not be built";
        return -1;
    }
    clock_init_budget();
    init_reset_machine();
    g_machine.requests.event_request = REQ_FRAME_START;
    run_flags_set(RUN_REQUEST);
    run_flags_clear(RUN_RTC_TICK);
    return 0;
}

const std::string& init_start_failure() { return s_start_failure; }

uint32_t init_start() {
    if (init_startup() != 0) return 1;
    g_machine_running = true;
    return 0;
}

void init_shutdown() {
    clock_stop_timer();
    sram_save(g_start_dir);
    save_access_map();
    mem_free_main_ram();
}

void init_stop() {
    if (!g_machine_running) return;
    init_shutdown();
    g_machine_running = false;
}
