#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/bus.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/settings.h"
#include "machine/sram.h"
#include "sound/midi.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/vram.h"

namespace {

constexpr uint32_t MB = 0x100000;
constexpr uint32_t CODE = 0x300000, SSP = 0x3F0000;
constexpr uint32_t BUS_ERROR_HANDLER = 0x310000, PRIVILEGE_HANDLER = 0x310100;

// Fault kind an access records in probe mode: 0 none, 3 bus error on a read, 4 on a write.
uint32_t probe(const std::function<void()>& access) {
    ProbeScope scope;
    access();
    return scope.fault();
}

class MemoryMap : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        build(4 * MB);
    }
    void TearDown() override { g_cpu_regs.sr = 0x2700; }

    static void build(uint32_t ram_size) {
        flat_bus_install();  // decode tables, cleared debugger data and requests
        cpu_test_reset(CODE, SSP);
        ASSERT_TRUE(mem_alloc_images());
        ASSERT_TRUE(mem_alloc_main_ram(ram_size));
        g_crtc.regs[CRTC_MODE] = 0;
        g_memory_map.gvram_layout_mode = -1;
        g_settings.midi = 0;  // the MIDI board switched off
        ASSERT_EQ(mem_map_build(), 0);
        std::memset(g_iplrom, 0, IPLROM_SIZE);
        std::memset(g_cgrom, 0, CGROM_SIZE);
        std::memset(g_rom_access_map, 0, ROM_ACCESS_MAP_SIZE);
        be_write32(g_machine.main_ram + 0x08, BUS_ERROR_HANDLER);
        be_write32(g_machine.main_ram + 0x20, PRIVILEGE_HANDLER);
    }
};

TEST_F(MemoryMap, EveryPageAnswersAsTheMapSays) {
    struct Case {
        uint32_t ram_size, addr, read_fault, write_fault;
    };
    const Case cases[] = {
        {4 * MB, 0x000000, 0, 0},  {4 * MB, 0x3FFFFF, 0, 0}, {4 * MB, 0x400000, 3, 4}, {12 * MB, 0xBFFFFF, 0, 0},
        {12 * MB, 0xBFFFFE, 0, 0}, {4 * MB, 0xBFFFFF, 3, 4},  // RAM ends at its size
        {4 * MB, 0xC00001, 0, 0},  {4 * MB, 0xDFFFFF, 0, 0},  // graphic VRAM, 16 colours
        {4 * MB, 0xE00000, 0, 0},  {4 * MB, 0xE7FFFF, 0, 0},  // text VRAM
        {4 * MB, 0xEB0000, 0, 0},                             // sprite area
        {4 * MB, 0xEAFA00, 3, 4},                             // MIDI board switched off
        {4 * MB, 0xEC0000, 3, 4},  {4 * MB, 0xED0000, 0, 0}, {4 * MB, 0xED3FFF, 0, 0}, {4 * MB, 0xED4000, 3, 4},
        {4 * MB, 0xEE0000, 3, 4},  {4 * MB, 0xF00000, 0, 4}, {4 * MB, 0xFBFFFF, 0, 4}, {4 * MB, 0xFC0000, 3, 4},
        {4 * MB, 0xFE0000, 0, 4},  {4 * MB, 0xFFFFFF, 0, 4},
    };
    for (const Case& c : cases) {
        build(c.ram_size);
        SCOPED_TRACE(testing::Message() << std::hex << c.addr << " with " << c.ram_size);
        EXPECT_EQ(probe([&] { mem_read_byte_c(c.addr); }), c.read_fault);
        EXPECT_EQ(probe([&] { mem_write_byte_c(0x5A, c.addr); }), c.write_fault);
        if (c.read_fault == 0 && c.write_fault == 0) { EXPECT_EQ(mem_read_byte_c(c.addr), 0x5Au); }
    }
}

