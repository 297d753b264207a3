// Z8530 SCC, I/O slot 12 ($E98000-$E99FFF): as much of the chip as the
// mouse needs. The register pointers of both channels, RTS on channel B
// starting a mouse packet, and the packet's three bytes on channel B's data
// port; each byte asks for the level-5 interrupt (machine request 16).
#pragma once

#include <cstdint>
#include <span>

#include "machine/bus_device.h"

inline constexpr uint32_t SCC_B_COMMAND = 0xE98001, SCC_B_DATA = 0xE98003, SCC_A_COMMAND = 0xE98005;
inline constexpr uint32_t SCC_WR5 = 5;  // transmit control: bit 1 RTS
inline constexpr uint32_t SCC_WR5_RTS = 0x02;
inline constexpr uint32_t SCC_POINTER_LIMIT = 0x20;  // command bytes below this select a register
inline constexpr uint8_t SCC_A_RR0_IDLE = 0x24;      // channel A RR0 before any pointer write
inline constexpr int32_t SCC_PACKET_BYTES = 3;       // status, X, Y

struct SccState {
    int32_t ptr_a;                 // channel A register pointer
    int32_t packet_index;          // next packet byte, 0-3 (3: the packet is over)
    int32_t ptr_b;                 // channel B register pointer
    uint8_t pending_a, pending_b;  // the next command write is a register value
};
extern SccState g_scc;

// Power-on: all 0.
void scc_power_on();
// The machine's reset: both register pointers, the packet position and the
// pointer-pending flags to 0, so a packet or a register write cut by the
// reset does not put the next one out of step.
void scc_reset();
std::span<const uint8_t> scc_state();

uint32_t scc_peek_byte(uint32_t addr);
uint32_t scc_read_byte(uint32_t addr);
void scc_write_byte(uint32_t addr, uint32_t value);
// Reads are byte reads on both lanes; writes reach the odd lane only.
inline constexpr BusDevice SCC_BUS = {
    scc_read_byte,  io_word_of_bytes<scc_read_byte>,     io_long_of_bytes<scc_read_byte>,
    scc_write_byte, io_word_to_odd_byte<scc_write_byte>, io_long_to_odd_bytes<scc_write_byte>,
    scc_peek_byte};
