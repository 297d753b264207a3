// Host wave outputs for the ADPCM player. None is opened yet.
#pragma once

inline int adpcm_wave_device_count() { return 0; }
