#include "storage/dma.h"

#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "video/vram.h"

DmacState g_dmac;
uint32_t g_dmac_pending_vector;

void dma_power_on() {
    device_clear(g_dmac);
    g_dmac_pending_vector = 0;
}
std::span<const uint8_t> dma_state() { return device_state_bytes(g_dmac); }

uint32_t dma_peek_byte(uint32_t addr) { return g_dmac.regs[addr & 0xFF]; }
uint32_t dma_read_byte(uint32_t addr) { return dma_peek_byte(addr); }
void dma_write_byte(uint32_t addr, uint32_t value) { g_dmac.regs[addr & 0xFF] = uint8_t(value); }
uint32_t dma_read_word(uint32_t addr) { return io_word_of_bytes<dma_read_byte>(addr); }
uint32_t dma_read_long(uint32_t addr) { return io_long_of_bytes<dma_read_byte>(addr); }
void dma_write_word(uint32_t addr, uint32_t value) { io_word_to_bytes<dma_write_byte>(addr, value); }
void dma_write_long(uint32_t addr, uint32_t value) { io_long_to_bytes<dma_write_byte>(addr, value); }

uint8_t* dma_host_pointer(uint32_t addr, uint32_t length) {
    const uint64_t end = uint64_t(addr) + length;
    if (g_main_ram && end <= g_main_ram_size) return g_main_ram + addr;
    if (g_gvram && addr >= GVRAM_BASE && end <= GVRAM_BASE + uint64_t(GVRAM_SIZE))
        return g_gvram + (addr - GVRAM_BASE);
    if (g_tvram && addr >= TVRAM_BASE && end <= TVRAM_BASE + uint64_t(TVRAM_SIZE))
        return g_tvram + (addr - TVRAM_BASE);
    return nullptr;
}
