// FM card record: the OPM register image and the back end's state; the FM
// settings are in machine/settings.h.
#pragma once

#include <cstdint>

// The chip's side of the card, cleared at power-on.
struct FmChip {
    uint8_t opm_regs[256];     // byte 0 holds the timer status
    uint16_t opl_shadow[512];  // last value of each OPL register, bank * 256 + register
    int32_t opm_latch;         // register number the next data write goes to
    // The OPL road, by OPM channel: the algorithm row and the key-on slot bits.
    int32_t opl_channel_algo[8];
    int32_t opl_key_slots[8];
};

struct FmCard {
    FmChip chip;
    int32_t running_type;     // back end now running, 0-4 as the FM setting
    int32_t adpcm_calls_set;  // the IOCS ADPCM calls go to the library
    int32_t port;             // host I/O base port
    int32_t blaster_p;
    int32_t blaster_d, blaster_h, blaster_i;  // BLASTER D, H, I: read and not used
    int32_t opl_channel_mask;
    int32_t channels;
    int32_t pc98_layout;
    int32_t card_found;
    int32_t output_on;  // port output allowed (the window has the focus)
};

extern FmCard g_fmcard;

// FM values: the back end every OPM write goes to.
inline constexpr int32_t FM_NONE = 0, FM_OPL3 = 1, FM_OPL2 = 2, FM_PC98 = 3;

// Starts the back end type names, stopping the one that runs, unless it
// already runs.
void fmcard_select(FmCard& card, int32_t type);
void fmcard_start(FmCard& card, int32_t type);
void fmcard_stop(FmCard& card);
// The reset line: output allowed again; the running chip reinitialised.
void fmcard_reset(FmCard& card);
// Every channel keyed off (the window lost the focus, or a stop).
void fmcard_all_off(FmCard& card);
// One OPM register write, handed to the back end FM names.
void fmcard_write_opm(uint32_t reg, uint32_t value);

// BLASTER: the environment variable's fields into the card (A port, P, T
// channels; D, H, I read and not used). A number above $FFFF is no number:
// an A field that large names no port. Unset, it reads as "A220 T6".
void fmcard_parse_blaster(FmCard& card);
// The parse of one BLASTER text, without the environment (tests).
void fmcard_parse_blaster_text(FmCard& card, const char* text);
