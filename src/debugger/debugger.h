// Console debugger: a line-command monitor on standard input and output.
#pragma once

#include <cstdint>

#include "core/boundary.h"  // g_debugger_active, dbg_write

// What the host gives the debugger. The runner runs slices until a break,
// the power-off or the frame limit ("g"); nullptr: "g" runs nothing. The
// idle hook is called every 100 ms while the debugger waits for a line, so
// that a window stays responsive; nullptr without one.
using DbgHostFunction = void (*)();
extern DbgHostFunction g_debugger_runner;
extern DbgHostFunction g_debugger_idle_hook;

// How the session brings the machine up (0 on success) and down.
struct DbgSession {
    uint32_t (*start)();
    void (*stop)();
};

// The command loop: banner, start, commands until "exit", the end of the
// input or a read error, then stop. g_debugger_active is set meanwhile and
// SIGINT breaks a run. Returns false when the machine did not start.
bool dbg_command_loop(const DbgSession& session);

// One command line as typed (the loop's body): false after "exit".
bool dbg_execute_line(const char* line, uint32_t length);
// Forgets the per-opening state (repeat letter, register display) as a
// new opening of the console does.
void dbg_reset_session_state();

// SIGINT arrived during a run started from the debugger and was not yet
// answered; runners stop on it as on a break.
bool dbg_interrupt_pending();

// Writes "register.log" in the current folder: the device registers.
void dbg_dump_registers();
