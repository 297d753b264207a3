// SASI hard disk controller, I/O slot 11 ($E96000-$E97FFF): not fitted yet,
// so the slot takes the I/O page's empty handlers (machine/io_page.h: reads
// 0, writes vanish). The controller's handlers and state come here.
#pragma once
