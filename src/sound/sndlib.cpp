#include "sound/sndlib.h"

uint8_t g_pcm8_fn_served[16];

void sndlib_pcm8_call() {}
