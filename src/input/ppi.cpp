// The i8255's ports: the joystick bytes, port C and the control byte.
#include "input/ppi.h"

#include <cstring>

#include "input/joystick.h"
#include "machine/device.h"
#include "sound/sndlib.h"

PpiState g_ppi;

namespace {

constexpr uint32_t ADDRESS_MASK = 0xFFFFFF;

uint32_t read_index(uint32_t addr) {
    uint32_t i = addr & 0xF;
    uint8_t c = g_ppi.regs[PPI_PORT_C];
    if (i == PPI_PORT_A && (c & PPI_C_SELECT_A_HIGH)) return PPI_PORT_A_HIGH;
    if (i == PPI_PORT_B && (c & PPI_C_SELECT_B_HIGH)) return PPI_PORT_B_HIGH;
    return i;
}

}  // namespace

void ppi_power_on() {
    device_clear(g_ppi);
    std::memset(g_ppi.regs, 0xFF, sizeof g_ppi.regs);
    g_ppi.raw[0] = g_ppi.raw[1] = JOY_RAW_NONE;
}
std::span<const uint8_t> ppi_state() { return device_state_bytes(g_ppi); }

uint32_t ppi_peek_byte(uint32_t addr) { return g_ppi.regs[read_index(addr)]; }

uint32_t ppi_read_byte(uint32_t addr) {
    g_ppi.poll_countdown = JOY_POLLS_PER_READ;
    return ppi_peek_byte(addr);
}

void ppi_write_byte(uint32_t addr, uint32_t value) {
    uint32_t a = addr & ADDRESS_MASK;
    if (a >= PPI_END) return;
    uint8_t v = uint8_t(value);
    uint32_t i = a & 7;
    if (i == PPI_CONTROL) {
        g_ppi.regs[PPI_CONTROL] = v;
        sndlib_ppi_ctrl();
        if (!(v & PPI_CONTROL_MODE_SET)) {
            uint8_t bit = uint8_t(1u << ((v >> 1) & 7));
            if (v & 1) g_ppi.regs[PPI_PORT_C] |= bit;
            else g_ppi.regs[PPI_PORT_C] &= uint8_t(~bit);
        }
    }
    g_ppi.regs[i] = v;
    if (i == PPI_PORT_C) sndlib_ppi_write();
}
