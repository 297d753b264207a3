#include "host/signals.h"

#include <csignal>

#include "core/boundary.h"
#include "core/cpu_regs.h"

std::atomic<bool> g_signal_ac_plug;
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
}

}  // namespace

void host_signals_install() {
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a read of the console ends at the signal
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

bool host_signal_take_ac_plug() { return g_signal_ac_plug.exchange(false); }

bool host_signal_ac_plug_pending() { return g_signal_ac_plug.load(); }
