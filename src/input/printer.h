// Printer port, I/O slot 6 ($E8C000-$E8DFFF): no printer is attached, so
// the port is the I/O page's empty slot: reads give 0, writes vanish.
#pragma once

#include "machine/io_page.h"

inline constexpr BusDevice PRINTER_BUS = IO_EMPTY_BUS;
