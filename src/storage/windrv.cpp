// The port, the command table and the units.
#include "storage/windrv.h"

#include <sys/statvfs.h>
#include <algorithm>
#include <cstring>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "machine/device.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "storage/dma.h"
#include "storage/windrv_internal.h"
#include "storage/windrv_scan.h"

WinDrvState g_windrv;

namespace {

std::vector<std::string> s_root_paths;
ConfinedRoot s_roots[WINDRV_MAX_UNITS];
unsigned s_unit_count;

constexpr uint32_t ADDRESS_MASK = 0xFFFFFF;
constexpr uint32_t PORT_COMMAND_MASK = 0xFF;
constexpr uint32_t BUS_ERROR_PEEK = 0xFF;  // what a peek shows of a bus error
constexpr uint8_t DRVCTRL_ANSWER = 0x42;
constexpr uint32_t DSKFRE_SECTOR = 512;
constexpr uint64_t DSKFRE_MAX_CLUSTERS = 0xFFFF;
constexpr uint32_t DSKFRE_MAX_CLUSTER_SECTORS = 64;
constexpr uint32_t DSKFRE_FREE = 0, DSKFRE_TOTAL = 2, DSKFRE_CLUSTER = 4, DSKFRE_BYTES = 6;

// What a command writes at request offset 18.
enum class ResultWrite { None, Value };

struct CommandEntry {
    int32_t (*run)(const WinDrvRequest&);
    ResultWrite write;
    int32_t refused;  // the result when the unit or a record is unusable
    bool needs_unit;
};

int32_t cmd_init(const WinDrvRequest& r) {
    int first = int(mem_read_byte_c(r.arg3));
    int units = std::clamp(std::min(int(s_unit_count), int(WINDRV_MAX_UNITS) - first), 0, int(WINDRV_MAX_UNITS));
    std::memset(g_windrv.files, 0, sizeof g_windrv.files);
    g_windrv.open_counter = 0;
    windrv_put_byte13(r, uint8_t(units));
    return WINDRV_OK;
}

int32_t cmd_drvctrl(const WinDrvRequest& r) {
    if (r.byte13 == 0) windrv_put_byte13(r, DRVCTRL_ANSWER);
    return WINDRV_OK;
}

int32_t cmd_failed(const WinDrvRequest&) { return WINDRV_FAIL; }
int32_t cmd_nothing(const WinDrvRequest&) { return WINDRV_OK; }

constexpr CommandEntry COMMANDS[WINDRV_CMD_LAST - WINDRV_CMD_INIT + 1] = {
    {cmd_init, ResultWrite::None, WINDRV_FAIL, false},
    {windrv_cmd_chdir, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_mkdir, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_rmdir, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_rename, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_delete, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_attribute, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_files, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_nfiles, ResultWrite::Value, WINDRV_NOT_FOUND, true},
    {windrv_cmd_create, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_open, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_close, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_read, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_write, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_seek, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_filedate, ResultWrite::Value, WINDRV_FAIL, true},
    {windrv_cmd_dskfre, ResultWrite::Value, 0, true},
    {cmd_drvctrl, ResultWrite::None, WINDRV_FAIL, false},
    {cmd_failed, ResultWrite::Value, WINDRV_FAIL, false},
    {cmd_nothing, ResultWrite::None, WINDRV_FAIL, false},
    {cmd_nothing, ResultWrite::None, WINDRV_FAIL, false},
    {cmd_nothing, ResultWrite::None, WINDRV_FAIL, false},
    {cmd_nothing, ResultWrite::Value, WINDRV_FAIL, false},
    {cmd_nothing, ResultWrite::Value, WINDRV_FAIL, false},
    {cmd_nothing, ResultWrite::Value, WINDRV_FAIL, false},
};

bool is_port(uint32_t addr) { return (addr & ADDRESS_MASK) >= WINDRV_PORT_BASE; }

}  // namespace

void windrv_power_on() {
    device_clear(g_windrv);
    windrv_drop_snapshots();
}

std::span<const uint8_t> windrv_state() { return device_state_bytes(g_windrv); }

uint32_t windrv_io_peek_byte(uint32_t addr) { return is_port(addr) ? WINDRV_PORT_ID : BUS_ERROR_PEEK; }

uint32_t windrv_io_read_byte(uint32_t addr) {
    if (is_port(addr)) return WINDRV_PORT_ID;
    mem_bus_error_read(addr);
    return 0;
}

void windrv_io_write_byte(uint32_t addr, uint32_t) {
    if (is_port(addr)) windrv_dispatch();
    else mem_bus_error_write(addr);
}

