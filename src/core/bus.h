// The processor's side of the bus: accesses with the odd-address rule, the
// 24-bit cut, access watches and the page tables; memory probe mode.
#pragma once

#include <cstdint>

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "core/inline.h"

using BusReadFn = uint32_t (*)(uint32_t addr);
using BusWriteFn = void (*)(uint32_t addr, uint32_t value);

// Page tables over 128 KB pages, index (addr & 0xFFFFFF) >> 17.
extern BusReadFn g_bus_read_byte_table[128];
extern BusReadFn g_bus_read_word_table[128];
extern BusReadFn g_bus_read_long_table[128];
extern BusWriteFn g_bus_write_byte_table[128];
extern BusWriteFn g_bus_write_word_table[128];
extern BusWriteFn g_bus_write_long_table[128];
// Host fetch bases: host = base + pc; nullptr = no memory. Every base is a
// guest window, which repeats its 16 MB through the 32-bit range (see
// host/guest_window.h).
extern const uint8_t* g_fetch_page_table[128];

inline uint32_t bus_page(uint32_t addr24) { return addr24 >> 17; }

struct WatchRange {
    uint32_t end;    // exclusive
    uint32_t start;  // inclusive
    uint16_t enable;
};
extern WatchRange g_watch_read;
extern WatchRange g_watch_write;
extern uint32_t g_watch_hit_addr;
extern uint8_t g_watch_hit_kind;

// The fault kinds probe mode records.
enum ProbeFault : uint32_t {
    PROBE_NONE = 0,
    PROBE_ADDRESS_READ = 1,
    PROBE_ADDRESS_WRITE = 2,
    PROBE_BUS_READ = 3,
    PROBE_BUS_WRITE = 4,
};

// Memory probe mode and the last fault kind it recorded (see ProbeScope).
extern uint32_t g_mem_probe_mode;
extern uint32_t g_mem_probe_fault;

// Probe mode while host code reaches guest memory on its own account (a DMA
// run, a chain table, a peek): a faulting access records its kind in
// g_mem_probe_fault, cleared here, and raises nothing. The probe flag is put
// back at the end. SUPERVISOR: the accesses are made in supervisor state, SR
// put back at the end. RESTORE_FAULT: the fault kind found is put back too,
// so that a probe inside another leaves the outer one's record alone.
class ProbeScope {
public:
    enum Options : uint32_t { SUPERVISOR = 1, RESTORE_FAULT = 2 };
    explicit ProbeScope(uint32_t options = 0)
        : options_(options), sr_(g_cpu_regs.sr), mode_(g_mem_probe_mode), fault_(g_mem_probe_fault) {
        if (options_ & SUPERVISOR) g_cpu_regs.sr |= SR_S;
        g_mem_probe_mode = 1;
        g_mem_probe_fault = PROBE_NONE;
    }
    ~ProbeScope() {
        g_mem_probe_mode = mode_;
        if (options_ & RESTORE_FAULT) g_mem_probe_fault = fault_;
        if (options_ & SUPERVISOR) g_cpu_regs.sr = sr_;
    }
    ProbeScope(const ProbeScope&) = delete;
    ProbeScope& operator=(const ProbeScope&) = delete;
    // The kind the last faulting access in the scope recorded (ProbeFault).
    static uint32_t fault() { return g_mem_probe_fault; }
    static bool faulted() { return g_mem_probe_fault != PROBE_NONE; }

private:
    uint32_t options_, sr_, mode_, fault_;
};

// Fault raisers. They return only when no exception is taken (probe mode,
// or the run loop is not running); otherwise they leave the instruction.
void mem_address_error_read(uint32_t addr);
void mem_address_error_write(uint32_t addr);
[[noreturn]] void mem_address_error_fetch(uint32_t pc);
// Bus error on a read or write of a page without memory (used by the
// bus-error page handlers and the run loop's fetch).
void mem_bus_error_read(uint32_t addr);
void mem_bus_error_write(uint32_t addr);

// Access code of a fault by SR bit 13.
inline uint32_t mem_fault_code_read() { return cpu_supervisor() ? 0x15 : 0x11; }
inline uint32_t mem_fault_code_write() { return cpu_supervisor() ? 0x05 : 0x01; }
inline uint32_t mem_fault_code_fetch() { return cpu_supervisor() ? 0x1E : 0x1A; }

