#include "debugger/dbg_console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "core/cpu_regs.h"
#include "debugger/dbg_commands.h"
#include "debugger/debugger.h"
#include "host/signals.h"

bool DbgLineReader::next(std::string& line) {
    for (;;) {
        size_t eol = pending_.find('\n', scanned_);
        scanned_ = eol == std::string::npos ? pending_.size() : 0;
        if (eol != std::string::npos || (ended_ && !pending_.empty())) {
            size_t taken = eol == std::string::npos ? pending_.size() : eol + 1;
            line.assign(pending_, 0, eol == std::string::npos ? pending_.size() : eol);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            pending_.erase(0, taken);
            scanned_ = 0;
            return true;
        }
        if (ended_) return false;
        // AC plug by a signal (SIGTERM): the input ends, as "exit".
        if (host_signal_ac_plug_pending()) {
            ended_ = true;
            continue;
        }
        pollfd p{fd_, POLLIN, 0};
        int ready = poll(&p, 1, DBG_IDLE_PERIOD_MS);
        if (ready < 0 && errno != EINTR) {
            ended_ = true;
            continue;
        }
        if (ready <= 0) {
            if (g_debugger_idle_hook) g_debugger_idle_hook();
            continue;
        }
        char buf[4096];
        ssize_t n = read(fd_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ended_ = true;
        else pending_.append(buf, size_t(n));
    }
}

// SIGINT: the flag a run tests, and the break bit of the run flags, which
// ends the current slice. Only lock-free atomics and sig_atomic_t here.
namespace {

static_assert(std::atomic<uint32_t>::is_always_lock_free);

volatile std::sig_atomic_t g_in_run;
volatile std::sig_atomic_t g_interrupted;
struct sigaction g_old_sigint;
bool g_installed;

void on_sigint(int) {
    if (!g_in_run) return;
    g_interrupted = 1;
    run_flags_set(RUN_BREAK);
}

}  // namespace

void dbg_interrupt_install() {
    struct sigaction sa {};
    sa.sa_handler = on_sigint;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    g_installed = sigaction(SIGINT, &sa, &g_old_sigint) == 0;
    g_interrupted = 0;
    g_in_run = 0;
}

void dbg_interrupt_remove() {
    if (g_installed) sigaction(SIGINT, &g_old_sigint, nullptr);
    g_installed = false;
    g_in_run = 0;
}

void dbg_run_begin() {
    g_interrupted = 0;
    g_in_run = 1;
}
void dbg_run_end() { g_in_run = 0; }
bool dbg_run_interrupted() { return g_interrupted != 0; }
void dbg_interrupt_clear() { g_interrupted = 0; }
bool dbg_interrupt_pending() { return g_interrupted != 0; }
