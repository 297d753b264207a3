#include "storage/host_drive.h"

#include "core/bus.h"

uint32_t windrv_io_read_byte(uint32_t addr) { mem_bus_error_read(addr); return 0; }
void windrv_io_write_byte(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
