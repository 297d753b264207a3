// MIDI output devices of the host. None is opened yet: the check finds none.
#pragma once

#include "sound/midi.h"

// Opens or closes the host's MIDI output as the MIDI setting asks.
inline void midi_check_devices(MidiState&) {}
