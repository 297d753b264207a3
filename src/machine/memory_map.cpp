// The page tables of the 24-bit bus and the page handlers of main RAM, the
// supervisor area, the ROMs and the pages without memory.
#include "machine/memory_map.h"

#include "machine/device.h"

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "core/trace.h"
#include "host/guest_window.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/sram.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/sprite.h"
#include "video/vram.h"

uint8_t* g_cgrom;
uint8_t* g_iplrom;
DirectPages g_direct_pages;
MemoryMapState g_memory_map = {-1, 0};

void mem_map_power_on() {
    device_clear(g_memory_map);
    g_memory_map.gvram_layout_mode = -1;
}
std::span<const uint8_t> mem_map_state() { return device_state_bytes(g_memory_map); }

namespace {

constexpr uint32_t PAGES = 128;
constexpr uint32_t RAM_PAGE_LIMIT = 96;  // main RAM ends at $BFFFFF at most
constexpr uint32_t PAGE_GVRAM = 96, PAGE_GVRAM_HIGH = 100, PAGE_TVRAM = 112, PAGE_IO = 116, PAGE_SPRITE = 117,
                   PAGE_SRAM = 118, PAGE_CGROM = 120, PAGE_IPLROM = 127;

// One window holds every fixed image at its own emulated offset (they do
// not overlap); main RAM has a window of its own.
uint8_t* s_image_window;
uint8_t* s_ram_window;
// End of the RAM pages that are mapped; a long that would run past it is
// split, so its second half meets the page above.
uint32_t s_ram_mapped_end;

// A long access at the last word of a page is two word accesses, the second
// through the next page, so no access leaves an image.
bool past_image_end(uint32_t offset, uint32_t size) { return offset > size - 4; }

// Main RAM.
uint32_t mem_ram_read_byte(uint32_t addr) { return g_machine.main_ram[addr]; }
uint32_t mem_ram_read_word(uint32_t addr) { return be_read16(g_machine.main_ram + addr); }
uint32_t mem_ram_read_long(uint32_t addr) {
    if (addr + 4 > s_ram_mapped_end) [[unlikely]]
        return mem_read_long_split(addr);
    return be_read32(g_machine.main_ram + addr);
}
void mem_ram_write_byte(uint32_t addr, uint32_t value) { g_machine.main_ram[addr] = uint8_t(value); }
void mem_ram_write_word(uint32_t addr, uint32_t value) { be_write16(g_machine.main_ram + addr, value); }
void mem_ram_write_long(uint32_t addr, uint32_t value) {
    if (addr + 4 > s_ram_mapped_end) [[unlikely]]
        return mem_write_long_split(addr, value);
    be_write32(g_machine.main_ram + addr, value);
}

// Supervisor area. The privilege violation stacks the opcode's address.
uint32_t mem_super_read_byte(uint32_t addr) { return mem_ram_read_byte(addr); }
uint32_t mem_super_read_word(uint32_t addr) { return mem_ram_read_word(addr); }
uint32_t mem_super_read_long(uint32_t addr) { return mem_ram_read_long(addr); }
bool super_write_allowed() {
    if (cpu_supervisor()) return true;
    cpu_privilege_violation(g_cpu_regs.op_addr + 2);
    return false;
}
void mem_super_write_byte(uint32_t addr, uint32_t value) {
    if (super_write_allowed()) mem_ram_write_byte(addr, value);
}
void mem_super_write_word(uint32_t addr, uint32_t value) {
    if (super_write_allowed()) mem_ram_write_word(addr, value);
}
void mem_super_write_long(uint32_t addr, uint32_t value) {
    if (super_write_allowed()) mem_ram_write_long(addr, value);
}

// CG ROM.
uint32_t rom_read_cg_byte(uint32_t addr) { return g_cgrom[addr - CGROM_BASE]; }
uint32_t rom_read_cg_word(uint32_t addr) { return be_read16(g_cgrom + (addr - CGROM_BASE)); }
uint32_t rom_read_cg_long(uint32_t addr) {
    uint32_t offset = addr - CGROM_BASE;
    if (past_image_end(offset, CGROM_SIZE)) [[unlikely]]
        return mem_read_long_split(addr);
    return be_read32(g_cgrom + offset);
}

// IPL ROM.
void ipl_mark(uint32_t offset, uint8_t flag) {
    if (!g_cpu_idle) g_rom_access_map[offset] |= flag;
}
uint32_t rom_read_ipl_byte(uint32_t addr) {
    uint32_t offset = addr - IPLROM_BASE;
    ipl_mark(offset, ROM_READ_B);
    return g_iplrom[offset];
}
uint32_t rom_read_ipl_word(uint32_t addr) {
    uint32_t offset = addr - IPLROM_BASE;
    ipl_mark(offset, ROM_READ_W);
    return be_read16(g_iplrom + offset);
}
uint32_t rom_read_ipl_long(uint32_t addr) {
    uint32_t offset = addr - IPLROM_BASE;
    ipl_mark(offset, ROM_READ_L);
    if (past_image_end(offset, IPLROM_SIZE)) [[unlikely]] {
        // $FFFFFE: the second word wraps round to address 0.
        return (be_read16(g_iplrom + offset) << 16) | (g_bus_read_word_table[0](0) & 0xFFFF);
    }
    return be_read32(g_iplrom + offset);
}

// clang-format off
constexpr BusDevice RAM_BUS = {mem_ram_read_byte, mem_ram_read_word, mem_ram_read_long,
    mem_ram_write_byte, mem_ram_write_word, mem_ram_write_long, nullptr};
constexpr BusDevice SUPERVISOR_BUS = {mem_super_read_byte, mem_super_read_word, mem_super_read_long,
    mem_super_write_byte, mem_super_write_word, mem_super_write_long, nullptr};
constexpr BusDevice NO_MEMORY_BUS = {mem_bus_error_read_any, mem_bus_error_read_any, mem_bus_error_read_any,
    mem_bus_error_write_any, mem_bus_error_write_any, mem_bus_error_write_any, nullptr};
constexpr BusDevice CGROM_BUS = {rom_read_cg_byte, rom_read_cg_word, rom_read_cg_long,
    mem_bus_error_write_any, mem_bus_error_write_any, mem_bus_error_write_any, nullptr};
constexpr BusDevice IPLROM_BUS = {rom_read_ipl_byte, rom_read_ipl_word, rom_read_ipl_long,
    mem_bus_error_write_any, mem_bus_error_write_any, mem_bus_error_write_any, nullptr};
// clang-format on

struct PageHandlers {
    const BusDevice* bus;
    // Main RAM, direct through g_direct_pages: reads, writes in both modes,
    // writes in supervisor mode.
    bool plain_read = false, plain_write = false, plain_super_write = false;
};

constexpr PageHandlers BUS_ERROR = {&NO_MEMORY_BUS};
constexpr PageHandlers RAM = {&RAM_BUS, true, true, true};
constexpr PageHandlers SUPERVISOR = {&SUPERVISOR_BUS, true, false, true};
constexpr PageHandlers GVRAM = {&GVRAM_BUS};
constexpr PageHandlers GVRAM_64K = {&GVRAM_64K_BUS};
constexpr PageHandlers GVRAM_1024 = {&GVRAM_1024_BUS};
constexpr PageHandlers TVRAM = {&TVRAM_BUS};
constexpr PageHandlers IO = {&IO_PAGE_BUS};
constexpr PageHandlers SPRITE = {&SPRITE_BUS};
constexpr PageHandlers CGROM = {&CGROM_BUS};
constexpr PageHandlers IPLROM = {&IPLROM_BUS};
constexpr PageHandlers SRAM_WRITABLE = {&SRAM_BUS};
constexpr PageHandlers SRAM_PROTECTED = {&SRAM_PROTECTED_BUS};

// The long entries of pages first..end, which look at the page below.
void link_long_entries(uint8_t* const* direct, uint8_t** direct_long, uint32_t first, uint32_t end) {
    for (uint32_t p = first; p <= end && p < PAGES; p++) {
        bool joined = p == 0 || direct[p - 1] == direct[p];
        direct_long[p] = joined ? direct[p] : nullptr;
    }
}

void set_readers(uint32_t page, const PageHandlers& h) {
    g_bus_read_byte_table[page] = h.bus->read_byte;
    g_bus_read_word_table[page] = h.bus->read_word;
    g_bus_read_long_table[page] = h.bus->read_long;
    g_direct_pages.read[page] = h.plain_read ? g_machine.main_ram : nullptr;
    link_long_entries(g_direct_pages.read, g_direct_pages.read_long, page, page + 1);
}
void set_writers(uint32_t page, const PageHandlers& h) {
    g_bus_write_byte_table[page] = h.bus->write_byte;
    g_bus_write_word_table[page] = h.bus->write_word;
    g_bus_write_long_table[page] = h.bus->write_long;
    g_direct_pages.write[page] = h.plain_write ? g_machine.main_ram : nullptr;
    g_direct_pages.write_super[page] = h.plain_super_write ? g_machine.main_ram : nullptr;
    link_long_entries(g_direct_pages.write, g_direct_pages.write_long, page, page + 1);
    link_long_entries(g_direct_pages.write_super, g_direct_pages.write_long_super, page, page + 1);
}
void set_page(uint32_t page, const PageHandlers& h) {
    set_readers(page, h);
    set_writers(page, h);
}
void set_pages(uint32_t first, uint32_t end, const PageHandlers& h, const uint8_t* fetch_base) {
    for (uint32_t p = first; p < end; p++) {
        set_page(p, h);
        g_fetch_page_table[p] = fetch_base;
    }
}

// The fetch base of an image whose first byte is emulated address base.
const uint8_t* fetch_base_of(const uint8_t* image, uint32_t base) { return image - base; }

}  // namespace

