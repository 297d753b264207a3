// RS-232C IOCS calls $30-$35, always served on the host on two rings in
// host memory. Nothing fills the receive ring or drains the transmit ring:
// the line is always ready to send and never receives.
#pragma once

#include <cstdint>
#include <span>

inline constexpr uint32_t RS232C_RING_SIZE = 256;
inline constexpr uint32_t RS232C_OUTPUT_READY = 4;  // $34's answer

struct Rs232cState {
    uint32_t mode;  // low 16 bits: the line's mode word
    uint8_t rx_ring[RS232C_RING_SIZE];
    uint32_t rx_pos;    // read position, used modulo the ring size
    uint32_t rx_count;  // bytes waiting
    uint8_t tx_ring[RS232C_RING_SIZE];
    uint32_t tx_len;  // write position, used modulo the ring size
};
extern Rs232cState g_rs232c;

// Power-on: mode 0, both rings empty. The reset line leaves it.
void rs232c_power_on();
std::span<const uint8_t> rs232c_state();

void rs232c_iocs_set();   // $30 SET232C: D0 := old mode; mode := D1 unless D1.w = $FFFF
void rs232c_iocs_lof();   // $31 LOF232C: D0 := bytes waiting
void rs232c_iocs_inp();   // $32 INP232C: D0 := next byte, sign-extended (kept when none)
void rs232c_iocs_isns();  // $33 ISNS232C: D0 := next byte without taking it, 0 when none
void rs232c_iocs_osns();  // $34 OSNS232C: D0 := ready to send
void rs232c_iocs_out();   // $35 OUT232C: D1.b into the transmit ring
