#include "support/flat_bus.h"

#include <cstring>

#include "core/bus.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/trace.h"
#include "host/guest_window.h"
#include "machine/device.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/scheduler.h"

namespace {

uint8_t* g_flat;

uint32_t flat_rb(uint32_t a) { return g_flat[a]; }
uint32_t flat_rw(uint32_t a) { return be_read16(g_flat + a); }
// A long at the last word of the bus wraps to address 0, as the 24-bit bus does.
uint32_t flat_rl(uint32_t a) {
    if (a <= 0xFFFFFC) [[likely]]
        return be_read32(g_flat + a);
    return (flat_rw(a) << 16) | flat_rw((a + 2) & 0xFFFFFF);
}
void flat_wb(uint32_t a, uint32_t v) { g_flat[a] = uint8_t(v); }
void flat_ww(uint32_t a, uint32_t v) { be_write16(g_flat + a, v); }
void flat_wl(uint32_t a, uint32_t v) {
    if (a <= 0xFFFFFC) [[likely]] {
        be_write32(g_flat + a, v);
        return;
    }
    flat_ww(a, v >> 16);
    flat_ww((a + 2) & 0xFFFFFF, v);
}

}  // namespace

void flat_bus_install() {
    static bool tables_built = false;
    if (!tables_built) {
        init_build_cpu_tables();
        tables_built = true;
    }
    if (!g_flat) g_flat = guest_window_alloc();
    else std::memset(g_flat, 0, GUEST_WINDOW_SIZE);
    for (int p = 0; p < 128; p++) {
        g_bus_read_byte_table[p] = flat_rb;
        g_bus_read_word_table[p] = flat_rw;
        g_bus_read_long_table[p] = flat_rl;
        g_bus_write_byte_table[p] = flat_wb;
        g_bus_write_word_table[p] = flat_ww;
        g_bus_write_long_table[p] = flat_wl;
        g_fetch_page_table[p] = g_flat;
    }
    mem_map_set_direct(0, 128, g_flat, g_flat);
    g_machine.main_ram = g_flat;
    g_machine.main_ram_size = GUEST_WINDOW_SIZE;
    init_clear_trace_buffers();
    devices_power_on();
    g_run_flags = 0;
}

uint8_t* flat_bus_memory() { return g_flat; }

void flat_write_byte(uint32_t a, uint32_t v) { flat_wb(a & 0xFFFFFF, v); }
void flat_write_word(uint32_t a, uint32_t v) { flat_ww(a & 0xFFFFFF, v); }
void flat_write_long(uint32_t a, uint32_t v) { flat_wl(a & 0xFFFFFF, v); }
uint32_t flat_read_byte(uint32_t a) { return flat_rb(a & 0xFFFFFF); }
uint32_t flat_read_word(uint32_t a) { return flat_rw(a & 0xFFFFFF); }
uint32_t flat_read_long(uint32_t a) { return flat_rl(a & 0xFFFFFF); }

void flat_write_words(uint32_t addr, std::initializer_list<uint16_t> words) {
    for (uint16_t w : words) {
        flat_write_word(addr, w);
        addr += 2;
    }
}

void cpu_test_reset(uint32_t pc, uint32_t ssp, uint32_t sr) {
    for (auto& r : g_cpu_regs.r) r = 0;
    g_cpu_regs.pc = pc;
    g_cpu_regs.op_addr = pc;
    g_cpu_regs.sr = sr;
    g_cpu_regs.ssp_save = g_cpu_regs.usp_save = ssp;
    cpu_sp() = ssp;
    g_cpu_regs.irq_request = g_cpu_regs.irq_level = g_cpu_regs.irq_vector_offset = g_cpu_regs.irq_pending = 0;
    g_cpu_regs.cycles = 0;
    g_cpu_regs.cycle_deadline = 0x7FFFFFFF;
    g_cpu_regs.event_kind = 0;
    g_cpu_regs.exception_busy = 0x100;
    g_cpu_regs.trace_delay = 0;
    g_cpu_regs.stopped = 0;
    g_cpu_regs.refetch = 1;
    g_machine.requests.event_request = 0;
    g_run_flags = 0;
}

uint32_t cpu_test_step() {
    uint32_t before = g_cpu_regs.cycles;
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    g_run_flags = RUN_STEP;
    cpu_run();
    g_run_flags = 0;
    return g_cpu_regs.cycles - before;
}
