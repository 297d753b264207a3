// Switches of the IOCS call tables by the settings.
#pragma once

// Serves the keyboard IOCS calls on the host while KEY is 0. The tables
// are not switched yet: nothing happens.
inline void trap_set_keyboard_calls() {}
// Gives the ADPCM IOCS calls back to the machine's own routines; called
// unless FMPCM8 is on with the sound library. Nothing happens yet.
inline void trap_set_adpcm_calls() {}
