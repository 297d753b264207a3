#include "storage/fdc.h"

#include "machine/device.h"
#include "machine/io_page.h"

FdcState g_fdc;

void fdc_power_on() { device_clear(g_fdc); }
std::span<const uint8_t> fdc_state() { return device_state_bytes(g_fdc); }

uint32_t fdc_peek_byte(uint32_t addr) {
    addr &= 0xFFFFFF;
    return addr >= FDC_END ? 0 : g_fdc.regs[addr & 7];
}

uint32_t fdc_read_byte(uint32_t addr) {
    addr &= 0xFFFFFF;
    if (addr >= FDC_END) return 0;
    g_fdc.last_access = addr;
    g_fdc.access_count++;
    uint8_t& reg = g_fdc.regs[addr & 7];
    if ((addr & 7) == FDC_STATUS) {
        uint8_t v = uint8_t((reg | 0x80) ^ 0x10);
        if (!(v & 0x10)) v ^= 0x40;
        reg = v;
    }
    return reg;
}
void fdc_write_byte(uint32_t addr, uint32_t value) {
    addr &= 0xFFFFFF;
    if (addr < FDC_BASE || addr >= FDC_END) return;
    g_fdc.regs[addr - FDC_BASE] = uint8_t(value);
    g_fdc.last_access = addr;
    g_fdc.access_count++;
}