TEST_F(MemoryMap, AreaSetRegisterMovesTheSupervisorBoundary) {
    struct Case {
        uint32_t v, boundary;
    };
    const Case cases[] = {{0, 0}, {14, 0}, {15, 0x20000}, {30, 0x20000}, {31, 0x40000}, {255, 0x200000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        g_cpu_regs.sr = 0x2700;
        mem_write_byte_c(c.v, 0xE86001);
        EXPECT_EQ(g_memory_map.area_set, c.v);
        g_machine.main_ram[c.boundary] = 0x11;
        if (c.boundary) g_machine.main_ram[c.boundary - 1] = 0x11;
        g_cpu_regs.sr = 0x0000;  // user mode: reads succeed everywhere, writes only above
        mem_write_byte_c(0x22, c.boundary);
        EXPECT_EQ(g_machine.main_ram[c.boundary], 0x22);
        if (c.boundary) {
            mem_write_byte_c(0x22, c.boundary - 1);
            EXPECT_EQ(mem_read_byte_c(c.boundary - 1), 0x11u);
        }
    }
}

TEST_F(MemoryMap, AreaSetReadsAndWordWritesAreBusErrorsThatMoveNothing) {
    mem_write_byte_c(31, 0xE86001);
    EXPECT_EQ(probe([] { mem_read_byte_c(0xE86001); }), 3u);
    EXPECT_EQ(probe([] { mem_read_word_c(0xE86000); }), 3u);
    EXPECT_EQ(probe([] { mem_write_word_c(0x00FF, 0xE86000); }), 4u);
    EXPECT_EQ(probe([] { mem_write_long_c(0x00FF00FF, 0xE86000); }), 4u);
    EXPECT_EQ(g_memory_map.area_set, 31);
    g_cpu_regs.sr = 0x0000;
    mem_write_byte_c(0x22, 0x3FFFF);  // still in the two supervisor pages
    EXPECT_EQ(g_machine.main_ram[0x3FFFF], 0);
}

TEST_F(MemoryMap, UserWritesToTheSupervisorAreaAreAPrivilegeViolation) {
    g_machine.main_ram[0x1000] = 0x77;
    cpu_a(0) = 0x1000;
    cpu_d(0) = 0x99;
    g_cpu_regs.sr = 0x0000;
    be_write16(g_machine.main_ram + CODE, 0x1010);      // move.b (a0),d0
    be_write16(g_machine.main_ram + CODE + 2, 0x1080);  // move.b d0,(a0)
    cpu_test_step();
    EXPECT_EQ(cpu_d(0), 0x77u);
    EXPECT_EQ(g_cpu_regs.pc, CODE + 2);
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, PRIVILEGE_HANDLER);
    EXPECT_EQ(g_machine.main_ram[0x1000], 0x77);
    EXPECT_EQ(be_read32(g_machine.main_ram + cpu_sp() + 2), CODE + 2);  // the opcode's address
}

// Plain RAM is reached through direct host pointers: they follow the
// area-set register both ways, for every size.
TEST_F(MemoryMap, UserWritesFollowTheAreaSetRegisterAtEverySize) {
    // move.<size> d0,(a0), d0 = $A1B2C3D4; first: the byte then at the
    // address, $11 where the write faulted.
    struct Case {
        uint16_t opcode;
        uint32_t addr, area;
        uint8_t first;
        bool supervisor = false;
    };
    const Case cases[] = {
        {0x1080, 0x1FFFFF, 255, 0x11},      {0x1080, 0x1FFFFF, 0, 0xD4},         {0x1080, 0x1FFFFF, 255, 0x11},
        {0x3080, 0x100000, 255, 0x11},      {0x3080, 0x100000, 0, 0xC3},         {0x3080, 0x100000, 255, 0x11},
        {0x2080, 0x01FFFE, 255, 0x11},      {0x2080, 0x01FFFE, 0, 0xA1},         {0x2080, 0x01FFFE, 255, 0x11},
        {0x2080, 0x1FFFFE, 15, 0xA1},  // a long from page 15 into page 16, both user pages
        {0x2080, 0x03FFFE, 31, 0x11},  // from the last supervisor page into a user one
        {0x2080, 0x03FFFE, 31, 0xA1, true}, {0x3080, 0x100000, 255, 0xC3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.opcode << " at " << c.addr << " area " << c.area);
        mem_write_byte_c(c.area, 0xE86001);
        std::memset(g_machine.main_ram + c.addr, 0x11, 4);
        cpu_test_reset(CODE, SSP, c.supervisor ? 0x2700 : 0x0000);
        be_write16(g_machine.main_ram + CODE, c.opcode);
        cpu_a(0) = c.addr;
        cpu_d(0) = 0xA1B2C3D4;
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, c.first == 0x11 ? PRIVILEGE_HANDLER : CODE + 2);
        EXPECT_EQ(g_machine.main_ram[c.addr], c.first);
    }
}

