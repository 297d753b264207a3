// The I/O page $E80000-$E9FFFF: sixteen 8 KB device blocks, dispatched by
// address bits 13-16, every access recorded in the I/O access log.
#pragma once

#include <cstdint>

#include "core/bus.h"
#include "machine/bus_device.h"

inline constexpr uint32_t IO_PAGE_BASE = 0xE80000;
inline constexpr uint32_t IO_PAGE_SIZE = 0x20000;
inline constexpr uint32_t IO_SLOTS = 16;

inline uint32_t io_slot(uint32_t addr) { return (addr & 0x1E000) >> 13; }

// One row per access size and direction, one column per slot, built from
// the list of devices in io_page.cpp.
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

// The page handlers of page 116: one indexed call into the slot table,
// each access recorded in the I/O access log. Device code runs under a
// HostCallScope, so a fault it raises unwinds it (core/cpu_loop.h).
extern const BusDevice IO_PAGE_BUS;

// The byte a read at addr would give, without side effects.
uint32_t io_peek_byte(uint32_t addr);

// A slot without a device: reads 0, writes vanish. Slot 14 ($E9C000-$E9DFFF)
// has none; the printer port (slot 6) is this, and the SASI controller
// (slot 11) uses it until it is written.
inline uint32_t io_empty_read(uint32_t) { return 0; }
inline void io_empty_write(uint32_t, uint32_t) {}
inline constexpr BusDevice IO_EMPTY_BUS = {io_empty_read,  io_empty_read,  io_empty_read, io_empty_write,
                                           io_empty_write, io_empty_write, io_empty_read};
