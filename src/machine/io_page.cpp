// The I/O page dispatchers and the two blocks without a device of their own.
#include "machine/io_page.h"

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/cpu_loop.h"
#include "core/trace.h"
#include "input/ppi.h"
#include "input/printer.h"
#include "input/scc.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/system_port.h"
#include "sound/adpcm.h"
#include "sound/opm.h"
#include "storage/dma.h"
#include "storage/fdc.h"
#include "storage/windrv.h"
#include "video/crtc.h"
#include "video/palette.h"

const IoSlotTable g_io_slot_table = {
    {crtc_read_byte, pal_read_byte, dma_read_byte, area_read_byte,
     mfp_read_byte, rtc_read_byte, prt_read_byte, sys_read_byte,
     opm_read_byte, adpcm_read_byte, fdc_read_byte, io_empty_read_byte,
     scc_read_byte, ppi_read_byte, io_empty_read_byte, windrv_io_read_byte},
    {crtc_read_word, pal_read_word, dma_read_word, area_read_word,
     mfp_read_word, rtc_read_word, prt_read_word, sys_read_word,
     opm_read_word, adpcm_read_word, fdc_read_word, io_empty_read_word,
     scc_read_word, ppi_read_word, io_empty_read_word, io_e9e_read_word},
    {crtc_read_long, pal_read_long, dma_read_long, area_read_long,
     mfp_read_long, rtc_read_long, prt_read_long, sys_read_long,
     opm_read_long, adpcm_read_long, fdc_read_long, io_empty_read_long,
     scc_read_long, ppi_read_long, io_empty_read_long, io_e9e_read_long},
    {crtc_write_byte, pal_write_byte, dma_write_byte, area_write_byte,
     mfp_write_byte, rtc_write_byte, prt_write_byte, sys_write_byte,
     opm_write_byte, adpcm_write_byte, fdc_write_byte, io_empty_write_byte,
     scc_write_byte, ppi_write_byte, io_empty_write_byte, windrv_io_write_byte},
    {crtc_write_word, pal_write_word, dma_write_word, area_write_word,
     mfp_write_word, rtc_write_word, prt_write_word, sys_write_word,
     opm_write_word, adpcm_write_word, fdc_write_word, io_empty_write_word,
     scc_write_word, ppi_write_word, io_empty_write_word, io_e9e_write_word},
    {crtc_write_long, pal_write_long, dma_write_long, area_write_long,
     mfp_write_long, rtc_write_long, prt_write_long, sys_write_long,
     opm_write_long, adpcm_write_long, fdc_write_long, io_empty_write_long,
     scc_write_long, ppi_write_long, io_empty_write_long, io_e9e_write_long},
    {crtc_peek_byte, pal_peek_byte, dma_peek_byte, area_peek_byte,
     mfp_peek_byte, rtc_peek_byte, prt_peek_byte, sys_peek_byte,
     opm_peek_byte, adpcm_peek_byte, fdc_peek_byte, io_empty_peek_byte,
     scc_peek_byte, ppi_peek_byte, io_empty_peek_byte, windrv_io_peek_byte},
};

uint32_t io_peek_byte(uint32_t addr) { return g_io_slot_table.peek_byte[io_slot(addr)](addr) & 0xFF; }

// A device that raises a bus error leaves the access here, unlogged.
uint32_t io_read_byte(uint32_t addr) {
    uint32_t value;
    {
        HostCallScope device;
        value = g_io_slot_table.read_byte[io_slot(addr)](addr);
    }
    iotrace_record_read_byte(addr, value, g_cpu_regs.op_addr);
    return value;
}
uint32_t io_read_word(uint32_t addr) {
    uint32_t value;
    {
        HostCallScope device;
        value = g_io_slot_table.read_word[io_slot(addr)](addr);
    }
    iotrace_record_read_word(addr, value, g_cpu_regs.op_addr);
    return value;
}
uint32_t io_read_long(uint32_t addr) {
    uint32_t value;
    {
        HostCallScope device;
        value = g_io_slot_table.read_long[io_slot(addr)](addr);
    }
    iotrace_record_read_long(addr, value, g_cpu_regs.op_addr);
    return value;
}
void io_write_byte(uint32_t addr, uint32_t value) {
    {
        HostCallScope device;
        g_io_slot_table.write_byte[io_slot(addr)](addr, value);
    }
    iotrace_record_write_byte(addr, value, g_cpu_regs.op_addr);
}
void io_write_word(uint32_t addr, uint32_t value) {
    {
        HostCallScope device;
        g_io_slot_table.write_word[io_slot(addr)](addr, value);
    }
    iotrace_record_write_word(addr, value, g_cpu_regs.op_addr);
}
void io_write_long(uint32_t addr, uint32_t value) {
    {
        HostCallScope device;
        g_io_slot_table.write_long[io_slot(addr)](addr, value);
    }
    iotrace_record_write_long(addr, value, g_cpu_regs.op_addr);
}

uint32_t io_empty_read_byte(uint32_t) { return 0; }
uint32_t io_empty_read_word(uint32_t) { return 0; }
uint32_t io_empty_read_long(uint32_t) { return 0; }
void io_empty_write_byte(uint32_t, uint32_t) {}
void io_empty_write_word(uint32_t, uint32_t) {}
void io_empty_write_long(uint32_t, uint32_t) {}

uint32_t io_e9e_read_word(uint32_t addr) { mem_bus_error_read(addr); return 0; }
uint32_t io_e9e_read_long(uint32_t addr) { mem_bus_error_read(addr); return 0; }
void io_e9e_write_word(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
void io_e9e_write_long(uint32_t addr, uint32_t) { mem_bus_error_write(addr); }