// Watch tests; a is the 24-bit address (the word read test also cuts it).
void mem_watch_hit(uint32_t a, uint8_t kind);
ZOLM_ALWAYS_INLINE void mem_watch_test(const WatchRange& w, uint32_t a, uint32_t last_offset, uint8_t kind) {
    if (w.enable == 0) return;
    if (a < w.end && a + last_offset >= w.start && !g_cpu_idle) mem_watch_hit(a, kind);
}
ZOLM_ALWAYS_INLINE void mem_watch_read_byte(uint32_t a) { mem_watch_test(g_watch_read, a, 0, 'r'); }
ZOLM_ALWAYS_INLINE void mem_watch_read_word(uint32_t a) { mem_watch_test(g_watch_read, a & 0xFFFFFF, 1, 'R'); }
ZOLM_ALWAYS_INLINE void mem_watch_read_long(uint32_t a) { mem_watch_test(g_watch_read, a, 3, 'R'); }
ZOLM_ALWAYS_INLINE void mem_watch_write_byte(uint32_t a) { mem_watch_test(g_watch_write, a, 0, 'w'); }
ZOLM_ALWAYS_INLINE void mem_watch_write_word(uint32_t a) { mem_watch_test(g_watch_write, a, 1, 'W'); }
ZOLM_ALWAYS_INLINE void mem_watch_write_long(uint32_t a) { mem_watch_test(g_watch_write, a, 3, 'W'); }

// Big-endian host memory helpers for page handlers and images.
ZOLM_ALWAYS_INLINE uint32_t be_read16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }
ZOLM_ALWAYS_INLINE uint32_t be_read32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
ZOLM_ALWAYS_INLINE void be_write16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
ZOLM_ALWAYS_INLINE void be_write32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Plain RAM through g_direct_pages, everything else through the page
// tables; a is a 24-bit address, even for words and longs.
ZOLM_ALWAYS_INLINE uint32_t bus_read_byte(uint32_t a) {
    if (const uint8_t* p = g_direct_pages.read[bus_page(a)]) [[likely]]
        return p[a];
    return g_bus_read_byte_table[bus_page(a)](a);
}
ZOLM_ALWAYS_INLINE uint32_t bus_read_word(uint32_t a) {
    if (const uint8_t* p = g_direct_pages.read[bus_page(a)]) [[likely]]
        return be_read16(p + a);
    return g_bus_read_word_table[bus_page(a)](a);
}
ZOLM_ALWAYS_INLINE uint32_t bus_read_long(uint32_t a) {
    if (const uint8_t* p = g_direct_pages.read_long[bus_page(a + 2)]) [[likely]]
        return be_read32(p + a);
    return g_bus_read_long_table[bus_page(a)](a);
}
// Writes look at the *_super table only when the page has no base for
// both modes.
ZOLM_ALWAYS_INLINE uint8_t* bus_write_base(uint8_t* const* both, uint8_t* const* super, uint32_t page) {
    if (uint8_t* p = both[page]) [[likely]]
        return p;
    return cpu_supervisor() ? super[page] : nullptr;
}
ZOLM_ALWAYS_INLINE void bus_write_byte(uint32_t a, uint32_t v) {
    if (uint8_t* p = bus_write_base(g_direct_pages.write, g_direct_pages.write_super, bus_page(a))) [[likely]] {
        p[a] = uint8_t(v);
        return;
    }
    g_bus_write_byte_table[bus_page(a)](a, v);
}
ZOLM_ALWAYS_INLINE void bus_write_word(uint32_t a, uint32_t v) {
    if (uint8_t* p = bus_write_base(g_direct_pages.write, g_direct_pages.write_super, bus_page(a))) [[likely]] {
        be_write16(p + a, v);
        return;
    }
    g_bus_write_word_table[bus_page(a)](a, v);
}
ZOLM_ALWAYS_INLINE void bus_write_long(uint32_t a, uint32_t v) {
    uint32_t page = bus_page(a + 2);
    if (uint8_t* p = bus_write_base(g_direct_pages.write_long, g_direct_pages.write_long_super, page)) [[likely]] {
        be_write32(p + a, v);
        return;
    }
    g_bus_write_long_table[bus_page(a)](a, v);
}

