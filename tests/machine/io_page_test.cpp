#include <gtest/gtest.h>

#include <functional>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "machine/bus_device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/system_port.h"
#include "support/flat_bus.h"
#include "video/crtc.h"

namespace {

constexpr uint32_t CODE = 0x300000, SSP = 0x3F0000, BUS_ERROR_HANDLER = 0x310000;

class IoPage : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(CODE, SSP);
        ASSERT_TRUE(mem_alloc_images());
        ASSERT_TRUE(mem_alloc_main_ram(0x400000));
        g_crtc.regs[CRTC_MODE] = 0;
        ASSERT_EQ(mem_map_build(), 0);
        be_write32(g_machine.main_ram + 0x08, BUS_ERROR_HANDLER);
        for (auto& b : g_sys.regs) b = 0;
        init_clear_trace_buffers();
    }
};

TEST_F(IoPage, EveryAccessIsOneLogEntry) {
    struct Case {
        std::function<uint32_t()> access;
        uint8_t kind;
        uint32_t addr, value;
    };
    g_sys.regs[1] = 0x0C;
    g_sys.regs[3] = 0x56;
    g_cpu_regs.op_addr = 0x123456;  // the instruction making the accesses
    const Case cases[] = {
        {[] { return mem_read_long_c(0xE8E000); }, IOTRACE_READ_L, 0xE8E000, 0x000C0056},
        {[] { return mem_read_word_c(0xE8E002); }, IOTRACE_READ_W, 0xE8E002, 0x56},
        {[] { return mem_read_byte_c(0xE9C001); }, IOTRACE_READ_B, 0xE9C001, 0},  // no device
        // clang-format off
        {[] { mem_write_byte_c(0x99, 0xE8E005); return 0u; }, IOTRACE_WRITE_B, 0xE8E005, 0x99},
        {[] { mem_write_word_c(0x1234, 0xE8E008); return 0u; }, IOTRACE_WRITE_W, 0xE8E008, 0x1234},
        {[] { mem_write_long_c(0xDEADBEEF, 0xE9DFFC); return 0u; }, IOTRACE_WRITE_L, 0xE9DFFC, 0xDEADBEEF},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.addr);
        uint32_t before = g_iotrace.index;
        uint32_t got = c.access();
        ASSERT_EQ(g_iotrace.index, before + 1);
        EXPECT_EQ(g_iotrace.kind[before], c.kind);
        EXPECT_EQ(g_iotrace.addr[before], c.addr);
        EXPECT_EQ(g_iotrace.value[before], c.value);
        EXPECT_EQ(g_iotrace.pc[before], 0x123456u);
        if (c.kind <= IOTRACE_READ_L) { EXPECT_EQ(got, c.value); }
    }
    EXPECT_EQ(g_sys.regs[5], 0x99);
    EXPECT_EQ(g_sys.regs[9], 0x34);            // a word write stores its low byte at address + 1
    EXPECT_EQ(mem_read_long_c(0xE9DFFC), 0u);  // writes to $E9C000-$E9DFFF change nothing

    g_iotrace.window_start = g_iotrace.window_end = 0xE8E001;
    uint32_t before = g_iotrace.index;
    mem_read_byte_c(0xE8E003);
    EXPECT_EQ(g_iotrace.index, before);  // outside the window
}

// A device record given fewer than seven handlers would leave a null one
// in the page's tables (checked here: the sanitizers' builds do not take
// function addresses as constants).
TEST(IoPageTables, EverySlotHasEveryHandler) {
    const IoSlotTable& t = g_io_slot_table;
    for (uint32_t slot = 0; slot < IO_SLOTS; slot++) {
        SCOPED_TRACE(slot);
        EXPECT_TRUE(t.read_byte[slot] && t.read_word[slot] && t.read_long[slot]);
        EXPECT_TRUE(t.write_byte[slot] && t.write_word[slot] && t.write_long[slot]);
        EXPECT_TRUE(t.peek_byte[slot]);
    }
}

TEST_F(IoPage, SlotFollowsAddressBits13To16) {
    // $E86001 and $E87FFF are the same block: both reach the area-set register.
    mem_write_byte_c(40, 0xE87FFF);
    EXPECT_EQ(g_memory_map.area_set, 40);
    mem_write_byte_c(50, 0xE86001);
    EXPECT_EQ(g_memory_map.area_set, 50);
    mem_write_byte_c(60, 0xE8E003);  // the system port leaves it alone
    EXPECT_EQ(g_memory_map.area_set, 50);
}

TEST_F(IoPage, DeviceBusErrorsLeaveTheAccessUnlogged) {
    struct Case {
        uint16_t opcode;
        uint32_t addr;
    };
    const Case cases[] = {
        {0x1039, 0xE86001},  // move.b $E86001,d0: the area-set register reads as a bus error
        {0x3039, 0xE9E000},  // move.w $E9E000,d0: the host-drive block takes bytes only
        {0x2039, 0xE9F000},  // move.l
        {0x33C0, 0xE9E002},  // move.w d0,$E9E002
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.addr);
        cpu_test_reset(CODE, SSP);
        be_write16(g_machine.main_ram + CODE, c.opcode);
        be_write32(g_machine.main_ram + CODE + 2, c.addr);
        uint32_t before = g_iotrace.index;
        cpu_test_step();
        EXPECT_EQ(g_cpu_regs.pc, BUS_ERROR_HANDLER);
        EXPECT_EQ(be_read32(g_machine.main_ram + cpu_sp() + 2), c.addr);
        EXPECT_EQ(g_iotrace.index, before);
    }
    // In probe mode the fault returns, so the access is logged with the value left.
    ProbeScope probe;
    uint32_t before = g_iotrace.index;
    EXPECT_EQ(mem_read_byte_c(0xE86001), 0u);
    EXPECT_EQ(probe.fault(), 3u);
    EXPECT_EQ(g_iotrace.index, before + 1);
}

// A byte device's word and long accesses read and write its bytes in
// address order: a read with a side effect (an operation port, a status
// register) sees the earlier bytes done.
uint32_t g_byte_order[4], g_byte_count;
uint32_t sequence_read(uint32_t addr) {
    g_byte_order[g_byte_count & 3] = addr;
    return g_byte_count++;
}
void sequence_write(uint32_t addr, uint32_t value) {
    g_byte_order[g_byte_count++ & 3] = addr;
    (void)value;
}

TEST(ByteDevice, WordsAndLongsAreItsBytesInAddressOrder) {
    constexpr BusDevice dev = bus_device_of_bytes<sequence_read, sequence_write, sequence_read>();
    g_byte_count = 0;
    EXPECT_EQ(dev.read_word(0x100), 0x0001u);
    g_byte_count = 0;
    EXPECT_EQ(dev.read_long(0x100), 0x00010203u);
    EXPECT_EQ(g_byte_order[3], 0x103u);
    g_byte_count = 0;
    dev.write_long(0x200, 0);
    EXPECT_EQ(g_byte_order[0], 0x200u);
    EXPECT_EQ(g_byte_order[3], 0x203u);
}

}  // namespace
