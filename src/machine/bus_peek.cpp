#include "machine/bus_peek.h"

#include "core/bus.h"
#include "machine/io_page.h"
#include "machine/memory_map.h"

inline constexpr uint32_t NO_ANSWER = 0xFF;

uint32_t bus_peek_byte(uint32_t addr) {
    addr &= 0xFFFFFF;
    if (addr - IO_PAGE_BASE < IO_PAGE_SIZE) return io_peek_byte(addr);
    uint32_t page = bus_page(addr);
    // The IPL ROM's own reader marks the access map: read its image.
    if (addr >= IPLROM_BASE && g_fetch_page_table[page]) return g_fetch_page_table[page][addr];
    BusReadFn read = g_bus_read_byte_table[page];
    if (!read) return NO_ANSWER;
    // The memory pages' readers have no side effects; in probe mode a page
    // without memory answers by the probe flag, which is put back.
    ProbeScope probe(ProbeScope::RESTORE_FAULT);
    uint32_t value = read(addr) & 0xFF;
    return probe.faulted() ? NO_ANSWER : value;
}

uint32_t bus_peek_word(uint32_t addr) { return (bus_peek_byte(addr) << 8) | bus_peek_byte(addr + 1); }
uint32_t bus_peek_long(uint32_t addr) { return (bus_peek_word(addr) << 16) | bus_peek_word(addr + 2); }
