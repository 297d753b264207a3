#include "input/keyboard.h"

char g_paste_text[256];
uint32_t g_key_ring_count;

void key_type_pump() {}
