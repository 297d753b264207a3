#include "storage/dma.h"

#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "sound/adpcm.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "video/vram.h"

DmacState g_dmac;

void dma_power_on() { device_clear(g_dmac); }
std::span<const uint8_t> dma_state() { return device_state_bytes(g_dmac); }

namespace {
uint8_t& reg_at(int channel, uint32_t reg) {
    return g_dmac.regs[(uint32_t(channel) * DMA_CHANNEL_STRIDE + reg) & 0xFF];
}
}  // namespace

uint8_t dma_reg_byte(int channel, uint32_t reg) { return reg_at(channel, reg); }
uint32_t dma_reg_word(int channel, uint32_t reg) {
    return uint32_t(reg_at(channel, reg)) << 8 | reg_at(channel, reg + 1);
}
uint32_t dma_reg_long(int channel, uint32_t reg) {
    return dma_reg_word(channel, reg) << 16 | dma_reg_word(channel, reg + 2);
}
void dma_set_reg_byte(int channel, uint32_t reg, uint32_t value) { reg_at(channel, reg) = uint8_t(value); }
void dma_set_reg_word(int channel, uint32_t reg, uint32_t value) {
    reg_at(channel, reg) = uint8_t(value >> 8);
    reg_at(channel, reg + 1) = uint8_t(value);
}
void dma_set_reg_long(int channel, uint32_t reg, uint32_t value) {
    dma_set_reg_word(channel, reg, value >> 16);
    dma_set_reg_word(channel, reg + 2, value);
}

uint32_t dma_pending_vector() { return g_dmac.pending_vector; }

void dma_raise_interrupt(uint32_t vector) {
    g_dmac.pending_vector = vector & 0xFFFF;
    sched_set_event(EV_LEVEL_DMA, 1);
}

uint32_t dma_peek_byte(uint32_t addr) { return g_dmac.regs[addr & 0xFF]; }
uint32_t dma_read_byte(uint32_t addr) { return sndlib_dma_read(addr & 0xFF); }

void dma_write_byte(uint32_t addr, uint32_t value) {
    const uint32_t a = addr & 0xFF;
    uint8_t& reg = g_dmac.regs[a];
    if ((a & (DMA_CHANNEL_STRIDE - 1)) == DMA_CSR) reg = uint8_t((reg & ~value) | DMA_CSR_COC);
    else reg = uint8_t(value);
    const uint32_t channel = a / DMA_CHANNEL_STRIDE, offset = a % DMA_CHANNEL_STRIDE;
    if (channel == DMA_CHANNEL_ADPCM && g_sound_models.dma3 == SoundModel::Library) {
        sndlib_dma_poke(offset, value);
        return;
    }
    if (offset != DMA_CCR) return;
    if (channel == DMA_CHANNEL_RUN && (value & DMA_CCR_STR)) dma_run_channel2();
    if (channel == DMA_CHANNEL_ADPCM && (value & (DMA_CCR_STR | DMA_CCR_INT)) == (DMA_CCR_STR | DMA_CCR_INT))
        adpcm_dma_start_hook();
}

uint8_t* dma_host_pointer(uint32_t addr, uint32_t length) {
    const uint64_t end = uint64_t(addr) + length;
    if (g_machine.main_ram && end <= g_machine.main_ram_size) return g_machine.main_ram + addr;
    if (g_gvram && addr >= GVRAM_BASE && end <= GVRAM_BASE + uint64_t(GVRAM_SIZE)) return g_gvram + (addr - GVRAM_BASE);
    if (g_tvram && addr >= TVRAM_BASE && end <= TVRAM_BASE + uint64_t(TVRAM_SIZE)) return g_tvram + (addr - TVRAM_BASE);
    return nullptr;
}
