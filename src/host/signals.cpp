#include "host/signals.h"

#include <pthread.h>

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "host/signal_set.h"

std::atomic<bool> g_signal_ac_plug;
std::atomic<uint32_t> g_signal_ac_plug_count;
std::atomic<bool> g_signal_interrupt;

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<uint32_t>::is_always_lock_free,
              "signal handlers touch only lock-free atomics");

namespace {

void on_signal(int sig) {
    if (sig == SIGINT && g_debugger_active) {
        run_flags_set(RUN_STEP | RUN_BREAK);
        g_signal_interrupt = true;
        return;
    }
    g_signal_ac_plug = true;
    g_signal_ac_plug_count.fetch_add(1, std::memory_order_relaxed);
}

// Installs handler for sig; a SIGHUP ignored from the start (nohup) stays so.
void take_over(int sig, void (*handler)(int)) {
    struct sigaction old {};
    if (sig == SIGHUP && (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)) return;
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a read of the console ends at the signal
    sigaction(sig, &sa, nullptr);
}

}  // namespace

void host_signals_install() {
    sigset_t set;
    host_signals_ac_plug_set(&set);
    for (int sig = 1; sig < NSIG; sig++)
        if (sigismember(&set, sig) == 1) take_over(sig, on_signal);
    for (int sig : HOST_IGNORED_SIGNALS) take_over(sig, SIG_IGN);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

bool host_signal_ac_plug_pending() { return g_signal_ac_plug.load(); }
