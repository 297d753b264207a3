// Keyboard.
#pragma once

// Text typed into the emulated keyboard from the command line.
extern char g_paste_text[256];
// Advances the typing of the paste text.
void key_type_pump();
