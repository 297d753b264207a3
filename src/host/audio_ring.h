// The ring between the mixer (emulation thread) and the sink's callback
// (SDL's audio thread): one writer, one reader, atomics only.
#pragma once

#include <cstdint>

inline constexpr uint32_t AUDIO_RING_FRAMES = 16384;  // stereo frames held
// The callback starts (and starts again after running dry) once this many wait.
inline constexpr uint32_t AUDIO_RING_START_FRAMES = 2048;
// The writer keeps no more than this waiting (about 140 ms): an emulation
// running ahead of the sound card waits for it (audio_ring_wait_room), and
// what still does not fit is dropped rather than delayed.
inline constexpr uint32_t AUDIO_RING_FILL_LIMIT = 6144;

// Writer: frames interleaved stereo frames; what does not fit is dropped.
void audio_ring_push(const int16_t* frames, uint32_t count);
// Writer: waits (sleeping a millisecond at a time, at most max_ms) until
// count frames fit under the fill limit. False when they still do not.
bool audio_ring_wait_room(uint32_t count, uint32_t max_ms);
// Reader: up to count frames into out; the rest of out is silence. Returns
// the frames taken.
uint32_t audio_ring_pop(int16_t* out, uint32_t count);
// Frames waiting; frames dropped because the ring was full.
uint32_t audio_ring_fill();
uint64_t audio_ring_dropped();
// Empties the ring (no reader running).
void audio_ring_clear();
