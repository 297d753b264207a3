#include "host/periodic_timer.h"

#include <time.h>
#include <system_error>

uint32_t periodic_timer_min_period_ms() {
    timespec res{};
    if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return 0;
    uint64_t ns = uint64_t(res.tv_sec) * 1000000000u + uint64_t(res.tv_nsec);
    uint64_t ms = (ns + 999999) / 1000000;
    return ms == 0 ? 1 : ms > UINT32_MAX ? UINT32_MAX : uint32_t(ms);
}

bool PeriodicTimer::start(uint32_t period_ms, std::function<void()> tick) {
    if (running() || period_ms == 0 || !tick) return false;
    tick_ = std::move(tick);
    stopping_ = false;
    try {
        thread_ = std::thread(&PeriodicTimer::run, this, std::chrono::milliseconds(period_ms));
    } catch (const std::system_error&) {
        tick_ = nullptr;
        return false;
    }
    return true;
}

void PeriodicTimer::stop() {
    if (!running()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    tick_ = nullptr;
}

void PeriodicTimer::run(std::chrono::milliseconds period) {
    using clock = std::chrono::steady_clock;
    std::unique_lock lock(mutex_);
    clock::time_point next = clock::now() + period;
    for (;;) {
        if (wake_.wait_until(lock, next, [this] { return stopping_; })) return;
        lock.unlock();
        tick_();
        lock.lock();
        next += period;
        clock::time_point now = clock::now();
        if (next <= now) next = now + period;
    }
}
