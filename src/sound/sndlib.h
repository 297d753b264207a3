// Glue to the external sound library.
#pragma once

#include <cstdint>

#include "core/boundary.h"  // pcm8_call_served, sndlib_pcm8_call

// PCM8 function groups served through the library.
extern uint8_t g_pcm8_fn_served[16];
// The FM setting of the external sound library.
inline constexpr int FM_EXTERNAL_LIBRARY = 4;

// DMAC byte read at offset 0-$FF of its block: channel 3's registers come
// from the library with FM 4, the rest from the register image.
uint32_t sndlib_dma_read(uint32_t offset);
// A byte written to a channel-3 register (offset 0-$3F) with FM 4.
void sndlib_dma_poke(uint32_t reg, uint32_t value);
// The i8255's port C byte or control byte, handed to the library with FM 4.
void sndlib_ppi_write();
void sndlib_ppi_ctrl();

// FM 4's back end: starts the library (it sets g_fmcard.card_found to 1
// when it runs), stops it, and takes one OPM register write. Nothing is
// fitted yet.
void sndlib_ensure_started();
void sndlib_stop();
void sndlib_write_opm(uint32_t reg, uint32_t value);
// The ADPCM port with FM 4: the status read and the command write.
uint32_t sndlib_adpcm_peek();
void sndlib_adpcm_poke(uint32_t value);