void mem_map_set_direct(uint32_t first, uint32_t end, uint8_t* read_base, uint8_t* write_base) {
    for (uint32_t p = first; p < end; p++) {
        g_direct_pages.read[p] = read_base;
        g_direct_pages.write[p] = write_base;
        g_direct_pages.write_super[p] = write_base;
    }
    link_long_entries(g_direct_pages.read, g_direct_pages.read_long, first, end);
    link_long_entries(g_direct_pages.write, g_direct_pages.write_long, first, end);
    link_long_entries(g_direct_pages.write_super, g_direct_pages.write_long_super, first, end);
}

bool mem_alloc_images() {
    if (s_image_window) return true;
    s_image_window = guest_window_alloc();
    if (!s_image_window) return false;
    g_gvram = s_image_window + GVRAM_BASE;
    g_tvram = s_image_window + TVRAM_BASE;
    g_sprite_area = s_image_window + SPRITE_AREA_BASE;
    g_sram = s_image_window + SRAM_BASE;
    g_cgrom = s_image_window + CGROM_BASE;
    g_iplrom = s_image_window + IPLROM_BASE;
    return true;
}

bool mem_alloc_main_ram(uint32_t size) {
    mem_free_main_ram();
    if (size == 0 || size > RAM_PAGE_LIMIT << 17) return false;
    s_ram_window = guest_window_alloc();
    if (!s_ram_window) return false;
    g_machine.main_ram = s_ram_window;
    g_machine.main_ram_size = size;
    return true;
}

