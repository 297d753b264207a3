#include "host/signal_set.h"

namespace {

constexpr int AC_PLUG_SIGNALS[] = {SIGTERM,   SIGINT,  SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,  SIGALRM,
                                   SIGVTALRM, SIGPROF, SIGXCPU, SIGPWR,  SIGIO,   SIGSTKFLT};

}  // namespace

void host_signals_ac_plug_set(sigset_t* set) {
    sigemptyset(set);
    for (int sig : AC_PLUG_SIGNALS) sigaddset(set, sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; sig++) sigaddset(set, sig);
}
