// MIDI output devices of the host: the back ends that open.
#pragma once

#include "host/midi_out.h"
#include "machine/settings.h"

// With MIDI on and no back end that opens, MIDI goes off (the board is
// not fitted).
inline void midi_check_devices(Settings& s) {
    if (s.midi && midi_out_device_count() == 0) s.midi = 0;
}