void mem_free_main_ram() {
    if (g_machine.main_ram) {
        for (uint32_t p = 0; p < RAM_PAGE_LIMIT; p++) {
            if (g_fetch_page_table[p] != g_machine.main_ram) continue;
            set_page(p, BUS_ERROR);
            g_fetch_page_table[p] = nullptr;
        }
        if (g_cpu_regs.fetch_base == g_machine.main_ram) {
            g_cpu_regs.fetch_base = nullptr;
            g_cpu_regs.refetch = 1;
        }
    }
    s_ram_mapped_end = 0;
    // Only the window allocated here is released; RAM installed by others
    // is just forgotten.
    guest_window_free(s_ram_window);
    s_ram_window = nullptr;
    g_machine.main_ram = nullptr;
    g_machine.main_ram_size = 0;
}

int mem_map_build() {
    set_pages(0, PAGES, BUS_ERROR, nullptr);
    s_ram_mapped_end = 0;
    if (!mem_alloc_images() || !g_machine.main_ram) return -1;
    mem_map_set_supervisor_area(255);
    g_pal.vc_regs[1] = 4;  // video controller R0 low byte
    mem_map_set_gvram();
    set_pages(PAGE_TVRAM, PAGE_IO, TVRAM, fetch_base_of(g_tvram, TVRAM_BASE));
    // Devices hold no code: a jump into the I/O page is a bus error.
    set_pages(PAGE_IO, PAGE_IO + 1, IO, nullptr);
    set_pages(PAGE_SPRITE, PAGE_SPRITE + 1, SPRITE, fetch_base_of(g_sprite_area, SPRITE_AREA_BASE));
    mem_map_set_sram_protect(0x31);
    set_pages(PAGE_CGROM, PAGE_CGROM + 6, CGROM, fetch_base_of(g_cgrom, CGROM_BASE));
    set_pages(PAGE_IPLROM, PAGE_IPLROM + 1, IPLROM, fetch_base_of(g_iplrom, IPLROM_BASE));
    return 0;
}

