// SASI hard disk interface, I/O slot 11 ($E96000-$E97FFF): a stub, since the
// hard disks are served by the disk IOCS calls. The slot takes the I/O
// page's empty handlers (machine/io_page.h): every read is 0, writes vanish.
#pragma once
