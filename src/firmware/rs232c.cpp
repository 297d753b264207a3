#include "firmware/rs232c.h"

#include "core/cpu_regs.h"
#include "machine/device.h"

Rs232cState g_rs232c;

void rs232c_power_on() { device_clear(g_rs232c); }
std::span<const uint8_t> rs232c_state() { return device_state_bytes(g_rs232c); }

namespace {
constexpr uint32_t MODE_QUERY = 0xFFFF;
constexpr uint32_t RING_MASK = RS232C_RING_SIZE - 1;

uint32_t next_rx_byte() { return uint32_t(int32_t(int8_t(g_rs232c.rx_ring[g_rs232c.rx_pos & RING_MASK]))); }
}  // namespace

void rs232c_iocs_set() {
    cpu_d(0) = g_rs232c.mode & 0xFFFF;
    if ((cpu_d(1) & 0xFFFF) != MODE_QUERY) g_rs232c.mode = cpu_d(1);
}

void rs232c_iocs_lof() { cpu_d(0) = g_rs232c.rx_count; }

void rs232c_iocs_inp() {
    if (g_rs232c.rx_count == 0) return;
    cpu_d(0) = next_rx_byte();
    g_rs232c.rx_pos++;
    g_rs232c.rx_count--;
}

void rs232c_iocs_isns() { cpu_d(0) = g_rs232c.rx_count ? next_rx_byte() : 0; }

void rs232c_iocs_osns() { cpu_d(0) = RS232C_OUTPUT_READY; }

void rs232c_iocs_out() { g_rs232c.tx_ring[g_rs232c.tx_len++ & RING_MASK] = uint8_t(cpu_d(1)); }
