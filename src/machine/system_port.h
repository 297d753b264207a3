// System port, I/O slot 7 ($E8E000-$E8E00F): contrast, SRAM write enable,
// power-off and stored bytes.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t SYS_PORT_BASE = 0xE8E000;

enum SysPortReg : uint32_t {
    SYS_POWER_RESET = 0x0,  // a byte write restarts the power-off count
    SYS_CONTRAST = 0x1,     // low 4 bits
    SYS_DISPLAY = 0x7,      // bit 1 read by the host timer's display-mode choice
    SYS_SRAM_ENABLE = 0xD,  // 0x31: SRAM writable
    SYS_POWER_OFF = 0xF,    // the second write stops the run
};

struct SysPortState {
    // Image of $E8E000-$E8E00F, indexed by address & 0xF; starts at 0 and
    // survives machine resets.
    uint8_t regs[16];
    // Contrast the palette table was last built with (the palette's).
    uint32_t last_contrast;
    // Writes of $E8E00F since the last byte write of $E8E000.
    uint32_t power_off_count;
};
extern SysPortState g_sys;

inline constexpr uint8_t SYS_CONTRAST_FULL = 15;

// Power-on: all 0 but the contrast, at full. The reset line leaves the port.
void sys_power_on();
std::span<const uint8_t> sys_state();
// The byte a read at addr gives (reads have no side effects).
uint32_t sys_peek_byte(uint32_t addr);

uint32_t sys_read_byte(uint32_t addr);
void sys_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice SYSTEM_PORT_BUS = bus_device_of_odd_bytes<sys_read_byte, sys_write_byte, sys_peek_byte>();
