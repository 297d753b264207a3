#include "core/bus.h"

#include "core/cpu_regs.h"
#include "core/exceptions.h"

BusReadFn g_bus_read_byte_table[128];
BusReadFn g_bus_read_word_table[128];
BusReadFn g_bus_read_long_table[128];
BusWriteFn g_bus_write_byte_table[128];
BusWriteFn g_bus_write_word_table[128];
BusWriteFn g_bus_write_long_table[128];
const uint8_t* g_fetch_page_table[128];

WatchRange g_watch_read;
WatchRange g_watch_write;
uint32_t g_watch_hit_addr;
uint8_t g_watch_hit_kind;

uint32_t g_mem_probe_mode;
uint32_t g_mem_probe_fault;

void mem_watch_hit(uint32_t a, uint8_t kind) {
    run_flags_set(RUN_BREAK);
    g_watch_hit_addr = a;
    g_watch_hit_kind = kind;
}

static void mem_fault(uint32_t probe_kind, uint32_t code, uint32_t addr, uint32_t vector) {
    if (g_mem_probe_mode) {
        g_mem_probe_fault = probe_kind;
        return;
    }
    g_cpu_regs.fault_code = code;
    g_cpu_regs.fault_addr = addr;
    // The stacked PC is the word after the opcode, as the chip's prefetch leaves it.
    cpu_raise_fault_exception(vector, g_cpu_regs.op_addr + 2);
}

// clang-format off
void mem_address_error_read(uint32_t addr) { mem_fault(PROBE_ADDRESS_READ, mem_fault_code_read(), addr, VEC_ADDRESS_ERROR); }
void mem_address_error_write(uint32_t addr) { mem_fault(PROBE_ADDRESS_WRITE, mem_fault_code_write(), addr, VEC_ADDRESS_ERROR); }
// clang-format on
void mem_bus_error_read(uint32_t addr) { mem_fault(PROBE_BUS_READ, mem_fault_code_read(), addr, VEC_BUS_ERROR); }
void mem_bus_error_write(uint32_t addr) { mem_fault(PROBE_BUS_WRITE, mem_fault_code_write(), addr, VEC_BUS_ERROR); }

void mem_address_error_fetch(uint32_t pc) {
    g_cpu_regs.fault_code = mem_fault_code_fetch();
    g_cpu_regs.fault_addr = pc & 0xFFFFFF;
    cpu_raise_fault_exception(VEC_ADDRESS_ERROR, pc);
    // Only reached while idle, and the loop never fetches then.
    cpu_take_exception(VEC_ADDRESS_ERROR, pc);
}

uint32_t mem_read_byte_slow(uint32_t addr) {
    addr &= 0xFFFFFF;
    mem_watch_read_byte(addr);
    return bus_read_byte(addr);
}
uint32_t mem_read_word_slow(uint32_t addr) {
    if (addr & 1) {
        mem_address_error_read(addr);
        return 0;
    }
    addr &= 0xFFFFFF;
    mem_watch_read_word(addr);
    return bus_read_word(addr);
}
uint32_t mem_read_long_slow(uint32_t addr) {
    if (addr & 1) {
        mem_address_error_read(addr);
        return 0;
    }
    addr &= 0xFFFFFF;
    mem_watch_read_long(addr);
    return bus_read_long(addr);
}
void mem_write_byte_slow(uint32_t addr, uint32_t value) {
    addr &= 0xFFFFFF;
    mem_watch_write_byte(addr);
    bus_write_byte(addr, value);
}
void mem_write_word_slow(uint32_t addr, uint32_t value) {
    if (addr & 1) {
        mem_address_error_write(addr);
        return;
    }
    addr &= 0xFFFFFF;
    mem_watch_write_word(addr);
    bus_write_word(addr, value);
}
void mem_write_long_slow(uint32_t addr, uint32_t value) {
    if (addr & 1) {
        mem_address_error_write(addr);
        return;
    }
    addr &= 0xFFFFFF;
    mem_watch_write_long(addr);
    bus_write_long(addr, value);
}

uint32_t mem_read_byte_c(uint32_t addr) { return mem_read_byte(addr); }
uint32_t mem_read_word_c(uint32_t addr) { return mem_read_word(addr); }
uint32_t mem_read_long_c(uint32_t addr) { return mem_read_long(addr); }
void mem_write_byte_c(uint32_t value, uint32_t addr) { mem_write_byte(addr, value); }

// The word and long forms cut the address before the watch test, so the
// fault address is the 24-bit one.
void mem_write_word_c(uint32_t value, uint32_t addr) {
    addr &= 0xFFFFFF;
    mem_watch_write_word(addr);
    if (addr & 1) {
        mem_address_error_write(addr);
        return;
    }
    bus_write_word(addr, value);
}
void mem_write_long_c(uint32_t value, uint32_t addr) {
    addr &= 0xFFFFFF;
    mem_watch_write_long(addr);
    if (addr & 1) {
        mem_address_error_write(addr);
        return;
    }
    bus_write_long(addr, value);
}
