// The run driver and the fetch-dispatch loop.
#pragma once

#include <cstdint>

void cpu_run();
void cpu_enter_loop();
void cpu_check_deadline();
void cpu_dispatch_event();
// Leaves the instruction in progress and continues at the loop's resume step.
[[noreturn]] void cpu_loop_exit();
// Cycle count the loop adds for a handler's result.
inline uint32_t cpu_clamp_cycles(uint32_t c) { return (c < 4 || c >= 160) ? 256 : c; }
