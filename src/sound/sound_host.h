// The sound's side of a run: the mixer tied to the emulated clock, its
// sink, the output kept for --wav, and the work done between CPU bursts.
#pragma once

#include <string>

struct SoundHostOptions {
    bool sdl_sink = false;       // play through SDL audio (the window); else the null sink
    std::string wav;             // keep the output and write it here at the end
    bool virtual_clock = false;  // timeGetTime follows the emulated clock
    std::string midi_port;       // ALSA sequencer port CLIENT:PORT for MIDI, empty: FluidSynth
};

// Before the configuration is loaded: stops whatever a previous run left
// playing, resets the mixer at now and opens the sink.
void sound_host_start(const SoundHostOptions& options);
// Between CPU bursts: the mixer catches up, the ADPCM player looks for its end.
void sound_host_poll();
// At the end, after the configuration is saved: mixes what is left, writes
// the WAV file when one was asked for, stops the back ends and closes the
// sink. False when the WAV file could not be written; errno tells why.
bool sound_host_finish();
