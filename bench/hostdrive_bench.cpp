// Host drive: one whole listing of a folder of 10,000 files as the driver
// asks for it (search-first, then search-next to the end), in milliseconds.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/cpu_regs.h"
#include "machine/machine.h"
#include "storage/windrv.h"
#include "storage/windrv_scan.h"
#include "support/machine_map.h"

namespace fs = std::filesystem;

namespace {

constexpr int FILES_IN_FOLDER = 10000;
constexpr uint32_t REQUEST = 0x1000, NAMESTS = 0x1100, FILES = 0x1200;
constexpr uint8_t ATTRIBUTE_FILES = 0x20;

void put32(uint32_t addr, uint32_t v) {
    for (int i = 0; i < 4; i++) g_machine.main_ram[addr + i] = uint8_t(v >> (24 - 8 * i));
}
int32_t result() {
    const uint8_t* p = g_machine.main_ram + REQUEST + 18;
    return int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
}

int32_t command(uint8_t code, uint8_t byte13, uint32_t arg1, uint32_t arg2) {
    g_machine.main_ram[REQUEST + 1] = 0;
    g_machine.main_ram[REQUEST + 13] = byte13;
    put32(REQUEST + 14, arg1);
    put32(REQUEST + 18, arg2);
    cpu_d(0) = code;
    cpu_a(5) = REQUEST;
    windrv_io_write_byte(WINDRV_PORT_BASE, 0);
    return result();
}

// A folder of files named F00000.DAT up, and the name record "*.*".
fs::path set_up() {
    std::string tmpl = (fs::temp_directory_path() / "zolm-bench-hostdrive-XXXXXX").string();
    if (!mkdtemp(tmpl.data()) || !machine_map_install(0x400000)) std::abort();
    for (int i = 0; i < FILES_IN_FOLDER; i++) {
        char name[32];
        std::snprintf(name, sizeof name, "F%05d.DAT", i);
        std::ofstream(fs::path(tmpl) / name) << i;
    }
    windrv_set_roots({tmpl});
    windrv_scan_drives();
    windrv_power_on();
    uint8_t* rec = g_machine.main_ram + NAMESTS;
    std::memset(rec, 0, 88);
    rec[2] = '\t';
    std::memcpy(rec + 67, "???????????", 11);
    return tmpl;
}

void BM_ListTenThousandFiles(benchmark::State& state) {
    fs::path folder = set_up();
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (int32_t r = command(WINDRV_CMD_FILES, ATTRIBUTE_FILES, NAMESTS, FILES); r == WINDRV_OK;
             r = command(WINDRV_CMD_NFILES, 0, 0, FILES))
            found++;
    }
    if (found != FILES_IN_FOLDER) state.SkipWithError("not every file was listed");
    state.counters["files"] = found;
    windrv_set_roots({});
    windrv_scan_drives();
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_ListTenThousandFiles)->Unit(benchmark::kMillisecond);

}  // namespace
