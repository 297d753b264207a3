// Joystick ports: the i8255's bytes, the keyboard as a pad, host joysticks
// through the fake source, pad tables, autofire and the poll countdown.
#include "input/joystick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "host/joystick_source.h"
#include "host/port_bus.h"
#include "input/ppi.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "support/powered_on.h"

namespace {

constexpr uint32_t PORT_A = 0xE9A001, PORT_B = 0xE9A003, PORT_C = 0xE9A005, CONTROL = 0xE9A007;
constexpr uint32_t VK_UP = 0x26, VK_LEFT = 0x25, VK_RIGHT = 0x27;

// Table 0 of the Part's example: up ('1') clears bit 0, button 1 ('A')
// bit 5, its autofire ('a') bit 6; every other source nothing.
void table0() {
    for (uint32_t& e : g_joystick.pad_tables[0]) e = UINT32_MAX;
    g_joystick.pad_tables[0][0] = ~1u;
    g_joystick.pad_tables[0][4] = ~(1u << 5);
    g_joystick.pad_tables[0][20] = ~(1u << 6);
}

class Joystick : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        saved_ = g_joystick;
        g_ppi.regs[PPI_PORT_C] = 0;  // ports A and B show their low bytes
        table0();
        g_settings.joy0 = JOY_KEYBOARD;
        g_machine.frame.frame_counter = 0;
        host_set_joystick_source(&fake_);
    }
    void TearDown() override {
        g_joystick = saved_;
        host_set_joystick_source(nullptr);
    }
    JoystickState saved_;
    FakeJoystickSource fake_;
};

TEST_F(Joystick, KeyboardPadThroughTableZero) {
    joy_on_key_down('Z');
    joy_on_key_down(VK_UP);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_A), 0xDEu);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_B), 0xFFu) << "port 1 is not the keyboard";
    joy_on_key_up('Z');
    joy_on_key_up(VK_UP);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_A), 0xFFu);

    // Left then right leaves only right pressed.
    joy_on_key_down(VK_LEFT);
    joy_on_key_down(VK_RIGHT);
    EXPECT_EQ(g_ppi.raw[0], uint16_t(~JOY_RIGHT));

    // Focus lost: nothing stays pressed.
    joy_on_key_down('Z');
    joy_release_all();
    EXPECT_EQ(g_ppi.raw[0], JOY_RAW_NONE);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_A), 0xFFu);
}

TEST_F(Joystick, AutofireAlternatesAndJoyoutOutsideTheTablesIsTableZero) {
    g_ppi.raw[0] = uint16_t(~(1u << JOY_BUTTON_SHIFT));  // button 1
    for (uint32_t frame : {0u, 1u, 2u, 3u}) {
        g_machine.frame.frame_counter = frame;
        joy_merge_state(0);
        EXPECT_EQ(g_ppi.regs[PPI_PORT_A], frame & 1 ? 0x9Fu : 0xDFu) << frame;
    }
    for (int32_t joyout : {6, -1, 1000}) {
        g_settings.joyout = joyout;
        g_machine.frame.frame_counter = 0;
        joy_merge_state(0);
        EXPECT_EQ(g_ppi.regs[PPI_PORT_A], 0xDFu) << joyout;
    }
}

TEST_F(Joystick, UndefinedTablesPressNothing) {
    // Every table starts with all bits set: a table no map defines lets
    // any input through as nothing pressed.
    JoystickState start = joy_initial_state();
    for (const auto& table : start.pad_tables)
        for (uint32_t e : table) EXPECT_EQ(e, UINT32_MAX);
    std::copy(std::begin(start.pad_tables[3]), std::end(start.pad_tables[3]), g_joystick.pad_tables[3]);
    g_settings.joyout = 3;
    g_ppi.raw[0] = 0;
    joy_merge_state(0);
    EXPECT_EQ(g_ppi.regs[PPI_PORT_A], 0xFFu);
    EXPECT_EQ(g_ppi.regs[PPI_PORT_A_HIGH], 0xFFu);
}

TEST_F(Joystick, PpiPortsAndPortC) {
    g_ppi.regs[PPI_PORT_A_HIGH] = 0x12;
    PPI_BUS.write_byte(CONTROL, 0x09);  // port C bit 4 set
    EXPECT_EQ(g_ppi.regs[PPI_PORT_C] & 0x10, 0x10);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_A), 0x12u) << "the high byte of port 0's output";
    PPI_BUS.write_byte(CONTROL, 0x08);
    EXPECT_EQ(g_ppi.regs[PPI_PORT_C] & 0x10, 0);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_A), 0xFFu);
    PPI_BUS.write_byte(CONTROL, 0x0B);  // bit 5: port B's high byte
    g_ppi.regs[PPI_PORT_B_HIGH] = 0x34;
    EXPECT_EQ(PPI_BUS.read_word(0xE9A002), 0x34u);
    PPI_BUS.write_byte(PORT_C, 0x0F);
    EXPECT_EQ(PPI_BUS.read_byte(PORT_C), 0x0Fu);
    PPI_BUS.write_byte(0xE9A009, 0x00);  // beyond the ports
    EXPECT_EQ(g_ppi.regs[1], 0xFFu);
    PPI_BUS.write_word(0xE9A006, 0x1292);
    EXPECT_EQ(g_ppi.regs[PPI_CONTROL], 0x92u);
}

