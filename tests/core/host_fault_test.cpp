// A fault raised inside host code run by the loop (a native IOCS routine, an
// event handler) leaves that code by unwinding it: its destructors run, the
// code after the faulting access never runs, and the exception frame is the
// one the processor stacks for the same fault in an instruction.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/bus.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "firmware/iocs.h"
#include "machine/scheduler.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x2000, kData = 0x3000;
constexpr uint16_t TRAP_15 = 0x4E4F, NOP = 0x4E71;
constexpr uint32_t kCall = 0x80, kAddressErrorHandler = 0x9000;

// What the routine under test got done.
struct Progress {
    bool destroyed = false;
    bool after_fault = false;
};
Progress g_progress;

struct Guard {
    ~Guard() { g_progress.destroyed = true; }
};

// Holds host memory and a guard, writes, faults on an odd word, then would
// write again.
void routine_that_faults() {
    std::vector<uint8_t> buffer(4096, 0x5A);
    Guard guard;
    mem_write_word(kData, 0x1111);
    mem_write_word(kData + 0x101, buffer[0]);  // odd: address error
    mem_write_word(kData + 2, 0x2222);
    g_progress.after_fault = true;
}

class HostFault : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(kPc, kSsp, 0x2700);
        flat_write_long(VEC_ADDRESS_ERROR, kAddressErrorHandler);
        flat_write_words(kAddressErrorHandler, {NOP});
        g_progress = {};
    }
    void TearDown() override { std::memset(g_iocs_native_table, 0, sizeof g_iocs_native_table); }

    // The group-0 frame: access code and opcode word, fault address, SR, PC.
    void expect_address_error_frame(uint32_t fault_addr, uint32_t opcode, uint32_t stacked_pc) {
        EXPECT_EQ(g_cpu_regs.pc, kAddressErrorHandler);
        EXPECT_EQ(cpu_sp(), kSsp - 14);
        EXPECT_EQ(flat_read_word(kSsp - 14), (opcode & 0xFFE0) | 0x05);  // supervisor data write
        EXPECT_EQ(flat_read_long(kSsp - 12), fault_addr);
        EXPECT_EQ(flat_read_word(kSsp - 8), opcode);
        EXPECT_EQ(flat_read_word(kSsp - 6), 0x2700u);
        EXPECT_EQ(flat_read_long(kSsp - 4), stacked_pc);
        EXPECT_EQ(g_host_call_depth, 0u);
        EXPECT_EQ(g_host_fault_unwinding, 0u);
    }
};

TEST_F(HostFault, NativeRoutineUnwindsAndTheHandlerRuns) {
    g_iocs_native_table[kCall] = routine_that_faults;
    cpu_d(0) = kCall;
    flat_write_words(kPc, {TRAP_15});
    cpu_test_step();
    // Run with detect_leaks=1, the vector would be reported if it leaked.
    EXPECT_TRUE(g_progress.destroyed);
    EXPECT_FALSE(g_progress.after_fault);
    EXPECT_EQ(flat_read_word(kData), 0x1111u);
    EXPECT_EQ(flat_read_word(kData + 2), 0u);
    expect_address_error_frame(kData + 0x101, TRAP_15, kPc + 2);
    // The machine runs on: the handler's NOP is the next instruction.
    cpu_test_step();
    EXPECT_EQ(g_cpu_regs.pc, kAddressErrorHandler + 2);
}

// The same fault from an event handler run at the deadline (which takes
// its event first, as handlers do).
void event_that_faults(uint32_t kind) {
    sched_set_event(int(kind), 0);
    routine_that_faults();
}

TEST_F(HostFault, EventHandlerUnwindsAsWell) {
    sched_register(EV_OPM_TIMER_B, 1, event_that_faults);
    flat_write_words(kPc, {NOP, NOP});
    sched_set_event(EV_OPM_TIMER_B, 1);
    cpu_test_step();
    sched_register(EV_OPM_TIMER_B, 1, nullptr);
    EXPECT_TRUE(g_progress.destroyed);
    EXPECT_FALSE(g_progress.after_fault);
    // The fault belongs to the instruction in progress when the event ran.
    expect_address_error_frame(kData + 0x101, NOP, kPc + 2);
}

// A fault raised while a fault unwinds host code is not raised again.
struct WritesWhileUnwinding {
    ~WritesWhileUnwinding() { mem_write_word(kData + 0x201, 0); }
};
void routine_with_faulting_destructor() {
    WritesWhileUnwinding w;
    mem_write_word(kData + 0x101, 0);
}

TEST_F(HostFault, AFaultWhileUnwindingIsNotRaised) {
    g_iocs_native_table[kCall] = routine_with_faulting_destructor;
    cpu_d(0) = kCall;
    flat_write_words(kPc, {TRAP_15});
    cpu_test_step();
    expect_address_error_frame(kData + 0x101, TRAP_15, kPc + 2);
}

}  // namespace
