// The 16 KB battery-backed SRAM at $ED0000-$ED3FFF and its file "sram.ram".
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "machine/bus_device.h"
#include "storage/virus_warning.h"  // the boot check's question and its settings

inline constexpr uint32_t SRAM_BASE = 0xED0000, SRAM_SIZE = 0x4000;
inline constexpr uint32_t SRAM_BOOT_SETTING = 0xED0018;  // 0xB0 there asks first
inline constexpr char SRAM_FILE_NAME[] = "sram.ram";

// Image in MC68000 byte order, allocated by mem_alloc_images; all 0 until
// sram_load fills it.
extern uint8_t* g_sram;
struct SramState {
    uint8_t dirty;  // set by every SRAM write; cleared only by a power-on
};
extern SramState g_sram_state;
// Power-on: the image 0 (sram_load fills it from the file) and not dirty.
// The write protection is the system port's.
void sram_power_on();
std::span<const uint8_t> sram_state();

// The question put before the boot setting becomes 0xB0: 0 allows the
// write, nonzero refuses it. The virus warning by default.
using SramConfirmFn = int32_t (*)(int32_t kind);
extern SramConfirmFn g_sram_confirm_write;

// Page 118 ($EC0000-$EDFFFF): addresses outside the 16 KB raise the bus
// error. SRAM_BUS is mapped while the SRAM is writable; while it is
// protected, SRAM_PROTECTED_BUS, whose writes vanish.
extern const BusDevice SRAM_BUS, SRAM_PROTECTED_BUS;

// Reads "sram.ram" from the first folder that holds it (a short file fills
// only part of the image), takes the main RAM size from it into
// g_machine.main_ram_size (clamped to 4-12 MB) and fixes up the long at offset
// 0x0C. Returns the path of the file read, empty when none opened: the
// image and g_machine.main_ram_size then stay as they were.
std::filesystem::path sram_load(const std::vector<std::filesystem::path>& folders);
// When the SRAM changed, writes the image to "sram.ram" in folder, whole or
// not at all (a temporary file renamed over the old one). Returns false
// only when a write was due and failed; the old file is then untouched and
// the message box "ZOLM SRAM" names the file and the cause.
bool sram_save(const std::filesystem::path& folder);
// True when the last sram_save failed; the program's exit status tells it.
bool sram_save_failed();
