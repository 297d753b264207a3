#include "host/audio_ring.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "host/audio_mixer.h"

namespace {

int16_t s_ring[AUDIO_RING_FRAMES * MIXER_CHANNELS];
std::atomic<uint64_t> s_write, s_read, s_dropped;

}  // namespace

void audio_ring_push(const int16_t* frames, uint32_t count) {
    uint64_t w = s_write.load(std::memory_order_relaxed);
    uint64_t r = s_read.load(std::memory_order_acquire);
    uint32_t fill = uint32_t(w - r);
    uint32_t room = fill < AUDIO_RING_FILL_LIMIT ? AUDIO_RING_FILL_LIMIT - fill : 0;
    uint32_t n = std::min(count, room);
    for (uint32_t i = 0; i < n; i++) {
        uint32_t at = uint32_t((w + i) % AUDIO_RING_FRAMES) * MIXER_CHANNELS;
        std::memcpy(&s_ring[at], frames + size_t(i) * MIXER_CHANNELS, MIXER_CHANNELS * sizeof(int16_t));
    }
    s_write.store(w + n, std::memory_order_release);
    if (n < count) s_dropped.fetch_add(count - n, std::memory_order_relaxed);
}

bool audio_ring_wait_room(uint32_t count, uint32_t max_ms) {
    for (uint32_t waited = 0;; waited++) {
        if (audio_ring_fill() + count <= AUDIO_RING_FILL_LIMIT) return true;
        if (waited >= max_ms) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

uint32_t audio_ring_pop(int16_t* out, uint32_t count) {
    uint64_t r = s_read.load(std::memory_order_relaxed);
    uint64_t w = s_write.load(std::memory_order_acquire);
    uint32_t n = std::min(count, uint32_t(w - r));
    for (uint32_t i = 0; i < n; i++) {
        uint32_t at = uint32_t((r + i) % AUDIO_RING_FRAMES) * MIXER_CHANNELS;
        std::memcpy(out + size_t(i) * MIXER_CHANNELS, &s_ring[at], MIXER_CHANNELS * sizeof(int16_t));
    }
    std::fill(out + size_t(n) * MIXER_CHANNELS, out + size_t(count) * MIXER_CHANNELS, int16_t(0));
    s_read.store(r + n, std::memory_order_release);
    return n;
}

uint32_t audio_ring_fill() {
    return uint32_t(s_write.load(std::memory_order_acquire) - s_read.load(std::memory_order_acquire));
}
uint64_t audio_ring_dropped() { return s_dropped.load(std::memory_order_relaxed); }

void audio_ring_clear() { s_read.store(s_write.load(std::memory_order_acquire), std::memory_order_release); }
