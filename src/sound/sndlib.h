// Glue to the sound library (FM 4): loading its calls from the table,
// start and stop with the FM settings, the OPM, DMAC and i8255 hand-overs,
// its callbacks and the PCM8 calls of TRAP #2.
#pragma once

#include <cstdint>

#include "core/boundary.h"  // pcm8_call_served, sndlib_pcm8_call
#include "sound/sndlib/x68sound.h"

// The FM setting of the external sound library.
inline constexpr int FM_EXTERNAL_LIBRARY = 4;

// One pointer per call of the library, filled by sndlib_load.
struct SndLibEntries {
#define SNDLIB_ENTRY(name) decltype(&::name) name;
    SNDLIB_CALLS(SNDLIB_ENTRY)
#undef SNDLIB_ENTRY
};
extern SndLibEntries g_sndlib;

// 0 loaded; -1 the library is not there; -2 a call is missing.
int sndlib_load();
// The table sndlib_load looks in (the library's own by default; nullptr:
// no library). For tests.
void sndlib_use_table(const SndLibExport* table, int count);
// 1 started, 0 failed (a message box says why, card_found 0).
int sndlib_start();
void sndlib_ensure_started();
void sndlib_stop();
// One OPM register write through the library.
void sndlib_write_opm(uint32_t reg, uint32_t value);

// Callbacks handed to the library.
int32_t sndlib_mem_read(uint32_t addr);
void sndlib_dma_int();
void sndlib_dma_err_int();
void sndlib_opm_int();

// DMAC byte read at offset 0-$FF of its block: channel 3's registers come
// from the library with FM 4, the rest from the register image.
uint32_t sndlib_dma_read(uint32_t offset);
// A byte written to a channel-3 register (offset 0-$3F) with FM 4.
void sndlib_dma_poke(uint32_t reg, uint32_t value);
// The i8255's port C byte or control byte, handed to the library with FM 4.
void sndlib_ppi_write();
void sndlib_ppi_ctrl();
// The ADPCM port with FM 4: the status read and the command write.
uint32_t sndlib_adpcm_peek();
void sndlib_adpcm_poke(uint32_t value);
