// Channel 2's runs: the whole transfer at once, through the bus in probe
// mode as a supervisor access, then status, error and interrupt.
#include "core/bus.h"
#include "storage/dma.h"

namespace {

// Fault kinds of a run beyond the bus's (ProbeFault).
enum DmaFault : uint32_t {
    FAULT_NONE = PROBE_NONE,
    FAULT_CONFIG = 5,
    FAULT_TIMING = 6,
    FAULT_COUNT = 7,
};

// A link chain that has not ended after this many entries loops: count fault.
constexpr uint32_t LINK_CHAIN_LIMIT = 65536;
constexpr uint32_t CHAIN_ENTRY_BYTES = 6;
// A run that would move more than the whole address space (a chain that
// repeats its blocks) stops there with a count fault.
constexpr uint64_t RUN_BYTES_LIMIT = 0x1000000;

uint8_t cer_of_fault(uint32_t fault) {
    switch (fault) {
    case PROBE_ADDRESS_READ:
    case PROBE_ADDRESS_WRITE: return DMA_CER_ADDRESS;
    case FAULT_CONFIG: return DMA_CER_CONFIG;
    case FAULT_TIMING: return DMA_CER_TIMING;
    case FAULT_COUNT: return DMA_CER_COUNT;
    default: return DMA_CER_BUS;
    }
}

// For the run: channel 2 marked running, probe mode and supervisor state;
// all put back afterwards.
class RunScope {
public:
    RunScope() { g_dmac.channel2_running = true; }
    ~RunScope() { g_dmac.channel2_running = false; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    ProbeScope probe_{ProbeScope::SUPERVISOR};
};

// Address count field (2 bits) to a step in units.
int32_t address_step(uint32_t field) { return field == 1 ? 1 : field == 2 ? -1 : 0; }

uint32_t read_unit(uint32_t size, uint32_t addr) {
    return size == 4 ? mem_read_long_c(addr) : size == 2 ? mem_read_word_c(addr) : mem_read_byte_c(addr);
}
void write_unit(uint32_t size, uint32_t value, uint32_t addr) {
    if (size == 4) mem_write_long_c(value, addr);
    else if (size == 2) mem_write_word_c(value, addr);
    else mem_write_byte_c(value, addr);
}

constexpr int CH = DMA_CHANNEL_RUN;

}  // namespace

void dma_transfer(uint32_t size, uint32_t& mem, uint32_t& dev, int32_t mem_step, int32_t dev_step, uint32_t dcr_ocr,
                  uint32_t count) {
    if (count == 0) return;
    const uint32_t dcr = dcr_ocr >> 8, ocr = dcr_ocr & 0xFF;
    const uint32_t device_type = (dcr >> 4) & 3;
    if (device_type >= 2) dev_step = 0;  // single addressing
    if (!(dcr & 0x08)) {                 // 8-bit port: every second address
        dev_step *= 2;
        if (size > 1) {
            count *= size;
            mem_step /= int32_t(size);
            dev_step /= int32_t(size);
            size = 1;
        }
    }
    const bool to_memory = ocr & 0x80;
    uint32_t& src = to_memory ? dev : mem;
    uint32_t& dst = to_memory ? mem : dev;
    const int32_t src_step = to_memory ? dev_step : mem_step;
    const int32_t dst_step = to_memory ? mem_step : dev_step;
    for (uint32_t i = 0; i < count && g_mem_probe_fault == FAULT_NONE; ++i) {
        uint32_t value = read_unit(size, src);
        write_unit(size, value, dst);
        src += uint32_t(src_step);
        dst += uint32_t(dst_step);
    }
}

void dma_run_channel2() {
    if (g_dmac.channel2_running) return;
    uint32_t fault;
    {
        RunScope scope;
        const uint32_t dcr = dma_reg_byte(CH, DMA_DCR), ocr = dma_reg_byte(CH, DMA_OCR);
        const uint32_t scr = dma_reg_byte(CH, DMA_SCR);
        const uint32_t size_field = (ocr >> 4) & 3;
        const uint32_t size = size_field == 1 ? 2 : size_field == 2 ? 4 : 1;
        const int32_t mem_step = address_step((scr >> 2) & 3) * int32_t(size);
        const int32_t dev_step = address_step(scr & 3) * int32_t(size);
        const uint32_t dcr_ocr = dcr << 8 | ocr;
        uint32_t dev = dma_reg_long(CH, DMA_DAR);
        uint64_t moved = 0;
        auto transfer = [&](uint32_t mem, uint32_t count) {
            moved += uint64_t(count) * size;
            if (moved > RUN_BYTES_LIMIT) g_mem_probe_fault = FAULT_COUNT;
            else dma_transfer(size, mem, dev, mem_step, dev_step, dcr_ocr, count);
        };

        if (dma_reg_byte(CH, DMA_CSR) & (DMA_CSR_BLC | DMA_CSR_NDT | DMA_CSR_ERR)) g_mem_probe_fault = FAULT_TIMING;
        const uint32_t chain = (ocr >> 2) & 3;
        if (g_mem_probe_fault == FAULT_NONE) {
            if (chain == 0) {
                uint32_t mem = dma_reg_long(CH, DMA_MAR), count = dma_reg_word(CH, DMA_MTC);
                if (count == 0) g_mem_probe_fault = FAULT_COUNT;
                else transfer(mem, count);
            } else if (chain == 2) {
                uint32_t table = dma_reg_long(CH, DMA_BAR), entries = dma_reg_word(CH, DMA_BTC);
                if (entries == 0) g_mem_probe_fault = FAULT_COUNT;
                for (uint32_t n = 0; n < entries && g_mem_probe_fault == FAULT_NONE; ++n) {
                    uint32_t mem = mem_read_long_c(table);
                    uint32_t count = mem_read_word_c(table + 4);
                    table += CHAIN_ENTRY_BYTES;
                    if (g_mem_probe_fault != FAULT_NONE) break;
                    if (count == 0) g_mem_probe_fault = FAULT_COUNT;
                    else transfer(mem, count);
                }
            } else if (chain == 3) {
                uint32_t table = dma_reg_long(CH, DMA_BAR);
                for (uint32_t n = 0;; ++n) {
                    if (n == LINK_CHAIN_LIMIT) {
                        g_mem_probe_fault = FAULT_COUNT;
                        break;
                    }
                    uint32_t mem = mem_read_long_c(table);
                    uint32_t count = mem_read_word_c(table + 4);
                    if (g_mem_probe_fault != FAULT_NONE) break;
                    if (count == 0) {
                        g_mem_probe_fault = FAULT_COUNT;
                        break;
                    }
                    uint32_t link = mem_read_long_c(table + CHAIN_ENTRY_BYTES);
                    if (g_mem_probe_fault != FAULT_NONE) break;
                    transfer(mem, count);
                    if (link == 0 || g_mem_probe_fault != FAULT_NONE) break;
                    table = link;
                }
            } else {
                g_mem_probe_fault = FAULT_CONFIG;
            }
        }
        fault = g_mem_probe_fault;
    }
    const bool interrupt = dma_reg_byte(CH, DMA_CCR) & DMA_CCR_INT;
    if (fault != FAULT_NONE) {
        dma_set_reg_byte(CH, DMA_CSR, DMA_CSR_ERR);
        dma_set_reg_byte(CH, DMA_CER, cer_of_fault(fault));
        if (interrupt) dma_raise_interrupt(dma_reg_byte(CH, DMA_EIV));
    } else {
        dma_set_reg_byte(CH, DMA_CSR, DMA_CSR_DONE);
        dma_set_reg_byte(CH, DMA_CER, 0);
        if (interrupt) dma_raise_interrupt(dma_reg_byte(CH, DMA_NIV));
    }
}