// Watches see accesses to direct RAM pages as to any other.
TEST_F(MemoryMap, WatchesFireOnRamPages) {
    struct Case {
        uint16_t opcode;
        bool read;
        uint32_t watched;
        uint8_t kind;
    };
    const Case cases[] = {
        {0x1010, true, 0x1000, 'r'},   // move.b (a0),d0
        {0x2010, true, 0x1003, 'R'},   // move.l (a0),d0: its last byte
        {0x3080, false, 0x1001, 'W'},  // move.w d0,(a0)
        {0x2080, false, 0x1002, 'W'},  // move.l d0,(a0)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opcode);
        cpu_test_reset(CODE, SSP);
        be_write16(g_machine.main_ram + CODE, c.opcode);
        be_write16(g_machine.main_ram + CODE + 2, 0x4E71);
        cpu_a(0) = 0x1000;
        WatchRange& w = c.read ? g_watch_read : g_watch_write;
        w = {c.watched + 1, c.watched, 1};
        g_cpu_regs.op_addr = g_cpu_regs.pc;
        g_run_flags = 0;
        cpu_run();
        w.enable = 0;
        EXPECT_EQ(g_cpu_regs.pc, CODE + 2);
        EXPECT_EQ(run_flags(), RUN_BREAK);
        EXPECT_EQ(g_watch_hit_addr, 0x1000u);
        EXPECT_EQ(g_watch_hit_kind, c.kind);
    }
}

TEST_F(MemoryMap, AccessesWithoutMemoryRaiseABusErrorFrame) {
    struct Case {
        uint16_t opcode;
        uint32_t addr, code;
    };
    const Case cases[] = {
        {0x1010, 0x400000, 0x15},  // move.b (a0),d0 past 4 MB of RAM
        {0x1010, 0xFC0000, 0x15},  // between the ROMs
        {0x1080, 0xFE0000, 0x05},  // move.b d0,(a0) into the IPL ROM
        {0x1080, 0xF00000, 0x05},  // into the CG ROM
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.addr);
        cpu_test_reset(CODE, SSP);
        be_write16(g_machine.main_ram + CODE, c.opcode);
        cpu_a(0) = c.addr;
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, BUS_ERROR_HANDLER);
        uint32_t sp = cpu_sp();
        EXPECT_EQ(sp, SSP - 14);
        EXPECT_EQ(be_read16(g_machine.main_ram + sp) & 0x1F, c.code);
        EXPECT_EQ(be_read32(g_machine.main_ram + sp + 2), c.addr);
        EXPECT_EQ(be_read32(g_machine.main_ram + sp + 10), CODE + 2);  // the core stacks the word after the opcode
    }
}

TEST_F(MemoryMap, LongAccessesAtTheLastWordOfAnImageStayInside) {
    struct Case {
        uint32_t ram_size, addr;
        bool write;
        uint32_t value, fault;
        uint32_t second = 0;  // a write's low word as read back at addr + 2
    };
    const Case cases[] = {
        // Reads: the second word comes from the next page, or faults there.
        {4 * MB, 0x3FFFFE, false, 0x12340000, 3},  // past 4 MB of RAM
        {4 * MB, 0xFFFFFE, false, 0x4E7500FF, 0},  // IPL ROM wraps round to RAM at 0
        {4 * MB, 0xFBFFFE, false, 0xCAFE0000, 3},  // CG ROM, then nothing
        {4 * MB, 0xED3FFE, false, 0xBEEF0000, 3},  // SRAM is 16 KB
        {4 * MB, 0xE7FFFE, false, 0x56780089, 0},  // text VRAM, then CRTC R00
        {4 * MB, 0xEBFFFE, false, 0x9ABC0000, 3},  // sprite area, then no SRAM at $EC0000
        // Writes: the first word lands, the second meets the next page.
        {12 * MB, 0xBFFFFE, true, 0xAABBCCDD, 0, 0xDD},  // RAM, then a graphic VRAM pixel
        {4 * MB, 0xED3FFE, true, 0x11223344, 4},
    };
    for (const Case& c : cases) {
        build(c.ram_size);
        SCOPED_TRACE(testing::Message() << std::hex << c.addr);
        be_write16(g_machine.main_ram + 0, 0x00FF);
        be_write16(g_machine.main_ram + 0x3FFFFE, 0x1234);
        be_write16(g_iplrom + IPLROM_SIZE - 2, 0x4E75);
        be_write16(g_cgrom + CGROM_SIZE - 2, 0xCAFE);
        be_write16(g_sram + SRAM_SIZE - 2, 0xBEEF);
        be_write16(g_tvram + TVRAM_SIZE - 2, 0x5678);
        g_crtc.regs[0] = 0x0089;
        mem_write_word_c(0x9ABC, 0xEBFFFE);
        if (!c.write) {
            uint32_t value = 0;
            EXPECT_EQ(probe([&] { value = mem_read_long_c(c.addr); }), c.fault);
            EXPECT_EQ(value, c.value);
        } else {
            EXPECT_EQ(probe([&] { mem_write_long_c(c.value, c.addr); }), c.fault);
            EXPECT_EQ(mem_read_word_c(c.addr), c.value >> 16);
            if (c.fault == 0) { EXPECT_EQ(mem_read_word_c(c.addr + 2), c.second); }
        }
    }
}