// Every argument is read from the header before the host is touched, and
// the result written after, so a fault in either leaves no host file half
// changed.
void windrv_dispatch() {
    uint32_t cmd = cpu_d(0) & PORT_COMMAND_MASK;
    cpu_d(0) = 0;
    uint32_t index = (cmd & ~uint32_t(WINDRV_CMD_ALIAS)) - WINDRV_CMD_INIT;
    if (index >= std::size(COMMANDS)) return;
    const CommandEntry& c = COMMANDS[index];
    WinDrvRequest r;
    r.a5 = cpu_a(5);
    r.unit = uint8_t(mem_read_byte_c(r.a5 + REQ_UNIT));
    r.byte13 = uint8_t(mem_read_byte_c(r.a5 + REQ_BYTE13));
    r.arg1 = mem_read_long_c(r.a5 + REQ_ARG1);
    r.arg2 = mem_read_long_c(r.a5 + REQ_ARG2);
    r.arg3 = mem_read_long_c(r.a5 + REQ_ARG3);
    bool usable = !c.needs_unit || (r.unit < s_unit_count && s_roots[r.unit].is_open());
    int32_t result = usable ? c.run(r) : c.refused;
    if (c.write == ResultWrite::Value) mem_write_long_c(uint32_t(result), r.a5 + REQ_ARG2);
}

void windrv_put_byte13(const WinDrvRequest& r, uint8_t value) { mem_write_byte_c(value, r.a5 + REQ_BYTE13); }

bool windrv_longname() { return g_settings.longname != 0; }

const ConfinedRoot& windrv_root(unsigned unit) { return s_roots[unit]; }

void windrv_set_roots(std::vector<std::string> roots) {
    if (roots.size() > WINDRV_MAX_UNITS) roots.resize(WINDRV_MAX_UNITS);
    s_root_paths = std::move(roots);
}

const std::vector<std::string>& windrv_roots() { return s_root_paths; }

void windrv_scan_drives() {
    for (ConfinedRoot& root : s_roots) root.close();
    s_unit_count = unsigned(s_root_paths.size());
    for (unsigned i = 0; i < s_unit_count; i++) s_roots[i].open(s_root_paths[i]);
}

unsigned windrv_unit_count() { return s_unit_count; }

bool windrv_reachable(uint32_t addr, uint32_t length) { return dma_host_pointer(addr, length) != nullptr; }

uint8_t* windrv_guest_ram(uint32_t addr, uint32_t length) {
    if (!g_machine.main_ram || uint64_t(addr) + length > g_machine.main_ram_size) return nullptr;
    return g_machine.main_ram + addr;
}

void windrv_guest_read(uint32_t addr, uint8_t* dst, uint32_t length) {
    if (const uint8_t* ram = windrv_guest_ram(addr, length)) {
        std::memcpy(dst, ram, length);
        return;
    }
    for (uint32_t i = 0; i < length; i++) dst[i] = uint8_t(mem_read_byte_c(addr + i));
}

void windrv_guest_write(uint32_t addr, const uint8_t* src, uint32_t length) {
    if (uint8_t* ram = windrv_guest_ram(addr, length)) {
        std::memcpy(ram, src, length);
        return;
    }
    for (uint32_t i = 0; i < length; i++) mem_write_byte_c(src[i], addr + i);
}

// Free space in 512-byte sectors and the smallest cluster (a power of two
// up to 64 sectors) that keeps the total within 65535 clusters; the
// counts are clamped, so the free bytes always fit 32 bits.
int32_t windrv_cmd_dskfre(const WinDrvRequest& r) {
    struct statvfs fs;
    if (fstatvfs(windrv_root(r.unit).fd(), &fs) != 0) return 0;
    uint64_t total = uint64_t(fs.f_blocks) * fs.f_frsize / DSKFRE_SECTOR;
    uint64_t free = uint64_t(fs.f_bavail) * fs.f_frsize / DSKFRE_SECTOR;
    uint32_t cluster = 1;
    while (cluster < DSKFRE_MAX_CLUSTER_SECTORS && total / cluster > DSKFRE_MAX_CLUSTERS) cluster *= 2;
    uint64_t total_clusters = std::min(total / cluster, DSKFRE_MAX_CLUSTERS);
    uint64_t free_clusters = std::min(free / cluster, total_clusters);
    mem_write_word_c(uint32_t(free_clusters), r.arg1 + DSKFRE_FREE);
    mem_write_word_c(uint32_t(total_clusters), r.arg1 + DSKFRE_TOTAL);
    mem_write_word_c(cluster, r.arg1 + DSKFRE_CLUSTER);
    mem_write_word_c(DSKFRE_SECTOR, r.arg1 + DSKFRE_BYTES);
    return int32_t(free_clusters * cluster * DSKFRE_SECTOR);
}
