#include "sound/sound_models.h"

#include "sound/sndlib.h"

namespace {
constexpr SoundModel MACHINE = SoundModel::Machine;
}  // namespace

// Every chip the machine's until a mode is chosen. The library serves the
// PCM8 groups 0, 1, 2 (Out, Aot, Lot), 7 (SetMode), 8 (GetRest), 9 (GetMode).
SoundModels g_sound_models = {MACHINE, MACHINE, MACHINE, MACHINE, 0, {1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}};

void sound_models_select(int fm, int fmpcm8) {
    SoundModel chips = fm == FM_EXTERNAL_LIBRARY ? SoundModel::Library : SoundModel::Machine;
    g_sound_models.ym2151 = chips;
    g_sound_models.adpcm = chips;
    g_sound_models.dma3 = chips;
    g_sound_models.pcm8_calls = fmpcm8 != 0 ? chips : SoundModel::Machine;
}
