// Which model serves each sound chip, by FM mode and FMPCM8.
#include <gtest/gtest.h>

#include "sound/sndlib.h"
#include "sound/sound_models.h"

namespace {

constexpr SoundModel M = SoundModel::Machine, L = SoundModel::Library;

TEST(SoundModels, EachFmModeChoosesTheModelOfEveryChip) {
    struct Row {
        int fm, fmpcm8;
        SoundModel ym2151, adpcm, dma3, pcm8_calls;
    } rows[] = {
        {0, 0, M, M, M, M}, {0, 1, M, M, M, M}, {1, 0, M, M, M, M}, {1, 1, M, M, M, M}, {2, 0, M, M, M, M},
        {2, 1, M, M, M, M}, {3, 0, M, M, M, M}, {3, 1, M, M, M, M}, {4, 0, L, L, L, M}, {4, 1, L, L, L, L},
    };
    const SoundModels saved = g_sound_models;
    g_sound_models.library_started = 1;
    g_sound_models.pcm8_groups[3] = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "FM " << r.fm << " FMPCM8 " << r.fmpcm8);
        // From the other end of the table first: nothing is left from the last choice.
        sound_models_select(r.fm == FM_EXTERNAL_LIBRARY ? 0 : FM_EXTERNAL_LIBRARY, 1 - r.fmpcm8);
        sound_models_select(r.fm, r.fmpcm8);
        EXPECT_EQ(g_sound_models.ym2151, r.ym2151);
        EXPECT_EQ(g_sound_models.adpcm, r.adpcm);
        EXPECT_EQ(g_sound_models.dma3, r.dma3);
        EXPECT_EQ(g_sound_models.pcm8_calls, r.pcm8_calls);
        // Whether the library runs, and the groups it serves, are not the mode's.
        EXPECT_EQ(g_sound_models.library_started, 1u);
        EXPECT_EQ(g_sound_models.pcm8_groups[3], 1);
    }
    g_sound_models = saved;
}

}  // namespace
