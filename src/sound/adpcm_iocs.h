// IOCS ADPCM calls served through the sound library (FM 4 with FMPCM8).
// No call blocks: one that must wait for the voice asks for its TRAP to
// run again, so the machine runs on and each block starts when the last
// ends.
#pragma once

#include <cstdint>

// A TRAP #15 instruction as it runs: its address and the stack pointer.
// Its re-runs are the same pair; a call from an interrupt handler is not.
struct AdpcmIocsTrap {
    uint32_t pc, sp;
    bool operator==(const AdpcmIocsTrap&) const = default;
};

// An _ADPCMOUT still starting its blocks: the next block's offset.
struct AdpcmIocsOut {
    uint32_t pending;  // 1 while blocks remain
    uint32_t address, mode, length, done;
    AdpcmIocsTrap trap;  // the TRAP whose re-runs start the blocks
    // 1 once _ADPCMMOD(0) or a failed transfer ended a call before its
    // last block: stopped_trap's re-run then returns and starts nothing.
    uint32_t stopped;
    AdpcmIocsTrap stopped_trap;
};

// The calls' state, part of the ADPCM record (g_adpcm.iocs, sound/adpcm.h).
struct AdpcmIocs {
    // 0 idle; 2 one block (+$80 while more blocks of the call follow); $12
    // array chain; $22 link array chain.
    uint8_t state;
    uint8_t opm_ct;     // bit 7: the ADPCM clock select of OPM $1B
    uint8_t dma_error;  // CER of the last failed transfer
    AdpcmIocsOut out;
};
extern const uint8_t g_adpcm_pan_table[4];

inline constexpr uint8_t ADPCM_IOCS_IDLE = 0, ADPCM_IOCS_BLOCK = 0x02, ADPCM_IOCS_MORE = 0x80, ADPCM_IOCS_ARRAY = 0x12,
                         ADPCM_IOCS_LINK = 0x22;
inline constexpr uint32_t ADPCM_IOCS_BLOCK_MAX = 0xFF00;  // bytes in one block of _ADPCMOUT

void adpcm_iocs_out(uint32_t address, uint32_t mode, uint32_t length);     // $60
void adpcm_iocs_array_out(uint32_t table, uint32_t mode, uint32_t count);  // $62
void adpcm_iocs_link_out(uint32_t table, uint32_t mode);                   // $64
uint32_t adpcm_iocs_sense();                                               // $66
void adpcm_iocs_mode(uint32_t mode);                                       // $67, before the ROM's call

// The library's channel-3 transfer ended (error: it failed): the road's
// completion steps when one of these calls started it.
void adpcm_iocs_transfer_ended(bool error);
// Idle, as a power-on leaves the calls; the library's start does it.
void adpcm_iocs_reset();
