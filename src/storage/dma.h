// HD63450 DMA controller, I/O slot 2 ($E84000-$E85FFF): a stored register
// image of four channels until the controller is written.
#pragma once

#include <cstdint>
#include <span>

#include "core/boundary.h"  // g_dmac_pending_vector: vector of the pending level-3 interrupt

inline constexpr uint32_t DMAC_BASE = 0xE84000;

struct DmacState {
    uint8_t regs[0x100];  // channel n at 0x40 * n
};
extern DmacState g_dmac;

// Power-on: every register 0, no pending vector. The reset line leaves it.
void dma_power_on();
std::span<const uint8_t> dma_state();

uint32_t dma_peek_byte(uint32_t addr);
uint32_t dma_read_byte(uint32_t addr);
uint32_t dma_read_word(uint32_t addr);
uint32_t dma_read_long(uint32_t addr);
void dma_write_byte(uint32_t addr, uint32_t value);
void dma_write_word(uint32_t addr, uint32_t value);
void dma_write_long(uint32_t addr, uint32_t value);

// The host bytes behind [addr, addr + length): main RAM, the graphic VRAM
// store or the text VRAM store, when the whole range lies in one of them;
// otherwise nullptr. The address is not cut to 24 bits and the end never
// wraps.
uint8_t* dma_host_pointer(uint32_t addr, uint32_t length);
