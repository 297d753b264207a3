// FM card record: the OPM register image, the back end's state and the FM
// settings.
#pragma once

#include <cstdint>

// The chip's side of the card, cleared at power-on.
struct FmChip {
    uint8_t opm_regs[256];     // byte 0 holds the timer status
    uint16_t opl_shadow[512];  // last value of each OPL register, bank * 256 + register
    int32_t opm_latch;         // register number the next data write goes to
};

struct FmCard {
    FmChip chip;
    int32_t running_type;      // back end now running, 0-4 as FM
    int32_t fm;                // FM: 0 none, 1 OPL3, 2 OPL2, 3 PC-98 card, 4 library
    int32_t fmsample;          // FMSAMPLE: 0 = 22050 Hz, 1 = 44100 Hz
    int32_t fmpcm8;            // FMPCM8: serve PCM8 calls through the library
    int32_t adpcm_calls_set;   // the IOCS ADPCM calls go to the library
    int32_t port;              // host I/O base port
    int32_t blaster_p;
    int32_t fmwait1;           // FMWAIT1: dummy reads after an OPL address write
    int32_t fmwait2;           // FMWAIT2: dummy reads after an OPL data write
    int32_t opl_channel_mask;
    int32_t channels;
    int32_t pc98_layout;
    int32_t card_found;
    int32_t output_on;         // port output allowed (the window has the focus)
    int32_t fmvol;             // FMVOL: total volume of the library
    int32_t fmopm;             // FMOPM, FMADPCM, FMBETW, FMPCMBUF, FMLATE:
    int32_t fmadpcm;           //   start arguments of the library
    int32_t fmbetw;
    int32_t fmpcmbuf;
    int32_t fmlate;
    double fmrev;              // FMREV
};

extern FmCard g_fmcard;
inline constexpr auto& g_cfg_fm = g_fmcard.fm;
inline constexpr auto& g_cfg_fmpcm8 = g_fmcard.fmpcm8;

// Starts the back end the FM setting names. No back end is fitted yet:
// the card stays silent and nothing runs.
void fmcard_select(FmCard& card, int32_t fm);
