#include "sound/sndlib/dmac3.h"

#include <cstring>

namespace sndlib {

// As the IPL leaves the channel: the memory address counts up.
void DmacChannel3::reset() {
    std::memset(regs_, 0, sizeof regs_);
    regs_[DMA_SCR] = SCR_MEMORY_UP;
}

uint32_t DmacChannel3::get(uint8_t reg, int bytes) const {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | regs_[reg + i];
    return v;
}

void DmacChannel3::put(uint8_t reg, int bytes, uint32_t value) {
    for (int i = bytes - 1; i >= 0; --i, value >>= 8) regs_[reg + i] = uint8_t(value);
}

int32_t DmacChannel3::read(uint32_t addr) {
    int32_t v = host.read ? host.read(host.ctx, addr & 0xFFFFFF) : 0;
    if (v & MEM_FAULT) {
        faulted_ = true;
        fault_kind_ = uint8_t(v);
        return 0;
    }
    return v & 0xFF;
}

void DmacChannel3::poke(uint8_t reg, uint8_t value) {
    reg &= 0x3F;
    if (reg == DMA_CSR) {  // written ones clear; ACT stays
        regs_[DMA_CSR] &= uint8_t(~value | CSR_ACT);
        return;
    }
    if (reg == DMA_CER) return;
    if (reg != DMA_CCR) {
        regs_[reg] = value;
        return;
    }
    uint8_t was = regs_[DMA_CCR];
    regs_[DMA_CCR] = value & ~CCR_SAB;
    if (value & CCR_SAB) {
        if (active()) fail(CER_SOFT_ABORT);
        return;
    }
    if ((value & CCR_STR) && !(was & CCR_STR)) start();
}

// CCR's start: errors in CER with ERR; otherwise the first block is loaded and ACT set.
void DmacChannel3::start() {
    uint8_t chain = (regs_[DMA_OCR] >> 2) & 3;
    if (regs_[DMA_CSR] & (CSR_ACT | CSR_BLC | CSR_NDT | CSR_ERR | CSR_COC)) return fail(CER_TIMING);
    if (chain == 1) return fail(CER_CONFIG);
    regs_[DMA_CSR] |= CSR_ACT;
    if (chain == 0) {
        if (get(DMA_MTC, 2) == 0) return fail(CER_COUNT);
    } else {
        if (chain == 2 && get(DMA_BTC, 2) == 0) return fail(CER_COUNT);
        load_chain_entry();
    }
}

// The next entry of an array (address, count) or link table (address,
// count, next link) into MAR and MTC.
bool DmacChannel3::load_chain_entry() {
    uint8_t chain = (regs_[DMA_OCR] >> 2) & 3;
    uint32_t bar = get(DMA_BAR, 4);
    faulted_ = false;
    uint32_t mar = 0, mtc, link = 0;
    for (int i = 0; i < 4; ++i) mar = (mar << 8) | uint32_t(read(bar + i));
    mtc = uint32_t(read(bar + 4)) << 8 | uint32_t(read(bar + 5));
    if (chain == 3)
        for (int i = 0; i < 4; ++i) link = (link << 8) | uint32_t(read(bar + 6 + i));
    if (faulted_) {
        fail(fault_kind_ <= 2 ? CER_ADDRESS : CER_BUS);
        return false;
    }
    if (mtc == 0) {
        fail(CER_COUNT);
        return false;
    }
    put(DMA_MAR, 4, mar);
    put(DMA_MTC, 2, mtc);
    if (chain == 2) {
        put(DMA_BAR, 4, bar + 6);
        put(DMA_BTC, 2, get(DMA_BTC, 2) - 1);
    } else {
        put(DMA_BAR, 4, link);
    }
    return true;
}

void DmacChannel3::finish() {
    regs_[DMA_CSR] = uint8_t((regs_[DMA_CSR] & ~CSR_ACT) | CSR_COC | CSR_BLC | CSR_NDT);
    regs_[DMA_CCR] &= ~(CCR_STR | CCR_CNT);
    if ((regs_[DMA_CCR] & CCR_INT) && host.interrupt) host.interrupt(host.ctx, false);
}

void DmacChannel3::fail(uint8_t cer) {
    regs_[DMA_CSR] = CSR_ERR;
    regs_[DMA_CER] = cer;
    regs_[DMA_CCR] &= ~(CCR_STR | CCR_CNT);
    if ((regs_[DMA_CCR] & CCR_INT) && host.interrupt) host.interrupt(host.ctx, true);
}

bool DmacChannel3::request(uint8_t& byte) {
    if (!active() || (regs_[DMA_CCR] & CCR_HLT)) return false;
    uint32_t mar = get(DMA_MAR, 4), mtc = get(DMA_MTC, 2);
    faulted_ = false;
    byte = uint8_t(read(mar));
    if (faulted_) {
        fail(fault_kind_ <= 2 ? CER_ADDRESS : CER_BUS);
        return false;
    }
    // SCR bits 3-2: memory address count +1, -1 or none.
    static const int32_t steps[4] = {0, 1, -1, 0};
    put(DMA_MAR, 4, mar + uint32_t(steps[(regs_[DMA_SCR] >> 2) & 3]));
    put(DMA_MTC, 2, --mtc);
    if (mtc) return true;
    uint8_t chain = (regs_[DMA_OCR] >> 2) & 3;
    if (chain == 2 ? get(DMA_BTC, 2) != 0 : chain == 3 ? get(DMA_BAR, 4) != 0 : false) {
        load_chain_entry();
    } else if (chain == 0 && (regs_[DMA_CCR] & CCR_CNT)) {
        // Continue mode: the base registers become the next block.
        put(DMA_MAR, 4, get(DMA_BAR, 4));
        put(DMA_MTC, 2, get(DMA_BTC, 2));
        regs_[DMA_CCR] &= ~CCR_CNT;
        regs_[DMA_CSR] |= CSR_BLC;
        if (get(DMA_MTC, 2) == 0) fail(CER_COUNT);
        else if ((regs_[DMA_CCR] & CCR_INT) && host.interrupt) host.interrupt(host.ctx, false);
    } else {
        finish();
    }
    return true;
}

}  // namespace sndlib
