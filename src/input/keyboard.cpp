#include "input/keyboard.h"

char g_paste_text[256];

void key_type_pump() {}
