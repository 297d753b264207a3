// The I/O page $E80000-$E9FFFF: sixteen 8 KB device blocks, dispatched by
// address bits 13-16, every access recorded in the I/O access log.
#pragma once

#include <cstdint>

#include "core/bus.h"
#include "video/crtc.h"     // slot 0
#include "video/palette.h"  // slot 1

inline constexpr uint32_t IO_PAGE_BASE = 0xE80000;
inline constexpr uint32_t IO_SLOTS = 16;

inline uint32_t io_slot(uint32_t addr) { return (addr & 0x1E000) >> 13; }

// One row per access size and direction, one column per slot.
struct IoSlotTable {
    BusReadFn read_byte[IO_SLOTS];
    BusReadFn read_word[IO_SLOTS];
    BusReadFn read_long[IO_SLOTS];
    BusWriteFn write_byte[IO_SLOTS];
    BusWriteFn write_word[IO_SLOTS];
    BusWriteFn write_long[IO_SLOTS];
};
extern const IoSlotTable g_io_slot_table;

// Word and long accesses of a byte device: byte accesses, high byte first.
template <BusReadFn read_byte>
uint32_t io_word_of_bytes(uint32_t addr) {
    return ((read_byte(addr) & 0xFF) << 8) | (read_byte(addr + 1) & 0xFF);
}
template <BusReadFn read_byte>
uint32_t io_long_of_bytes(uint32_t addr) {
    return (io_word_of_bytes<read_byte>(addr) << 16) | io_word_of_bytes<read_byte>(addr + 2);
}
template <BusWriteFn write_byte>
void io_word_to_bytes(uint32_t addr, uint32_t value) {
    write_byte(addr, (value >> 8) & 0xFF);
    write_byte(addr + 1, value & 0xFF);
}
template <BusWriteFn write_byte>
void io_long_to_bytes(uint32_t addr, uint32_t value) {
    io_word_to_bytes<write_byte>(addr, value >> 16);
    io_word_to_bytes<write_byte>(addr + 2, value & 0xFFFF);
}

// The page handlers of page 116.
uint32_t io_read_byte(uint32_t addr);
uint32_t io_read_word(uint32_t addr);
uint32_t io_read_long(uint32_t addr);
void io_write_byte(uint32_t addr, uint32_t value);
void io_write_word(uint32_t addr, uint32_t value);
void io_write_long(uint32_t addr, uint32_t value);

// Slot 14 ($E9C000-$E9DFFF), no device: reads 0, writes vanish.
uint32_t io_e9c_read_byte(uint32_t addr);
uint32_t io_e9c_read_word(uint32_t addr);
uint32_t io_e9c_read_long(uint32_t addr);
void io_e9c_write_byte(uint32_t addr, uint32_t value);
void io_e9c_write_word(uint32_t addr, uint32_t value);
void io_e9c_write_long(uint32_t addr, uint32_t value);
// Slot 15 ($E9E000-$E9FFFF): only byte accesses reach the host-drive port;
// word and long accesses are bus errors.
uint32_t io_e9e_read_word(uint32_t addr);
uint32_t io_e9e_read_long(uint32_t addr);
void io_e9e_write_word(uint32_t addr, uint32_t value);
void io_e9e_write_long(uint32_t addr, uint32_t value);

// Devices of the slots whose own headers come with their subsystems
// (io_stub_devices.cpp holds their handlers until then).
// Slot 2, DMA controller.
uint32_t dma_read_byte(uint32_t addr);
uint32_t dma_read_word(uint32_t addr);
uint32_t dma_read_long(uint32_t addr);
void dma_write_byte(uint32_t addr, uint32_t value);
void dma_write_word(uint32_t addr, uint32_t value);
void dma_write_long(uint32_t addr, uint32_t value);
// Slot 6, printer port.
uint32_t prt_read_byte(uint32_t addr);
uint32_t prt_read_word(uint32_t addr);
uint32_t prt_read_long(uint32_t addr);
void prt_write_byte(uint32_t addr, uint32_t value);
void prt_write_word(uint32_t addr, uint32_t value);
void prt_write_long(uint32_t addr, uint32_t value);
// Slot 8, YM2151.
uint32_t opm_read_byte(uint32_t addr);
uint32_t opm_read_word(uint32_t addr);
uint32_t opm_read_long(uint32_t addr);
void opm_write_byte(uint32_t addr, uint32_t value);
void opm_write_word(uint32_t addr, uint32_t value);
void opm_write_long(uint32_t addr, uint32_t value);
// Slot 9, MSM6258 ADPCM.
uint32_t adpcm_read_byte(uint32_t addr);
uint32_t adpcm_read_word(uint32_t addr);
uint32_t adpcm_read_long(uint32_t addr);
void adpcm_write_byte(uint32_t addr, uint32_t value);
void adpcm_write_word(uint32_t addr, uint32_t value);
void adpcm_write_long(uint32_t addr, uint32_t value);
// Slot 10, floppy controller stub.
uint32_t fdc_read_byte(uint32_t addr);
uint32_t fdc_read_word(uint32_t addr);
uint32_t fdc_read_long(uint32_t addr);
void fdc_write_byte(uint32_t addr, uint32_t value);
void fdc_write_word(uint32_t addr, uint32_t value);
void fdc_write_long(uint32_t addr, uint32_t value);
void fdc_reset_counters();
// Slot 11, SASI stub.
uint32_t sasi_read_byte(uint32_t addr);
uint32_t sasi_read_word(uint32_t addr);
uint32_t sasi_read_long(uint32_t addr);
void sasi_write_byte(uint32_t addr, uint32_t value);
void sasi_write_word(uint32_t addr, uint32_t value);
void sasi_write_long(uint32_t addr, uint32_t value);
// Slot 12, Z8530 SCC (mouse).
uint32_t scc_read_byte(uint32_t addr);
uint32_t scc_read_word(uint32_t addr);
uint32_t scc_read_long(uint32_t addr);
void scc_write_byte(uint32_t addr, uint32_t value);
void scc_write_word(uint32_t addr, uint32_t value);
void scc_write_long(uint32_t addr, uint32_t value);
// Slot 13, i8255 joystick ports.
uint32_t ppi_read_byte(uint32_t addr);
uint32_t ppi_read_word(uint32_t addr);
uint32_t ppi_read_long(uint32_t addr);
void ppi_write_byte(uint32_t addr, uint32_t value);
void ppi_write_word(uint32_t addr, uint32_t value);
void ppi_write_long(uint32_t addr, uint32_t value);
// Slot 15, host-file-system drive port (byte accesses).
uint32_t windrv_io_read_byte(uint32_t addr);
void windrv_io_write_byte(uint32_t addr, uint32_t value);
