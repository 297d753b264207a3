// The 24-bit memory map: the page tables of the bus, the handlers of main
// RAM, the supervisor area, the ROMs and the pages without memory, the
// area-set register and the host images behind the map.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

// Host images. Each lives at its own emulated offset inside a guest window
// (host/guest_window.h), so image - first address is a fetch base that is
// safe for the whole 24-bit range.
extern uint8_t* g_cgrom;   // 0xC0000 bytes, $F00000-$FBFFFF
extern uint8_t* g_iplrom;  // 0x20000 bytes, $FE0000-$FFFFFF
inline constexpr uint32_t CGROM_BASE = 0xF00000, CGROM_SIZE = 0xC0000;
inline constexpr uint32_t IPLROM_BASE = 0xFE0000, IPLROM_SIZE = 0x20000;

// Allocates (once) the ROM, VRAM, sprite and SRAM images, zeroed. Returns
// false when the host has no memory for them; the images that could not be
// had stay nullptr. Call before anything is loaded into them.
bool mem_alloc_images();

// Main RAM: g_machine.main_ram is a zeroed guest window with RAM at offset 0 and
// g_machine.main_ram_size = size (0x400000-0xC00000). Frees RAM that was there
// before. Returns false (no RAM, size 0) when the host has no memory or the
// size is out of range.
bool mem_alloc_main_ram(uint32_t size);
// Unmaps the RAM pages (they become bus errors), clears every pointer into
// RAM that the map and the processor hold, then frees it.
void mem_free_main_ram();

// Builds the whole map. Returns 0, or -1 when an image or main RAM is
// missing (the map is then left all bus errors).
int mem_map_build();
// Supervisor area of (v + 1) x 8 KB from address 0, in whole 128 KB pages.
void mem_map_set_supervisor_area(uint32_t v);
// 0x31 makes the SRAM writable; any other value protects it.
void mem_map_set_sram_protect(uint32_t v);
// Maps the graphic VRAM pages for the colour mode in CRTC R20 and lays the
// store out for it.
void mem_map_set_gvram();

// Colour mode (R20 bits 8-10) the graphic store is laid out for; -1 before
// the first mapping.
struct MemoryMapState {
    int32_t gvram_layout_mode;  // layout the graphic VRAM image is in, -1 none yet
    uint8_t area_set;           // supervisor area register
};
extern MemoryMapState g_memory_map;
// Power-on: no graphic layout yet, area set 0. The reset line leaves both.
void mem_map_power_on();
std::span<const uint8_t> mem_map_state();
// The area-set register is write-only: its reads are bus errors, peeks $FF.
inline uint32_t area_peek_byte(uint32_t) { return 0xFF; }
// Last value written to the area-set register at $E86001.

// Page handlers of the pages without memory, for every access size: the
// bus error (in probe mode only its fault kind).
inline uint32_t mem_bus_error_read_any(uint32_t addr) {
    mem_bus_error_read(addr);
    return 0;
}
inline void mem_bus_error_write_any(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }

// Area-set register, I/O slot 3: reads and even-address writes are bus
// errors; a byte write at an odd address moves the supervisor boundary.
void area_write_byte(uint32_t addr, uint32_t value);
void area_write_word(uint32_t addr, uint32_t value);
void area_write_long(uint32_t addr, uint32_t value);
inline constexpr BusDevice AREA_SET_BUS = {mem_bus_error_read_any, mem_bus_error_read_any, mem_bus_error_read_any,
                                           area_write_byte,        area_write_word,        area_write_long,
                                           area_peek_byte};

// Direct host bases (g_direct_pages, core/boundary.h) of pages first..end-1
// for page tables installed by hand (the flat test bus); nullptr for none.
// The memory map keeps them itself for the pages it sets.
void mem_map_set_direct(uint32_t first, uint32_t end, uint8_t* read_base, uint8_t* write_base);

// Long accesses made of two word accesses through the page tables; the
// second half goes to the next address of the 24-bit bus.
uint32_t mem_read_long_split(uint32_t addr);
void mem_write_long_split(uint32_t addr, uint32_t value);
inline bool mem_last_word_of_page(uint32_t addr) { return (addr & 0x1FFFE) == 0x1FFFE; }
