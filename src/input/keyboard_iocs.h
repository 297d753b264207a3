// Keyboard IOCS calls served on the host while KEY is 0. Each works on the
// processor registers as the ROM's call does.
#pragma once

void key_iocs_b_keyinp();  // $00 _B_KEYINP
void key_iocs_b_keysns();  // $01 _B_KEYSNS
void key_iocs_b_sftsns();  // $02 _B_SFTSNS
void key_iocs_key_init();  // $03 _KEY_INIT
void key_iocs_bitsns();    // $04 _BITSNS
