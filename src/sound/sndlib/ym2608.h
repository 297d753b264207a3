// YM2608 (OPNA) FM part: six channels of four operators, one stereo sample
// per 144 clocks (55.5 kHz at 7.9872 MHz), registers in two banks (bank 1
// as $100-$1FF). The voice is the YM2151's; the OPN has its own register
// layout and pitch (F-number and block). The SSG's I/O ports (registers
// 14 and 15) are there for a card's joystick connector; SSG sound, ADPCM,
// rhythm, LFO, SSG-EG and the timers are not made.
#pragma once

#include <cstdint>

#include "sound/sndlib/ym2151.h"

namespace sndlib {

inline constexpr uint32_t OPNA_DEFAULT_CLOCK = 7987200;
inline constexpr uint32_t OPNA_CLOCKS_PER_SAMPLE = 144;
inline constexpr int OPNA_CHANNELS = 6;
inline constexpr uint8_t OPNA_ID = 0x01;  // register $FF: an OPNA

// Register numbers (bank 0; bank 1 repeats $30-$B6 for channels 4-6).
inline constexpr uint8_t OPN_REG_IO_A = 0x0E, OPN_REG_IO_B = 0x0F, OPN_REG_KEY_ON = 0x28, OPN_REG_DT_MUL = 0x30,
                         OPN_REG_TL = 0x40, OPN_REG_KS_AR = 0x50, OPN_REG_AM_DR = 0x60, OPN_REG_SR = 0x70,
                         OPN_REG_SL_RR = 0x80, OPN_REG_SSG_EG = 0x90, OPN_REG_FNUM_LOW = 0xA0,
                         OPN_REG_BLOCK_FNUM = 0xA4, OPN_REG_FB_ALGO = 0xB0, OPN_REG_LR_AMS_PMS = 0xB4,
                         OPN_REG_ID = 0xFF;
inline constexpr uint16_t OPN_BANK1 = 0x100;

class Ym2608 {
public:
    void reset(uint32_t clock = OPNA_DEFAULT_CLOCK);
    uint32_t sample_rate() const { return clock_ / OPNA_CLOCKS_PER_SAMPLE; }
    // reg: register, bit 8 the bank.
    void write(uint16_t reg, uint8_t value);
    // The ID at $FF, port A through read_port_a, else what was written.
    uint8_t read(uint16_t reg) const;
    // Adds n stereo samples to out (pairs L, R).
    void render(int32_t* out, uint32_t n);
    // Reads the SSG's port A; port_b is register 15 as written.
    uint8_t (*read_port_a)(void* ctx, uint8_t port_b) = nullptr;
    void* port_ctx = nullptr;

private:
    void write_operator(OpmChannel& ch, int slot, uint8_t reg, uint8_t value);
    void update_freq(OpmChannel& ch, int index);
    void eg_tick();

    const OpmTables* t_ = nullptr;
    uint32_t clock_ = OPNA_DEFAULT_CLOCK;
    uint8_t regs_[2 * 256]{};
    OpmChannel ch_[OPNA_CHANNELS]{};
    uint16_t fnum_[OPNA_CHANNELS]{};
    uint8_t block_[OPNA_CHANNELS]{};
    uint8_t fnum_high_latch_[2]{};  // $A4-$A6 wait for the write of $A0-$A2
    uint32_t eg_div_ = 0, eg_counter_ = 0;
};

// The OPN's key code: block and the F-number's top bits, 0-31.
uint8_t opn_key_code(uint16_t fnum, uint8_t block);
// Frequency in Hz of F-number fnum at block on a chip at clock.
double opn_note_hz(uint16_t fnum, uint8_t block, uint32_t clock = OPNA_DEFAULT_CLOCK);

}  // namespace sndlib
