// The mouse and the SCC: pointer positions, the acceleration table, the
// three MOUSE settings and the packets channel B hands out.
#include "input/mouse.h"

#include <gtest/gtest.h>

#include "host/window_message.h"
#include "input/scc.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "support/flat_bus.h"
#include "support/powered_on.h"
#include "video/video_state.h"

namespace {

class Mouse : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        flat_bus_install();
        g_video.h_scale = 4096;
        g_video.v_scale = 1024;
        g_video.src_width = 768;
        g_video.src_height = 512;
        g_settings.mouse = MOUSE_ABSOLUTE;
    }
    void TearDown() override { g_settings.mouse = 1; }
    static int16_t work(uint32_t a) { return int16_t(flat_read_word(a)); }
    static uint32_t take_request() {
        uint32_t r = g_machine.requests.event_request;
        emu_take_request();
        return r;
    }
};

TEST_F(Mouse, AccelerationTableAndConversions) {
    // d(k) = floor(k * 1.25 * max(1, floor(k / 8))), d(72) = 765, then 0.
    for (int k = 1; k <= 71; k++) {
        int m = k / 8 > 1 ? k / 8 : 1;
        EXPECT_EQ(g_mouse_accel_table[k - 1], int16_t(k * 125 * m / 100)) << k;
    }
    EXPECT_EQ(g_mouse_accel_table[38], 195);
    EXPECT_EQ(g_mouse_accel_table[39], 250);
    EXPECT_EQ(g_mouse_accel_table[70], 710);
    EXPECT_EQ(g_mouse_accel_table[71], 765);
    EXPECT_EQ(g_mouse_accel_table[72], 0);

    struct Case {
        int32_t d, count;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {2, 1}, {-2, -1}, {200, 39}, {250, 39}, {251, 40}, {752, 71}, {-752, -71}};
    for (const Case& c : cases) EXPECT_EQ(mouse_distance_to_count(c.d), c.count) << c.d;
    EXPECT_EQ(mouse_count_to_distance(39), 195);
    EXPECT_EQ(mouse_count_to_distance(-40), -250);
    EXPECT_EQ(mouse_count_to_distance(0), 0);
}

TEST_F(Mouse, PointerPositionsInThePicture) {
    g_video.h_scale = 8192;  // a doubled picture
    mouse_move(mouse_lparam(100, 30));
    EXPECT_EQ(g_mouse.x, 50);
    EXPECT_EQ(g_mouse.y, 30);
    mouse_move(mouse_lparam(2000, 40));  // right of the picture
    EXPECT_EQ(g_mouse.x, 50);
    EXPECT_EQ(g_mouse.y, 40);
    mouse_move(mouse_lparam(-4, -1));
    EXPECT_EQ(g_mouse.x, 50);
    EXPECT_EQ(g_mouse.y, 40);
}

TEST_F(Mouse, IocsModeWritesTheWorkArea) {
    g_settings.mouse = MOUSE_IOCS;
    const int16_t steps[] = {100, 100, 50, 0};
    for (int16_t want : steps) {
        mouse_move(mouse_lparam(250, 0));
        EXPECT_EQ(work(MOUSE_WORK_DX), want);
        EXPECT_EQ(work(MOUSE_WORK_X), 250);
    }
    EXPECT_EQ(g_mouse.tracked_x, 250);
    mouse_left_down();
    mouse_right_down();
    EXPECT_EQ(uint16_t(work(MOUSE_WORK_LEFT)), 0xFFFF);
    EXPECT_EQ(uint16_t(work(MOUSE_WORK_RIGHT)), 0xFFFF);
    EXPECT_EQ(g_mouse.left, 0);
    mouse_left_up();
    EXPECT_EQ(work(MOUSE_WORK_LEFT), 0);

    // Without main RAM the work area is left alone.
    uint8_t* ram = g_machine.main_ram;
    g_machine.main_ram = nullptr;
    mouse_move(mouse_lparam(10, 10));
    mouse_right_up();
    g_settings.mouse = MOUSE_ABSOLUTE;
    mouse_update_packet();
    g_machine.main_ram = ram;
    EXPECT_EQ(g_mouse.packet_dx, 7) << "without RAM the cursor reads as 0; the pointer is at 10";
}

