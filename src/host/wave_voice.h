// Stand-ins for the host's sndPlaySoundA (an in-memory WAV image as one
// mixer voice) and timeGetTime (milliseconds).
#pragma once

#include <cstddef>
#include <cstdint>

// Plays the image from now, cutting the sound that plays; nullptr stops it.
// False, with nothing playing, when the image is not a PCM WAV image the
// voice can play.
bool host_play_sound(const uint8_t* image, size_t size);
bool host_sound_playing();
// Closes the voice's stream (the mixer was reset).
void host_sound_close();

// Milliseconds, 64-bit: the mixer's emulated time when the clock is
// emulated (--virtual-clock), else a steady host clock.
uint64_t host_time_ms();
void host_time_set_emulated(bool emulated);
