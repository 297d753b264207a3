// A periodic callback on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// Shortest period in ms the host clock can serve, or 0 when the host has no
// usable monotonic clock.
uint32_t periodic_timer_min_period_ms();

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;
    ~PeriodicTimer() { stop(); }

    // Calls tick every period_ms on the timer's thread until stop. Ticks
    // that fall behind are dropped, not run in a burst. False when the
    // timer already runs, the period is 0 or no thread could be started.
    bool start(uint32_t period_ms, std::function<void()> tick);
    // Ends the thread; a tick in progress finishes first, and none runs
    // after stop returns. Never called from the tick itself.
    void stop();
    bool running() const { return thread_.joinable(); }

private:
    void run(std::chrono::milliseconds period);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::function<void()> tick_;
};