TEST_F(Mouse, SccPacketAbsoluteAndRelative) {
    // MOUSE 1: pointer at 300, the firmware's cursor at 100: count 39.
    flat_write_word(MOUSE_WORK_X, 100);
    flat_write_word(MOUSE_WORK_Y, 20);
    mouse_move(mouse_lparam(300, 10));
    mouse_left_down();
    SCC_BUS.write_byte(SCC_B_COMMAND, 5);
    emu_take_request();
    SCC_BUS.write_byte(SCC_B_COMMAND, 2);  // RTS
    EXPECT_EQ(take_request(), uint32_t(REQ_MOUSE));
    EXPECT_EQ(SCC_BUS.read_byte(SCC_B_DATA), 1u) << "left button";
    EXPECT_EQ(take_request(), uint32_t(REQ_MOUSE));
    EXPECT_EQ(SCC_BUS.read_byte(SCC_B_DATA), 39u);
    EXPECT_EQ(take_request(), uint32_t(REQ_MOUSE));
    EXPECT_EQ(SCC_BUS.read_byte(SCC_B_DATA), uint32_t(uint8_t(-7))) << "10 up: d(8) = 10 is not below 10";
    EXPECT_EQ(take_request(), uint32_t(REQ_NONE)) << "the Y byte asks for no interrupt";
    for (int i = 0; i < 100000; i++) SCC_BUS.read_byte(SCC_B_DATA);
    EXPECT_EQ(g_scc.packet_index, 3) << "the index stops after the packet";
    EXPECT_EQ(SCC_BUS.read_byte(SCC_B_DATA), 0u);

    // MOUSE 2: a packet carries all the movement since the last one sent,
    // from the tracked position, which follows d(count); moves and reads
    // between packets lose none.
    g_settings.mouse = MOUSE_RELATIVE;
    auto packet_x = [] {
        SCC_BUS.write_byte(SCC_B_COMMAND, 5);
        SCC_BUS.write_byte(SCC_B_COMMAND, 2);
        SCC_BUS.read_byte(SCC_B_DATA);
        return int8_t(SCC_BUS.read_byte(SCC_B_DATA));
    };
    g_mouse.tracked_x = 0;
    for (int x = 50; x <= 200; x += 50) mouse_move(mouse_lparam(x, 0));
    EXPECT_EQ(packet_x(), 39);
    EXPECT_EQ(g_mouse.tracked_x, 195);
    mouse_move(mouse_lparam(200, 0));
    EXPECT_EQ(packet_x(), 3) << "the 5 left over";
    EXPECT_EQ(g_mouse.tracked_x, 198);
    EXPECT_EQ(packet_x(), 1) << "2 left: d(1) is below 2, d(2) is not";
    EXPECT_EQ(packet_x(), 0) << "1 left: less than a count";
}

TEST_F(Mouse, SccCommandPorts) {
    struct Case {
        std::initializer_list<uint32_t> writes;
        bool starts;
    };
    const Case cases[] = {{{5, 2}, true}, {{5, 0}, false}, {{0x28}, false}, {{0x28, 2}, false}, {{4, 2}, false}};
    for (const Case& c : cases) {
        scc_power_on();
        g_scc.packet_index = 3;
        emu_clear_requests();
        for (uint32_t v : c.writes) SCC_BUS.write_byte(SCC_B_COMMAND, v);
        EXPECT_EQ(g_machine.requests.event_request == REQ_MOUSE, c.starts) << *c.writes.begin();
        EXPECT_EQ(g_scc.packet_index == 0, c.starts);
    }
    // Channel A: 0x24 before any pointer write; a read ends a pending value.
    scc_power_on();
    EXPECT_EQ(SCC_BUS.read_byte(SCC_A_COMMAND), 0x24u);
    SCC_BUS.write_byte(SCC_A_COMMAND, 3);
    EXPECT_EQ(SCC_BUS.read_byte(SCC_A_COMMAND), 0u);
    EXPECT_EQ(g_scc.pending_a, 0);
    // A word read of $E98002 advances the packet once; its high byte is 0.
    scc_power_on();
    g_mouse.right = MOUSE_BUTTON_DOWN;
    EXPECT_EQ(SCC_BUS.read_word(0xE98002), 0x0002u);
    EXPECT_EQ(g_scc.packet_index, 1);
    // A word write is its low byte to address + 1.
    SCC_BUS.write_word(0xE98000, 0x1205);
    EXPECT_EQ(g_scc.ptr_b, 5);
    emu_clear_requests();
}

}  // namespace
