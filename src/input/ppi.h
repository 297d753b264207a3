// i8255 PPI, I/O slot 13 ($E9A000-$E9BFFF): ports A and B are the joystick
// ports, port C carries the ADPCM pan and rate bits and the joystick port
// selects; a word access uses the byte at address + 1.
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t PPI_END = 0xE9A008;  // ports A, B, C and control
inline constexpr uint32_t PPI_PORT_A = 1, PPI_PORT_B = 3, PPI_PORT_C = 5, PPI_CONTROL = 7;
inline constexpr uint32_t PPI_PORT_A_HIGH = 9, PPI_PORT_B_HIGH = 11;  // bits 8-15 of each port's output
inline constexpr uint8_t PPI_C_SELECT_A_HIGH = 0x10, PPI_C_SELECT_B_HIGH = 0x20;
inline constexpr uint8_t PPI_CONTROL_MODE_SET = 0x80;  // else a port C bit set/reset

struct PpiState {
    uint8_t regs[16];        // [1] A, [3] B, [5] C, [7] control, [9] [11] high bytes of A and B
    int32_t poll_countdown;  // host polls left since the last PPI read
    uint16_t raw[2];         // host input per port, active low
};
extern PpiState g_ppi;

// Power-on: every byte $FF, nothing pressed, no poll due. The reset line
// leaves it.
void ppi_power_on();
std::span<const uint8_t> ppi_state();

uint32_t ppi_peek_byte(uint32_t addr);
uint32_t ppi_read_byte(uint32_t addr);
void ppi_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice PPI_BUS = bus_device_of_odd_bytes<ppi_read_byte, ppi_write_byte, ppi_peek_byte>();