TEST_F(MemoryMap, IplReadsOfRunningCodeMarkTheAccessMap) {
    const uint16_t program[] = {0x1010, 0x3211, 0x2412};  // move.b (a0),d0; move.w (a1),d1; move.l (a2),d2
    for (int i = 0; i < 3; i++) be_write16(g_machine.main_ram + CODE + 2 * i, program[i]);
    cpu_a(0) = 0xFE0101;
    cpu_a(1) = 0xFE0200;
    cpu_a(2) = 0xFE0300;
    for (int i = 0; i < 3; i++) cpu_test_step();
    EXPECT_EQ(g_rom_access_map[0x101], ROM_READ_B);
    EXPECT_EQ(g_rom_access_map[0x200], ROM_READ_W);
    EXPECT_EQ(g_rom_access_map[0x300], ROM_READ_L);
    EXPECT_EQ(g_rom_access_map[0x301], 0);
    // Reads from outside the loop (the debugger, the reset) leave the map alone.
    mem_read_long_c(0xFE0400);
    EXPECT_EQ(g_rom_access_map[0x400], 0);
}

TEST_F(MemoryMap, GraphicPagesFollowTheColourMode) {
    struct Case {
        uint16_t mode;
        uint32_t last;
    };
    const Case cases[] = {{0, 0xDFFFFF}, {1, 0xCFFFFF}, {3, 0xC7FFFF}, {4, 0xDFFFFF}, {2, 0xDFFFFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        g_crtc.regs[CRTC_MODE] = uint16_t(c.mode << 8);
        g_pal.change_count = 0;
        mem_map_set_gvram();
        EXPECT_EQ(g_memory_map.gvram_layout_mode, c.mode);
        EXPECT_EQ(g_pal.change_count, 100u);
        EXPECT_EQ(probe([&] { mem_read_word_c(c.last - 1); }), 0u);
        if (c.last < 0xDFFFFF) {
            EXPECT_EQ(probe([&] { mem_read_word_c(c.last + 1); }), 3u);
        }
        EXPECT_NE(g_fetch_page_table[0x6F], nullptr);  // unmapped pages keep their fetch base
    }
}

TEST_F(MemoryMap, FreedRamLeavesNoPointersAndNewRamIsZero) {
    g_machine.main_ram[0x1000] = 0x55;
    g_cpu_regs.fetch_base = g_machine.main_ram;
    g_cpu_regs.refetch = 0;
    mem_free_main_ram();
    EXPECT_EQ(g_machine.main_ram, nullptr);
    EXPECT_EQ(g_cpu_regs.fetch_base, nullptr);
    EXPECT_EQ(g_cpu_regs.refetch, 1u);
    for (uint32_t p = 0; p < 96; p++) EXPECT_EQ(g_fetch_page_table[p], nullptr) << p;
    EXPECT_EQ(probe([] { mem_read_byte_c(0x1000); }), 3u);
    EXPECT_EQ(probe([] { mem_write_long_c(1, 0x1000); }), 4u);

    EXPECT_FALSE(mem_alloc_main_ram(12 * MB + 1));
    ASSERT_TRUE(mem_alloc_main_ram(4 * MB));
    EXPECT_EQ(g_machine.main_ram[0x1000], 0);
    EXPECT_EQ(mem_map_build(), 0);
}

}  // namespace
