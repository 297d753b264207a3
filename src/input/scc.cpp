// The SCC's two command ports and channel B's data port: the mouse packets.
#include "input/scc.h"

#include "core/boundary.h"
#include "input/mouse.h"
#include "machine/device.h"
#include "machine/io_page.h"

SccState g_scc;

namespace {

constexpr uint32_t ADDRESS_MASK = 0xFFFFFF;
constexpr uint32_t STATUS_LEFT = 0x01, STATUS_RIGHT = 0x02;

uint32_t packet_status() { return (g_mouse.left ? STATUS_LEFT : 0) | (g_mouse.right ? STATUS_RIGHT : 0); }

// The byte at packet position i, as it stands.
uint32_t packet_byte(int32_t i) {
    switch (i) {
    case 0: return packet_status();
    case 1: return uint8_t(g_mouse.packet_dx);
    case 2: return uint8_t(g_mouse.packet_dy);
    default: return 0;
    }
}

// A data read: the status byte computes the packet; the status and X bytes
// each ask for the interrupt of the byte that follows.
uint32_t read_packet_byte() {
    int32_t i = g_scc.packet_index;
    if (i < SCC_PACKET_BYTES) g_scc.packet_index = i + 1;
    if (i == 0) mouse_update_packet();
    if (i == 0 || i == 1) emu_post_request(REQ_MOUSE);
    return packet_byte(i);
}

// A command write: a register pointer, or the value of the register it names.
void command_write(int32_t& ptr, uint8_t& pending, uint32_t v, bool channel_b) {
    if (pending) {
        pending = 0;
        if (channel_b && uint32_t(ptr) == SCC_WR5 && (v & SCC_WR5_RTS)) {
            g_scc.packet_index = 0;
            emu_post_request(REQ_MOUSE);
        }
        return;
    }
    if (v < SCC_POINTER_LIMIT) {
        ptr = int32_t(v);
        pending = 1;
    }
}

}  // namespace

void scc_power_on() { device_clear(g_scc); }
void scc_reset() {
    g_scc.ptr_a = g_scc.ptr_b = g_scc.packet_index = 0;
    g_scc.pending_a = g_scc.pending_b = 0;
}
std::span<const uint8_t> scc_state() { return device_state_bytes(g_scc); }

uint32_t scc_peek_byte(uint32_t addr) {
    switch (addr & ADDRESS_MASK) {
    case SCC_B_DATA: return packet_byte(g_scc.packet_index);
    case SCC_A_COMMAND: return g_scc.ptr_a == 0 ? SCC_A_RR0_IDLE : 0;
    default: return 0;
    }
}

uint32_t scc_read_byte(uint32_t addr) {
    switch (addr & ADDRESS_MASK) {
    case SCC_B_COMMAND: g_scc.pending_b = 0; return 0;
    case SCC_B_DATA: return read_packet_byte();
    case SCC_A_COMMAND: {
        g_scc.pending_a = 0;
        return scc_peek_byte(addr);
    }
    default: return 0;
    }
}

void scc_write_byte(uint32_t addr, uint32_t value) {
    uint32_t v = value & 0xFF;
    switch (addr & ADDRESS_MASK) {
    case SCC_B_COMMAND: command_write(g_scc.ptr_b, g_scc.pending_b, v, true); break;
    case SCC_A_COMMAND: command_write(g_scc.ptr_a, g_scc.pending_a, v, false); break;
    default: break;
    }
}
