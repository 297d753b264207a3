// Switches of the IOCS call tables by the settings.
#pragma once

// Serves the keyboard calls $00-$04 on the host while KEY is 0; with KEY 1
// the ROM serves $00-$07 through the MFP. Slots $05-$07 are always emptied.
void trap_set_keyboard_calls();
// With FMPCM8 on and FM 4: the ADPCM calls $60, $62, $64 and $66 go to the
// sound library and $67 informs it first; otherwise all of $60-$67 go to
// the ROM. Sets adpcm_calls_set of the FM card accordingly.
void trap_set_adpcm_calls();
