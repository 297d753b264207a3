// The audio mixer: every sound source of the machine is a stream that the
// mixer converts to 44100 Hz 16-bit stereo and mixes, on
// the emulation thread and in emulated time, into one output. The output
// goes to a sink (SDL2 audio or nothing) through a ring, and can be kept
// whole for a WAV file (--wav).
//
// Time. The mixer asks its clock for "now", in output frames (1/44100 s)
// with MIXER_FRAC_BITS of fraction. The machine's clock (sound_clock_now,
// sound/sound_clock.h) counts emulated CPU cycles, so everything is tied to
// emulated time and a --virtual-clock run gives the same samples every time.
//
// A producer uses a stream in one of two ways:
//  - Render: open it with a render callback. The mixer calls it for the
//    frames between the stream's last time and now, at the stream's own
//    rate, and interpolates them to the output rate at their exact time. Before the producer changes what it will sound like (a chip
//    register write), it calls mixer_catch_up so that everything before
//    the write is rendered with the old state. mixer_advance catches every
//    render stream up anyway.
//  - Push: open it without a callback and hand it finished samples with
//    mixer_play (cuts what plays, starts now) or mixer_queue (appends after
//    what is queued, or starts now when idle).
//
// Everything here runs on the emulation thread, except the SDL sink's
// callback, which only drains the ring.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t MIXER_RATE = 44100;  // output frames per second
inline constexpr uint32_t MIXER_CHANNELS = 2;  // output is interleaved L, R
inline constexpr int MIXER_FRAC_BITS = 20;     // fraction bits of a MixerTime
// Output frames the mix stays behind now, so that the converters have
// their output ready; mixer_finish mixes them too.
inline constexpr uint32_t MIXER_LAG_FRAMES = 256;

// Emulated time in output frames << MIXER_FRAC_BITS.
using MixerTime = uint64_t;
inline constexpr MixerTime mixer_frames_to_time(uint64_t frames) { return frames << MIXER_FRAC_BITS; }
inline constexpr uint64_t mixer_time_to_frames(MixerTime t) { return t >> MIXER_FRAC_BITS; }
// Milliseconds of emulated time.
inline constexpr uint64_t mixer_time_to_ms(MixerTime t) { return (t >> MIXER_FRAC_BITS) * 1000 / MIXER_RATE; }

// The clock the mixer reads. Without one set, a manual clock that only
// mixer_set_manual_time moves (tests).
using MixerClock = MixerTime (*)();
void mixer_set_clock(MixerClock clock);
void mixer_set_manual_time(MixerTime t);
MixerTime mixer_now();

struct MixerStream;
// Fills out with frames frames of interleaved 16-bit samples at the
// stream's rate and channel count.
using MixerRender = void (*)(void* user, int16_t* out, uint32_t frames);

// A stream at rate (1 to 384000 Hz) with 1 or 2 channels, starting now.
// render nullptr: a push stream. nullptr when the converter cannot be made.
MixerStream* mixer_open(uint32_t rate, uint32_t channels, MixerRender render, void* user);
// Removes the stream; what it has not yet mixed is dropped.
void mixer_close(MixerStream* stream);
// Render stream: renders the frames from its last time up to now.
void mixer_catch_up(MixerStream* stream);
// Push stream: frames frames at the stream's rate, starting now; what
// played before is cut.
void mixer_play(MixerStream* stream, const int16_t* samples, uint32_t frames);
// Push stream: frames frames after what is queued, or now when nothing is.
void mixer_queue(MixerStream* stream, const int16_t* samples, uint32_t frames);
// Push stream: cuts what plays.
void mixer_stop(MixerStream* stream);
// Push stream: output frames still to come (0: idle).
uint64_t mixer_frames_left(const MixerStream* stream);
// Gain of the stream, 1.0 as it is.
void mixer_set_gain(MixerStream* stream, float gain);

// Emulation thread, between CPU bursts: catches every render stream up
// and mixes up to now - MIXER_LAG_FRAMES into the output.
void mixer_advance();
// Mixes everything up to now (the end of a run).
void mixer_finish();
// Output frames mixed so far since mixer_reset.
uint64_t mixer_frames_mixed();

// Drops the kept output and starts the output at now. The streams and the
// sink stay open.
void mixer_reset();

// Keeping the output whole: every frame mixed from now on is kept.
void mixer_keep_output(bool keep);
const std::vector<int16_t>& mixer_kept_output();
// Writes the kept output as a 44100 Hz 16-bit stereo WAV file, whole or
// not at all. False when it could not be written.
bool mixer_write_wav(const std::string& path);

// Where the mixed output goes. Null drops it; Sdl plays it through an SDL2
// audio device whose callback drains the ring (silence when it runs dry).
enum class MixerSink { Null, Sdl };
// Opens the sink; false (and the null sink) when SDL audio cannot open,
// with SDL's reason in why when it is given. alsa-lib's own lines about a
// device that cannot be opened stay off stderr (alsa_quiet).
bool mixer_open_sink(MixerSink sink, std::string* why = nullptr);
void mixer_close_sink();
MixerSink mixer_sink();
// Frames the SDL callback has taken from the ring since the sink opened.
uint64_t mixer_sink_frames_played();
