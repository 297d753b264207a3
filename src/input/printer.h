// Printer port, I/O slot 6 ($E8C000-$E8DFFF): no printer yet, so the slot
// takes the I/O page's empty handlers (machine/io_page.h: reads 0, writes
// vanish). The printer's handlers and state come here.
#pragma once
