// MIDI output of the host, for the MIDI board: FluidSynth in this process
// (General MIDI SoundFont, heard through the mixer in emulated time), the
// ALSA sequencer (an output port connected to a given CLIENT:PORT), or a
// recording (tests). Each takes whole messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/audio_mixer.h"

inline constexpr const char* MIDI_SOUNDFONT = "/usr/share/sounds/sf2/default-GM.sf2";

class MidiOut {
public:
    virtual ~MidiOut() = default;
    // One whole message: a channel or system message, a real-time byte, or
    // a system exclusive from $F0 to $F7.
    virtual void send(const uint8_t* bytes, size_t count) = 0;
};

// Opens FluidSynth with the SoundFont; nullptr when either fails.
std::unique_ptr<MidiOut> midi_out_open_fluidsynth(const std::string& soundfont);
// Opens an ALSA sequencer output port connected to port ("CLIENT:PORT");
// nullptr when the sequencer or the port is not there.
std::unique_ptr<MidiOut> midi_out_open_alsa(const std::string& port);

// Every message sent, with the mixer time it was sent at.
class MidiRecording : public MidiOut {
public:
    struct Message {
        MixerTime time;
        std::vector<uint8_t> bytes;
    };
    void send(const uint8_t* bytes, size_t count) override {
        messages.push_back({mixer_now(), {bytes, bytes + count}});
    }
    std::vector<Message> messages;
};

// The back end a run uses: the ALSA port when one is named, else
// FluidSynth. A named port is tried at once: answers why it cannot be
// opened, empty when it can (or none is named).
std::string midi_out_set_port(const std::string& alsa_port);
std::unique_ptr<MidiOut> midi_out_open();
// Back ends that open: with a port named, 1 when it opened; else FluidSynth
// when the SoundFont is there, and the ALSA sequencer when it opens.
int midi_out_device_count();
// Tests: what midi_out_open opens instead (nullptr: as configured).
using MidiOutOpener = std::unique_ptr<MidiOut> (*)();
void midi_out_set_opener(MidiOutOpener opener);
