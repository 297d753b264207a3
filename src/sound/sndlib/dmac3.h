// HD63450 channel 3 as the ADPCM voice's feeder: registers 0-$3F, start and
// its errors, the chain modes and continue mode; one byte moved per request.
#pragma once

#include <cstdint>

namespace sndlib {

// Register offsets in the channel.
inline constexpr uint8_t DMA_CSR = 0x00, DMA_CER = 0x01, DMA_DCR = 0x04, DMA_OCR = 0x05, DMA_SCR = 0x06, DMA_CCR = 0x07,
                         DMA_MTC = 0x0A, DMA_MAR = 0x0C, DMA_DAR = 0x14, DMA_BTC = 0x1A, DMA_BAR = 0x1C, DMA_NIV = 0x25,
                         DMA_EIV = 0x27;
// CSR bits.
inline constexpr uint8_t CSR_COC = 0x80, CSR_BLC = 0x40, CSR_NDT = 0x20, CSR_ERR = 0x10, CSR_ACT = 0x08;
inline constexpr uint8_t SCR_MEMORY_UP = 0x04;
// CCR bits.
inline constexpr uint8_t CCR_STR = 0x80, CCR_CNT = 0x40, CCR_HLT = 0x20, CCR_SAB = 0x10, CCR_INT = 0x08;
// CER codes.
inline constexpr uint8_t CER_CONFIG = 0x01, CER_TIMING = 0x02, CER_ADDRESS = 0x05, CER_BUS = 0x09, CER_COUNT = 0x0D,
                         CER_SOFT_ABORT = 0x11;
// A memory reader's result with this bit set is a fault; bits 0-7 then
// hold the bus's fault kind (1, 2 address error; 3, 4 bus error).
inline constexpr int32_t MEM_FAULT = 0x100;

struct DmaHost {
    int32_t (*read)(void* ctx, uint32_t addr) = nullptr;  // byte or MEM_FAULT | kind
    void (*interrupt)(void* ctx, bool error) = nullptr;   // only with CCR's INT set
    void* ctx = nullptr;
};

class DmacChannel3 {
public:
    void reset();
    uint8_t peek(uint8_t reg) const { return regs_[reg & 0x3F]; }
    void poke(uint8_t reg, uint8_t value);
    bool active() const { return regs_[DMA_CSR] & CSR_ACT; }
    // One byte for the device; false when the channel moves nothing.
    bool request(uint8_t& byte);
    DmaHost host;

private:
    uint32_t get(uint8_t reg, int bytes) const;
    void put(uint8_t reg, int bytes, uint32_t value);
    void start();
    bool load_chain_entry();
    void finish();
    void fail(uint8_t cer);
    int32_t read(uint32_t addr);
    bool faulted_ = false;
    uint8_t fault_kind_ = 0;
    uint8_t regs_[0x40]{};
};

}  // namespace sndlib
