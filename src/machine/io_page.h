// The I/O page $E80000-$E9FFFF: sixteen 8 KB device blocks, dispatched by
// address bits 13-16, every access recorded in the I/O access log.
#pragma once

#include <cstdint>

#include "core/bus.h"

inline constexpr uint32_t IO_PAGE_BASE = 0xE80000;
inline constexpr uint32_t IO_PAGE_SIZE = 0x20000;
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
    // The byte a read would give, without side effects (the debugger's view).
    BusReadFn peek_byte[IO_SLOTS];
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

// The page handlers of page 116. Device code runs under a HostCallScope,
// so a fault it raises unwinds it (core/cpu_loop.h).
uint32_t io_read_byte(uint32_t addr);
uint32_t io_read_word(uint32_t addr);
uint32_t io_read_long(uint32_t addr);
void io_write_byte(uint32_t addr, uint32_t value);
void io_write_word(uint32_t addr, uint32_t value);
void io_write_long(uint32_t addr, uint32_t value);

// The byte a read at addr would give, without side effects.
uint32_t io_peek_byte(uint32_t addr);

// A slot without a device: reads 0, writes vanish. Slot 14 ($E9C000-$E9DFFF)
// has none; the printer port (slot 6) is this, and the SASI controller
// (slot 11) uses these until it is written.
inline uint32_t io_empty_peek_byte(uint32_t) { return 0; }
uint32_t io_empty_read_byte(uint32_t addr);
uint32_t io_empty_read_word(uint32_t addr);
uint32_t io_empty_read_long(uint32_t addr);
void io_empty_write_byte(uint32_t addr, uint32_t value);
void io_empty_write_word(uint32_t addr, uint32_t value);
void io_empty_write_long(uint32_t addr, uint32_t value);
// Slot 15 ($E9E000-$E9FFFF): only byte accesses reach the host-drive port;
// word and long accesses are bus errors.
uint32_t io_e9e_read_word(uint32_t addr);
uint32_t io_e9e_read_long(uint32_t addr);
void io_e9e_write_word(uint32_t addr, uint32_t value);
void io_e9e_write_long(uint32_t addr, uint32_t value);

