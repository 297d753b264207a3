// System port: a 16-byte register image with the contrast, the SRAM write
// enable and the power-off register.
#include "machine/system_port.h"

#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "video/palette.h"

SysPortState g_sys;

namespace {
constexpr uint32_t SYS_PORT_SIZE = 16;
bool in_port(uint32_t addr) { return (addr & 0xFFFFFF) - SYS_PORT_BASE < SYS_PORT_SIZE; }
}  // namespace

uint32_t sys_peek_byte(uint32_t addr) { return in_port(addr) ? g_sys.regs[addr & 0xF] : 0; }
uint32_t sys_read_byte(uint32_t addr) { return sys_peek_byte(addr); }

void sys_write_byte(uint32_t addr, uint32_t value) {
    if (!in_port(addr)) return;
    uint8_t byte = uint8_t(value);
    g_sys.regs[addr & 0xF] = byte;
    switch (addr & 0xF) {
    case SYS_POWER_RESET: g_sys.power_off_count = 0; break;
    case SYS_CONTRAST: pal_build_lut(); break;
    case SYS_SRAM_ENABLE: mem_map_set_sram_protect(byte == 0x31 ? 0x31 : 0); break;
    case SYS_POWER_OFF:
        // The count stops above 2, so only the second write stops the run.
        if (g_sys.power_off_count < 3) g_sys.power_off_count++;
        if (g_sys.power_off_count == 2) run_flags_set(RUN_BREAK);
        break;
    default: break;
    }
}

// The display starts at full contrast.
void sys_power_on() {
    device_clear(g_sys);
    g_sys.regs[SYS_CONTRAST] = SYS_CONTRAST_FULL;
}
std::span<const uint8_t> sys_state() { return device_state_bytes(g_sys); }
