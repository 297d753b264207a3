// HD63450 DMA controller, I/O slot 2 ($E84000-$E85FFF): a register image of
// four channels. A start of channel 2 runs its whole transfer inside the
// write of its CCR; channel 3 feeds the ADPCM voice; channels 0 and 1 only
// store their registers.
#pragma once

#include <cstdint>
#include <span>

#include "core/boundary.h"  // dma_pending_vector, for the level-3 acknowledge
#include "machine/bus_device.h"

inline constexpr uint32_t DMAC_BASE = 0xE84000;
inline constexpr uint32_t DMA_CHANNEL_STRIDE = 0x40;
inline constexpr int DMA_CHANNEL_ADPCM = 3;  // channel 3 feeds the ADPCM voice
inline constexpr int DMA_CHANNEL_RUN = 2;    // channel 2 runs its transfers

// Register offsets within a channel (multi-byte registers high byte first).
enum DmaReg : uint32_t {
    DMA_CSR = 0x00,  // channel status
    DMA_CER = 0x01,  // channel error
    DMA_DCR = 0x04,  // device control
    DMA_OCR = 0x05,  // operation control
    DMA_SCR = 0x06,  // sequence control
    DMA_CCR = 0x07,  // channel control
    DMA_MTC = 0x0A,  // memory transfer counter (word)
    DMA_MAR = 0x0C,  // memory address (long)
    DMA_DAR = 0x14,  // device address (long)
    DMA_BTC = 0x1A,  // base transfer counter (word)
    DMA_BAR = 0x1C,  // base address (long)
    DMA_NIV = 0x25,  // normal interrupt vector
    DMA_EIV = 0x27,  // error interrupt vector
};
// CSR bits.
inline constexpr uint8_t DMA_CSR_COC = 0x80, DMA_CSR_BLC = 0x40, DMA_CSR_NDT = 0x20, DMA_CSR_ERR = 0x10;
inline constexpr uint8_t DMA_CSR_DONE = DMA_CSR_COC | DMA_CSR_BLC | DMA_CSR_NDT;
// CCR bits.
inline constexpr uint8_t DMA_CCR_STR = 0x80, DMA_CCR_INT = 0x08;
// CER codes.
inline constexpr uint8_t DMA_CER_CONFIG = 0x01, DMA_CER_TIMING = 0x02, DMA_CER_ADDRESS = 0x05, DMA_CER_BUS = 0x09,
                         DMA_CER_COUNT = 0x0D;

struct DmacState {
    uint8_t regs[0x100];      // channel n at 0x40 * n, in the order of the offsets
    uint32_t pending_vector;  // vector of the pending level-3 interrupt
    bool channel2_running;    // a channel-2 run is in progress
};
extern DmacState g_dmac;

// Power-on: every register 0, no pending vector. The reset line leaves it.
void dma_power_on();
std::span<const uint8_t> dma_state();

// Channel register image, for the devices that feed a channel (no side
// effects: a CSR is stored as given, nothing starts).
uint8_t dma_reg_byte(int channel, uint32_t reg);
uint32_t dma_reg_word(int channel, uint32_t reg);
uint32_t dma_reg_long(int channel, uint32_t reg);
void dma_set_reg_byte(int channel, uint32_t reg, uint32_t value);
void dma_set_reg_word(int channel, uint32_t reg, uint32_t value);
void dma_set_reg_long(int channel, uint32_t reg, uint32_t value);

// Raises interrupt level 3 one cycle from now with vector (a channel's NIV
// or EIV): the next level-3 acknowledge takes it.
void dma_raise_interrupt(uint32_t vector);

uint32_t dma_peek_byte(uint32_t addr);
uint32_t dma_read_byte(uint32_t addr);
// A CSR write clears the bits written as 1 and sets COC; a CCR write with
// STR starts channel 2; channel 3 goes to the sound library with FM 4.
void dma_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice DMA_BUS = bus_device_of_bytes<dma_read_byte, dma_write_byte, dma_peek_byte>();

// dma_run.cpp: one whole run of channel 2, as started by its CCR. The run
// works on copies of its counters and addresses; it leaves CSR and CER and
// raises the channel's interrupt when INT is set. A start while a run is
// in progress (the transfer wrote the CCR) is stored only.
void dma_run_channel2();
// The unit loop: moves count units between *mem and *dev, which it
// advances; dcr_ocr is DCR << 8 | OCR.
void dma_transfer(uint32_t size, uint32_t& mem, uint32_t& dev, int32_t mem_step, int32_t dev_step, uint32_t dcr_ocr,
                  uint32_t count);

// The host bytes behind [addr, addr + length): main RAM, the graphic VRAM
// store or the text VRAM store, when the whole range lies in one of them;
// otherwise nullptr. The address is not cut to 24 bits and the end never
// wraps.
uint8_t* dma_host_pointer(uint32_t addr, uint32_t length);
