// The signals that end a run in order (AC plug), shared by the program and
// its launcher.
#pragma once

#include <csignal>

// Fills set with the signals whose default action ends the process and
// that come from outside, the real-time signals among them.
void host_signals_ac_plug_set(sigset_t* set);