// The whole access: the odd-address rule on the address as given, the
// 24-bit cut, the watch test, then the bus. Out of line, so that callers
// keep no registers for it on their common path.
#define ZOLM_BUS_SLOW __attribute__((noinline, cold))
ZOLM_BUS_SLOW uint32_t mem_read_byte_slow(uint32_t addr);
ZOLM_BUS_SLOW uint32_t mem_read_word_slow(uint32_t addr);
ZOLM_BUS_SLOW uint32_t mem_read_long_slow(uint32_t addr);
ZOLM_BUS_SLOW void mem_write_byte_slow(uint32_t addr, uint32_t value);
ZOLM_BUS_SLOW void mem_write_word_slow(uint32_t addr, uint32_t value);
ZOLM_BUS_SLOW void mem_write_long_slow(uint32_t addr, uint32_t value);
#undef ZOLM_BUS_SLOW

// The core's access operations: an even address of a plain RAM page with
// no watch set is served here, anything else by the whole access above.
ZOLM_ALWAYS_INLINE uint32_t mem_read_byte(uint32_t addr) {
    uint32_t a = addr & 0xFFFFFF;
    const uint8_t* p = g_direct_pages.read[bus_page(a)];
    if (g_watch_read.enable == 0 && p) [[likely]]
        return p[a];
    return mem_read_byte_slow(addr);
}
ZOLM_ALWAYS_INLINE uint32_t mem_read_word(uint32_t addr) {
    uint32_t a = addr & 0xFFFFFF;
    const uint8_t* p = g_direct_pages.read[bus_page(a)];
    if (!(addr & 1) && g_watch_read.enable == 0 && p) [[likely]]
        return be_read16(p + a);
    return mem_read_word_slow(addr);
}
ZOLM_ALWAYS_INLINE uint32_t mem_read_long(uint32_t addr) {
    uint32_t a = addr & 0xFFFFFF;
    const uint8_t* p = g_direct_pages.read_long[bus_page(a + 2)];
    if (!(addr & 1) && g_watch_read.enable == 0 && p) [[likely]]
        return be_read32(p + a);
    return mem_read_long_slow(addr);
}
ZOLM_ALWAYS_INLINE void mem_write_byte(uint32_t addr, uint32_t value) {
    uint32_t a = addr & 0xFFFFFF;
    uint8_t* p = bus_write_base(g_direct_pages.write, g_direct_pages.write_super, bus_page(a));
    if (g_watch_write.enable == 0 && p) [[likely]] {
        p[a] = uint8_t(value);
        return;
    }
    mem_write_byte_slow(addr, value);
}
ZOLM_ALWAYS_INLINE void mem_write_word(uint32_t addr, uint32_t value) {
    uint32_t a = addr & 0xFFFFFF;
    uint8_t* p = bus_write_base(g_direct_pages.write, g_direct_pages.write_super, bus_page(a));
    if (!(addr & 1) && g_watch_write.enable == 0 && p) [[likely]] {
        be_write16(p + a, value);
        return;
    }
    mem_write_word_slow(addr, value);
}
ZOLM_ALWAYS_INLINE void mem_write_long(uint32_t addr, uint32_t value) {
    uint32_t a = addr & 0xFFFFFF;
    uint8_t* p = bus_write_base(g_direct_pages.write_long, g_direct_pages.write_long_super, bus_page(a + 2));
    if (!(addr & 1) && g_watch_write.enable == 0 && p) [[likely]] {
        be_write32(p + a, value);
        return;
    }
    mem_write_long_slow(addr, value);
}

// Callable forms for the rest of the system (write forms take the value first).
uint32_t mem_read_byte_c(uint32_t addr);
uint32_t mem_read_word_c(uint32_t addr);
uint32_t mem_read_long_c(uint32_t addr);
void mem_write_byte_c(uint32_t value, uint32_t addr);
void mem_write_word_c(uint32_t value, uint32_t addr);
void mem_write_long_c(uint32_t value, uint32_t addr);

// Instruction stream: words at the fetch base, no page handler, no tests.
// The window's copies make a read past $FFFFFF wrap to address 0.
ZOLM_ALWAYS_INLINE uint32_t cpu_fetch_word(uint32_t pc) {
    const uint8_t* p = g_cpu_regs.fetch_base + pc;
    return (uint32_t(p[0]) << 8) | p[1];
}
ZOLM_ALWAYS_INLINE uint32_t cpu_fetch_long(uint32_t pc) {
    const uint8_t* p = g_cpu_regs.fetch_base + pc;
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
