#include "sound/sndlib.h"

#include "sound/fm_card.h"
#include "storage/dma.h"

uint8_t g_pcm8_fn_served[16];

// A PCM8 call is served by the library for the function groups it handles.
bool pcm8_call_served(uint32_t d0) {
    uint32_t group = (d0 >> 4) & 0xFF;
    return g_cfg_fmpcm8 != 0 && g_cfg_fm == FM_EXTERNAL_LIBRARY && group < 16 && g_pcm8_fn_served[group];
}

void sndlib_pcm8_call() {}

// No library is fitted yet: the DMAC's own image answers and nothing is handed on.
uint32_t sndlib_dma_read(uint32_t offset) { return dma_peek_byte(offset); }
void sndlib_dma_poke(uint32_t, uint32_t) {}
void sndlib_ppi_write() {}
void sndlib_ppi_ctrl() {}
void sndlib_ensure_started() {}
void sndlib_stop() {}
void sndlib_write_opm(uint32_t, uint32_t) {}
uint32_t sndlib_adpcm_peek() { return 0; }
void sndlib_adpcm_poke(uint32_t) {}