TEST_F(Joystick, HostJoysticksPollWhileTheProgramReads) {
    g_settings.joy0 = JOY_POS_EX;
    g_settings.joy1 = JOY_POS;
    fake_.set(0, 0x001, HOST_JOY_AXIS_CENTRE, 0);  // button 1, up
    fake_.set(1, 0x800, 0, HOST_JOY_AXIS_MAX);     // button 12, left and down
    joy_poll();
    EXPECT_EQ(g_ppi.regs[PPI_PORT_A], 0xFFu) << "no PPI read yet: no poll";
    PPI_BUS.read_byte(PORT_A);
    joy_poll();
    EXPECT_EQ(g_ppi.raw[0], uint16_t(~(JOY_UP | 0x10)));
    EXPECT_EQ(g_ppi.regs[PPI_PORT_A], 0xDEu);
    EXPECT_EQ(g_ppi.raw[1], uint16_t(~(JOY_LEFT | JOY_DOWN))) << "joyGetPos reads buttons 1-4 only";
    EXPECT_EQ(g_joystick.num_devs, 2);
    EXPECT_EQ(g_joystick.pad[0].x_low, 16383u);
    EXPECT_EQ(g_joystick.pad[0].x_high, 49149u);

    // Unplugged: nothing pressed.
    fake_.unplug(0);
    joy_poll();
    EXPECT_EQ(g_ppi.raw[0], JOY_RAW_NONE);
    EXPECT_EQ(g_ppi.regs[PPI_PORT_A], 0xFFu);

    // 30 polls after the last read, polling stops.
    fake_.set(0, 0x001, HOST_JOY_AXIS_CENTRE, HOST_JOY_AXIS_CENTRE);
    PPI_BUS.read_byte(PORT_A);
    for (int i = 0; i < JOY_POLLS_PER_READ; i++) joy_poll();
    EXPECT_EQ(g_ppi.raw[0], uint16_t(~0x10));
    fake_.set(0, 0, HOST_JOY_AXIS_CENTRE, HOST_JOY_AXIS_CENTRE);
    joy_poll();
    EXPECT_EQ(g_ppi.raw[0], uint16_t(~0x10)) << "not polled";

    // Without a device the thresholds still take the full range.
    host_set_joystick_source(nullptr);
    joy_open_devices();
    EXPECT_EQ(g_joystick.num_devs, 0);
    EXPECT_EQ(g_joystick.pad[1].y_low, 16383u);
    EXPECT_EQ(g_joystick.pad[1].y_high, 49149u);
}

// A PC-9801 card at $288 whose YM2203 I/O port B reads the connector that
// register 15 selects.
struct FakeOpnCard {
    uint8_t address = 0, select = 0;
    static bool in(void* user, uint16_t port, uint8_t& v) {
        auto& c = *static_cast<FakeOpnCard*>(user);
        if (port == 0x288) v = 0;  // status: ready
        else if (port == 0x28A) v = c.address == 14 ? (c.select == 0x80 ? 0xFE : 0xEF) : 0xFF;
        else return false;
        return true;
    }
    static bool out(void* user, uint16_t port, uint8_t v) {
        auto& c = *static_cast<FakeOpnCard*>(user);
        if (port == 0x288) c.address = v;
        else if (port == 0x28A && c.address == 15) c.select = v;
        else return port == 0x28A || port == 0x5F;
        return true;
    }
};

TEST_F(Joystick, FmCardConnector) {
    g_settings.joy0 = JOY_FM_CARD;
    g_settings.joy1 = JOY_FM_CARD;
    EXPECT_EQ(joy_probe_fm_port(g_joystick), 0) << "no card on the port bus";
    PPI_BUS.read_byte(PORT_A);
    joy_poll();
    EXPECT_EQ(g_ppi.raw[0], JOY_RAW_NONE);

    FakeOpnCard card;
    int handle = port_bus_attach({FakeOpnCard::in, FakeOpnCard::out, &card});
    FmCard saved = g_fmcard;
    g_settings.fm = FM_PC98;
    g_fmcard.output_on = 1;
    g_fmcard.port = 0x288;
    EXPECT_EQ(joy_probe_fm_port(g_joystick), 1);
    EXPECT_EQ(g_joystick.fm_port, 0x288);
    joy_poll();
    EXPECT_EQ(g_ppi.raw[0], 0xFFFE) << "connector 0: up";
    EXPECT_EQ(g_ppi.raw[1], 0xFFEF) << "connector 1: button 1";
    EXPECT_EQ(g_ppi.regs[PPI_PORT_B], 0xDFu);
    g_settings.joy0 = g_settings.joy1 = JOY_KEYBOARD;
    EXPECT_EQ(joy_probe_fm_port(g_joystick), 0) << "looked for only with a port in mode 4";
    g_fmcard = saved;
    port_bus_detach(handle);
}

}  // namespace
