// Host wave outputs for the ADPCM player: the mixer's voice.
#pragma once

#include "sound/adpcm.h"

inline int adpcm_wave_device_count() { return g_adpcm_player.device_count; }
