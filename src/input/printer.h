// Printer port, I/O slot 6 ($E8C000-$E8DFFF): no printer is attached, so
// the port is the I/O page's empty slot: reads give 0, writes vanish.
#pragma once

#include "machine/io_page.h"

inline constexpr BusReadFn prt_read_byte = io_empty_read_byte;
inline constexpr BusReadFn prt_read_word = io_empty_read_word;
inline constexpr BusReadFn prt_read_long = io_empty_read_long;
inline constexpr BusWriteFn prt_write_byte = io_empty_write_byte;
inline constexpr BusWriteFn prt_write_word = io_empty_write_word;
inline constexpr BusWriteFn prt_write_long = io_empty_write_long;
inline constexpr BusReadFn prt_peek_byte = io_empty_peek_byte;