void mem_map_set_supervisor_area(uint32_t v) {
    if (!g_machine.main_ram) return;
    uint32_t n = (((v & 0xFF) + 1) * 8192) >> 17;
    uint32_t ram_pages = g_machine.main_ram_size >> 17;
    if (ram_pages > RAM_PAGE_LIMIT) ram_pages = RAM_PAGE_LIMIT;
    for (uint32_t p = 0; p < ram_pages; p++) {
        set_page(p, p < n ? SUPERVISOR : RAM);
        g_fetch_page_table[p] = g_machine.main_ram;
    }
    s_ram_mapped_end = ram_pages << 17;
}

void mem_map_set_sram_protect(uint32_t v) {
    if (!g_sram) return;
    set_page(PAGE_SRAM, v == 0x31 ? SRAM_WRITABLE : SRAM_PROTECTED);
    g_fetch_page_table[PAGE_SRAM] = fetch_base_of(g_sram, SRAM_BASE);
}

void mem_map_set_gvram() {
    g_pal.change_count = 100;
    pal_build_lut();
    int32_t mode = (crtc_reg(CRTC_MODE) >> 8) & 7;
    gvram_convert_layout(mode, g_memory_map.gvram_layout_mode & 7);
    g_memory_map.gvram_layout_mode = mode;
    for (uint32_t p = PAGE_GVRAM_HIGH; p < PAGE_TVRAM; p++) set_page(p, BUS_ERROR);
    if (!g_gvram) return;
    const uint8_t* base = fetch_base_of(g_gvram, GVRAM_BASE);
    switch (mode) {
    case 0: set_pages(PAGE_GVRAM, PAGE_TVRAM, GVRAM, base); break;
    case 1: set_pages(PAGE_GVRAM, PAGE_GVRAM + 8, GVRAM, base); break;
    case 3: set_pages(PAGE_GVRAM, PAGE_GVRAM + 4, GVRAM_64K, base); break;
    default: set_pages(PAGE_GVRAM, PAGE_TVRAM, GVRAM_1024, base); break;
    }
}

uint32_t mem_read_long_split(uint32_t addr) {
    uint32_t high = g_bus_read_word_table[bus_page(addr)](addr) & 0xFFFF;
    uint32_t next = (addr + 2) & 0xFFFFFF;
    return (high << 16) | (g_bus_read_word_table[bus_page(next)](next) & 0xFFFF);
}

void mem_write_long_split(uint32_t addr, uint32_t value) {
    g_bus_write_word_table[bus_page(addr)](addr, value >> 16);
    uint32_t next = (addr + 2) & 0xFFFFFF;
    g_bus_write_word_table[bus_page(next)](next, value & 0xFFFF);
}


// Area-set register. A write that faults stops the access, so a word write
// never reaches the register through its odd byte.
static bool area_store_byte(uint32_t addr, uint32_t value) {
    if (!(addr & 1)) {
        mem_bus_error_write(addr);
        return false;
    }
    g_memory_map.area_set = uint8_t(value);
    mem_map_set_supervisor_area(g_memory_map.area_set);
    return true;
}
static bool area_store_word(uint32_t addr, uint32_t value) {
    return area_store_byte(addr, value >> 8) && area_store_byte(addr + 1, value);
}
void area_write_byte(uint32_t addr, uint32_t value) { area_store_byte(addr, value); }
void area_write_word(uint32_t addr, uint32_t value) { area_store_word(addr, value); }
void area_write_long(uint32_t addr, uint32_t value) {
    if (area_store_word(addr, value >> 16)) area_store_word(addr + 2, value);
}
