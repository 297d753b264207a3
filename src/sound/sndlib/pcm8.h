// The PCM8 driver's eight voices, mixed beside the ADPCM voice: ADPCM at
// 3.9-15.6 kHz or 16/8-bit PCM at 15.6 kHz, each with volume and pan,
// playing a block, an array of blocks or a linked chain of blocks.
#pragma once

#include <cstdint>

#include "sound/adpcm_codec.h"

namespace sndlib {

inline constexpr int PCM8_CHANNELS = 8;
inline constexpr uint32_t PCM8_DEFAULT_MODE = 0x080403;  // volume 8, 15.6 kHz, both sides
inline constexpr int32_t PCM8_BAD_CHANNEL = -1;
// Link entries a voice may load at its start, and in a render step beyond
// one per output sample; a link chain that loads more (one that loops on
// empty entries) ends there, as at the end of its table.
inline constexpr uint32_t PCM8_LINK_ALLOWANCE = 1024;

struct Pcm8Voice {
    enum Kind : uint8_t { IDLE, BLOCK, ARRAY, LINK };
    Kind kind = IDLE;
    uint32_t mode = PCM8_DEFAULT_MODE;
    uint32_t addr = 0, rest = 0;   // current block
    uint32_t table = 0, left = 0;  // next table entry; array entries still to play
    uint32_t links = 0;            // link entries it may still load in this step
    AdpcmDecoder dec;
    uint8_t byte = 0, half = 0;
    uint32_t pos = 0;  // fraction of the sample in 1/65536
    int32_t prev = 0, cur = 0;
};

class Pcm8 {
public:
    void reset();
    int32_t out(int ch, uint32_t addr, uint32_t mode, uint32_t length);
    int32_t array_out(int ch, uint32_t table, uint32_t mode, uint32_t count);
    int32_t link_out(int ch, uint32_t table, uint32_t mode);
    int32_t set_mode(int ch, uint32_t mode);
    int32_t get_rest(int ch) const;
    int32_t get_mode(int ch) const;
    void abort();
    bool any_active() const;
    // Adds n stereo samples at chip_rate to out.
    void render(int32_t* out, uint32_t n, double chip_rate);
    int32_t (*read)(void* ctx, uint32_t addr) = nullptr;  // byte or >= 0x100 on a fault
    void* ctx = nullptr;

private:
    bool next_block(Pcm8Voice& v);
    int32_t next_sample(Pcm8Voice& v);
    int32_t byte_at(Pcm8Voice& v, bool& ok);
    Pcm8Voice v_[PCM8_CHANNELS];
};

// Sample rate of a mode's rate code.
double pcm8_rate(uint32_t mode);

}  // namespace sndlib
