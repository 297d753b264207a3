// Which model serves each sound chip: the machine's own (the OPM port and
// the FM card's back ends, the WAV road, the DMAC's register image, the
// ROM's and the driver's calls) or the sound library's (FM 4). Set with the
// FM mode; every place that hands a chip's access over asks it.
#pragma once

#include <cstdint>

enum class SoundModel : uint8_t { Machine, Library };

struct SoundModels {
    SoundModel ym2151;         // OPM writes: the FM card's back ends, or the library's YM2151
    SoundModel adpcm;          // the MSM6258 port and the i8255's pan and rate bits
    SoundModel dma3;           // DMAC channel 3: the register image, or the library's channel
    SoundModel pcm8_calls;     // PCM8 (TRAP #2) and IOCS ADPCM calls: the driver's and the ROM's
    uint32_t library_started;  // 1 while the library runs (sndlib_start to sndlib_stop)
    uint8_t pcm8_groups[16];   // PCM8 function groups the library serves
};
extern SoundModels g_sound_models;

// The four models for FM mode fm and FMPCM8 fmpcm8; library_started and
// the groups are kept.
void sound_models_select(int fm, int fmpcm8);
