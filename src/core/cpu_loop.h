// The run driver and the fetch-dispatch loop.
#pragma once

#include <cstdint>
#include <span>

void cpu_run();
// Power-on: every register, the interrupt and exception state 0 (the reset
// then loads SSP and PC from the IPL ROM).
void cpu_power_on();
std::span<const uint8_t> cpu_state();
void cpu_enter_loop();
void cpu_check_deadline();
void cpu_dispatch_event();
// Leaves the instruction in progress and continues at the loop's resume step.
[[noreturn]] void cpu_loop_exit();

// Host code run from within the loop (native routines, event handlers, I/O
// devices) may touch guest memory anywhere. A fault it raises stacks its
// exception frame at once and then leaves the host code as this C++
// exception, so destructors run and files close before the handler runs;
// the loop's entry catches it. Host code never swallows it (catch (...)
// must rethrow). While it unwinds, further faults are not raised.
struct GuestExceptionTaken {};
extern uint32_t g_host_call_depth;
extern uint32_t g_host_fault_unwinding;
class HostCallScope {
public:
    HostCallScope() { ++g_host_call_depth; }
    ~HostCallScope() { --g_host_call_depth; }
    HostCallScope(const HostCallScope&) = delete;
    HostCallScope& operator=(const HostCallScope&) = delete;
};
// Runs a host routine under a HostCallScope.
template <typename Routine> inline void cpu_call_host(Routine&& routine) {
    HostCallScope host;
    routine();
}
