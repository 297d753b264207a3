// The SRAM page handlers, the boot-setting check and the file "sram.ram".
#include "machine/sram.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/bus.h"
#include "host/message_box.h"
#include "host/paths.h"
#include "machine/device.h"
#include "machine/log_lines.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/rom_files.h"
#include "machine/settings.h"

uint8_t* g_sram;
SramState g_sram_state;
SramConfirmFn g_sram_confirm_write = disk_confirm_write;

namespace {

constexpr uint32_t RAM_SIZE_MIN = 0x400000, RAM_SIZE_MAX = 0xC00000;
constexpr uint32_t SRAM_RAM_SIZE = 0x08;  // big-endian long: main RAM size
constexpr uint32_t SRAM_FIXUP = 0x0C;     // long fixed up at load
constexpr uint8_t BOOT_FROM_SRAM = 0xB0;
constexpr char SAVE_FAILED_CAPTION[] = "ZOLM SRAM";

// The last sram_save that was due failed: the host file's outcome, which
// the exit status tells; a power-on leaves it.
bool g_save_failed;

// Offset of an access of size bytes that lies wholly in the SRAM, or -1.
int64_t sram_offset(uint32_t addr, uint32_t size) {
    uint32_t offset = addr - SRAM_BASE;
    return offset <= SRAM_SIZE - size ? int64_t(offset) : -1;
}

// A byte or word write that would set the boot setting to 0xB0 asks first.
bool boot_write_allowed(uint32_t addr, uint32_t byte) {
    if (addr != SRAM_BOOT_SETTING || (byte & 0xFF) != BOOT_FROM_SRAM) return true;
    if (!g_settings.warnvirus || g_virus_warn_off == 1) return true;
    if (g_sram[SRAM_BOOT_SETTING - SRAM_BASE] == BOOT_FROM_SRAM) return true;
    return !g_sram_confirm_write || g_sram_confirm_write(5) == 0;
}

void store_word(uint32_t offset, uint32_t value) {
    be_write16(g_sram + offset, value);
    g_sram_state.dirty = 1;
}

uint32_t sram_read_byte(uint32_t addr) {
    int64_t offset = sram_offset(addr, 1);
    if (offset < 0) {
        mem_bus_error_read(addr);
        return 0;
    }
    return g_sram[offset];
}
uint32_t sram_read_word(uint32_t addr) {
    int64_t offset = sram_offset(addr, 2);
    if (offset < 0) {
        mem_bus_error_read(addr);
        return 0;
    }
    return be_read16(g_sram + offset);
}
uint32_t sram_read_long(uint32_t addr) {
    int64_t offset = sram_offset(addr, 4);
    // $ED3FFE: the second word lies past the SRAM and faults on its own.
    if (offset < 0) return (sram_read_word(addr) << 16) | sram_read_word(addr + 2);
    return be_read32(g_sram + offset);
}

void sram_write_byte(uint32_t addr, uint32_t value) {
    int64_t offset = sram_offset(addr, 1);
    if (offset < 0 || !boot_write_allowed(addr, value)) {
        mem_bus_error_write(addr);
        return;
    }
    g_sram[offset] = uint8_t(value);
    g_sram_state.dirty = 1;
}
void sram_write_word(uint32_t addr, uint32_t value) {
    int64_t offset = sram_offset(addr, 2);
    if (offset < 0 || !boot_write_allowed(addr, value >> 8)) {
        mem_bus_error_write(addr);
        return;
    }
    store_word(uint32_t(offset), value);
}
// Long writes skip the boot check.
void sram_write_long(uint32_t addr, uint32_t value) {
    int64_t offset = sram_offset(addr, 4);
    if (offset >= 0) {
        be_write32(g_sram + offset, value);
        g_sram_state.dirty = 1;
        return;
    }
    int64_t high = sram_offset(addr, 2);
    if (high < 0) {
        mem_bus_error_write(addr);
        return;
    }
    store_word(uint32_t(high), value >> 16);
    mem_bus_error_write(addr + 2);
}

// Writes while the SRAM is protected: they vanish.
void sram_write_ignored(uint32_t, uint32_t) {}

}  // namespace

const BusDevice SRAM_BUS = {sram_read_byte,  sram_read_word,  sram_read_long, sram_write_byte,
                            sram_write_word, sram_write_long, nullptr};
const BusDevice SRAM_PROTECTED_BUS = {sram_read_byte,     sram_read_word,     sram_read_long, sram_write_ignored,
                                      sram_write_ignored, sram_write_ignored, nullptr};

std::filesystem::path sram_load(const std::vector<std::filesystem::path>& folders) {
    if (!mem_alloc_images()) return {};
    for (const auto& folder : folders) {
        std::filesystem::path path = folder / SRAM_FILE_NAME;
        std::FILE* f = fopen_regular(path.string());
        if (!f) continue;
        // Read aside first: a file that fails to read leaves the image alone.
        std::array<uint8_t, SRAM_SIZE> data;
        size_t n = std::fread(data.data(), 1, data.size(), f);
        bool failed = std::ferror(f) != 0;
        std::fclose(f);
        if (failed) continue;
        std::memcpy(g_sram, data.data(), n);

        uint32_t size = be_read32(g_sram + SRAM_RAM_SIZE);
        g_machine.main_ram_size = size < RAM_SIZE_MIN ? RAM_SIZE_MIN : size > RAM_SIZE_MAX ? RAM_SIZE_MAX : size;
        if (g_sram[SRAM_FIXUP + 1] == 0xFC) {
            g_sram[SRAM_FIXUP + 1] = 0xBF;
            g_sram[SRAM_FIXUP + 2] = 0xFF;
            g_sram[SRAM_FIXUP + 3] = 0xFC;
        }
        return path;
    }
    return {};
}

bool sram_save(const std::filesystem::path& folder) {
    g_save_failed = false;
    if (!g_sram_state.dirty || !g_sram) return true;
    std::string path = (folder / SRAM_FILE_NAME).string();
    if (write_file_whole(path, g_sram, SRAM_SIZE)) return true;
    g_save_failed = true;
    std::string text = path + " could not be saved: " + write_error_text(errno);
    log_add_line(text);
    text += "\nthe changes to the SRAM are lost";
    g_init_message_box(text.c_str(), SAVE_FAILED_CAPTION, MB_ERROR);
    return false;
}

bool sram_save_failed() { return g_save_failed; }

void sram_power_on() {
    if (g_sram) std::memset(g_sram, 0, SRAM_SIZE);
    device_clear(g_sram_state);
}
std::span<const uint8_t> sram_state() { return device_state_bytes(g_sram_state); }
