#include <gtest/gtest.h>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t ODD = 0x1001;
constexpr uint32_t ADDRESS_ERROR_READ = 1;
constexpr uint32_t STALE_FAULT = 7;  // left by an earlier probe
constexpr uint32_t USER_SR = 0x0015;

class Probe : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        cpu_test_reset(0x4000, 0x2000, USER_SR);
        g_mem_probe_mode = 0;
        g_mem_probe_fault = STALE_FAULT;
    }
    void TearDown() override { g_mem_probe_mode = g_mem_probe_fault = 0; }
};

// Inside, a fault is recorded from a clean start and nothing is raised;
// afterwards the flag, SR and (on request) the earlier fault are as found.
TEST_F(Probe, ScopeRecordsFaultsAndPutsTheStateBack) {
    struct Case {
        uint32_t options, sr_inside, fault_after;
    };
    const Case cases[] = {
        {0, USER_SR, ADDRESS_ERROR_READ},
        {ProbeScope::SUPERVISOR, USER_SR | SR_S, ADDRESS_ERROR_READ},
        {ProbeScope::RESTORE_FAULT, USER_SR, STALE_FAULT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        g_mem_probe_fault = STALE_FAULT;
        {
            ProbeScope probe(c.options);
            EXPECT_EQ(g_mem_probe_mode, 1u);
            EXPECT_FALSE(probe.faulted());
            EXPECT_EQ(g_cpu_regs.sr, c.sr_inside);
            mem_read_word_c(ODD);
            EXPECT_EQ(probe.fault(), ADDRESS_ERROR_READ);
            EXPECT_EQ(g_cpu_regs.pc, 0x4000u) << "no exception taken";
        }
        EXPECT_EQ(g_mem_probe_mode, 0u);
        EXPECT_EQ(g_cpu_regs.sr, USER_SR);
        EXPECT_EQ(g_mem_probe_fault, c.fault_after);
    }
}

// A peek inside a run leaves the run's record and probe mode alone.
TEST_F(Probe, InnerScopeThatRestoresLeavesTheOuterRecord) {
    ProbeScope run(ProbeScope::SUPERVISOR);
    mem_read_word_c(ODD);
    {
        ProbeScope peek(ProbeScope::RESTORE_FAULT);
        mem_read_byte_c(ODD);
        EXPECT_FALSE(peek.faulted());
    }
    EXPECT_EQ(g_mem_probe_mode, 1u);
    EXPECT_EQ(run.fault(), ADDRESS_ERROR_READ);
    EXPECT_EQ(g_cpu_regs.sr, USER_SR | SR_S);
}

}  // namespace
