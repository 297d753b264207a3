// The signals that end a run in order (AC plug), shared by the program and
// its launcher.
#pragma once

#include <csignal>

// Ignored: the write that raised one fails and says why where it is. The
// launcher ignores them already; an ignored signal stays so across exec.
inline constexpr int HOST_IGNORED_SIGNALS[] = {SIGPIPE, SIGXFSZ};

// Fills set with the signals whose default action ends the process and
// that come from outside, the real-time signals among them.
void host_signals_ac_plug_set(sigset_t* set);
