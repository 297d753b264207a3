// Floppy controller stub, I/O slot 10 ($E94000-$E95FFF): eight stored
// bytes; the main status register changes on every read so that polling
// code goes on.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t FDC_BASE = 0xE94000, FDC_END = 0xE94008;
inline constexpr uint32_t FDC_STATUS = 1;  // main status register, FDC_BASE + 1

struct FdcState {
    uint8_t regs[8];
    uint32_t last_access;  // address of the last access
    uint32_t access_count;
};
extern FdcState g_fdc;

// Power-on: all 0. The reset line leaves it.
void fdc_power_on();
std::span<const uint8_t> fdc_state();

uint32_t fdc_peek_byte(uint32_t addr);
uint32_t fdc_read_byte(uint32_t addr);
void fdc_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice FDC_BUS = bus_device_of_bytes<fdc_read_byte, fdc_write_byte, fdc_peek_byte>();
