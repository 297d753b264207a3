// The program's own handlers of the signals that would end it (SDL installs
// none): they go in first thing, and each ends the run in order.
#pragma once

#include <csignal>

#include <atomic>
#include <cstdint>

// Set by an AC plug signal (below; SIGINT only while the debugger is
// closed): the program is to be unplugged. It stays set: the run loops,
// the modal dialogs and the debugger's input all end at it.
extern std::atomic<bool> g_signal_ac_plug;
// How many AC plug signals came: a wait that a new one is to cut short
// compares it with the count when the wait began.
extern std::atomic<uint32_t> g_signal_ac_plug_count;
// Set by SIGINT while the debugger is open, besides the break it makes.
extern std::atomic<bool> g_signal_interrupt;

// AC plug: SIGTERM, SIGINT, SIGHUP (the terminal closed), SIGQUIT and every
// other signal whose default ends the process and that no fault raises
// (SIGUSR1/2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPWR, SIGIO,
// SIGSTKFLT, the real-time signals). SIGINT while the debugger is open is a
// break instead (the run stops at the next instruction). SIGPIPE and SIGXFSZ
// are ignored: the write that raised them fails and is reported where it
// is. SIGHUP ignored from the start (nohup) stays ignored. The AC plug
// signals are unblocked in the calling thread, so one that came before is
// taken now.
void host_signals_install();
// True once an AC plug signal came.
bool host_signal_ac_plug_pending();
