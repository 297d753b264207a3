// The program's own handlers of SIGTERM and SIGINT (SDL installs none).
#pragma once

#include <atomic>

// Set by SIGTERM, and by SIGINT while the debugger is closed: the program is
// to be unplugged (AC plug). Taken by the run loop and the window's loop.
extern std::atomic<bool> g_signal_ac_plug;
// Set by SIGINT while the debugger is open, besides the break it makes.
extern std::atomic<bool> g_signal_interrupt;

// SIGTERM: AC plug. SIGINT: while the debugger is open, a break (the run
// stops at the next instruction and the debugger takes over); else AC plug.
void host_signals_install();
// True once after an AC plug signal came.
bool host_signal_take_ac_plug();
// True while an AC plug signal waits to be taken.
bool host_signal_ac_plug_pending();
