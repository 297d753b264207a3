// YM2151 (OPM): 8 channels of 4 operators, LFO, noise and timers A/B,
// one stereo sample per 64 clocks (62.5 kHz at 4 MHz).
#pragma once

#include <cstdint>

namespace sndlib {

// Register numbers.
inline constexpr uint8_t OPM_REG_TEST = 0x01, OPM_REG_KEY_ON = 0x08, OPM_REG_NOISE = 0x0F, OPM_REG_TIMER_A_HI = 0x10,
                         OPM_REG_TIMER_A_LO = 0x11, OPM_REG_TIMER_B = 0x12, OPM_REG_TIMER_CTRL = 0x14,
                         OPM_REG_LFRQ = 0x18, OPM_REG_PMD_AMD = 0x19, OPM_REG_CT_W = 0x1B, OPM_REG_RL_FB_CON = 0x20,
                         OPM_REG_KC = 0x28, OPM_REG_KF = 0x30, OPM_REG_PMS_AMS = 0x38, OPM_REG_DT1_MUL = 0x40,
                         OPM_REG_TL = 0x60, OPM_REG_KS_AR = 0x80, OPM_REG_AMSEN_D1R = 0xA0, OPM_REG_DT2_D2R = 0xC0,
                         OPM_REG_D1L_RR = 0xE0;
inline constexpr uint8_t OPM_STATUS_TIMER_A = 0x01, OPM_STATUS_TIMER_B = 0x02;
inline constexpr uint8_t OPM_CT1 = 0x80;  // register $1B: ADPCM clock select (1 = 4 MHz)
inline constexpr uint32_t OPM_DEFAULT_CLOCK = 4000000;
inline constexpr uint32_t OPM_CLOCKS_PER_SAMPLE = 64;

// Operator order in the registers and in the arrays: M1, M2, C1, C2.
enum { OP_M1 = 0, OP_M2 = 1, OP_C1 = 2, OP_C2 = 3 };
enum EnvPhase : uint8_t { ENV_ATTACK, ENV_DECAY1, ENV_DECAY2, ENV_RELEASE };
inline constexpr int32_t PM_STALE = 1 << 30;
struct OpmTables;

struct OpmOperator {
    uint32_t phase;     // 32-bit; the top 10 bits index the sine
    uint32_t inc;       // phase step per sample, PM excluded
    uint32_t inc_now;   // phase step in use (with PM)
    int32_t att4;       // total attenuation x 4 (log units of 1/256 octave)
    int32_t out;        // last output
    uint16_t env;       // envelope attenuation, 0-1023 (0.09375 dB)
    uint8_t phase_env;  // EnvPhase
    uint8_t key;        // bit 0 register key, bit 1 CSM key
    uint8_t dt1, mul, tl, ks, ar, amsen, d1r, dt2, d2r, d1l, rr;
    uint8_t ks_add;    // key scaling: key code >> 2 >> (3 - KS)
    uint8_t rate_now;  // effective rate of the envelope's phase
};

struct OpmChannel {
    OpmOperator op[4];
    int32_t fb_prev[2];  // M1's last two outputs
    int32_t pm_u;        // PM offset in force (1/256 semitone); PM_STALE: none
    uint8_t kc, kf, con, fb, pms, ams;
    bool left, right;
};

class Ym2151 {
public:
    void reset(uint32_t clock = OPM_DEFAULT_CLOCK);
    uint32_t clock() const { return clock_; }
    uint32_t sample_rate() const { return clock_ / OPM_CLOCKS_PER_SAMPLE; }
    void write(uint8_t reg, uint8_t value);
    uint8_t reg(uint8_t r) const { return regs_[r]; }
    uint8_t status() const { return status_; }
    // Adds n stereo samples to out (pairs L, R), running the timers.
    void render(int32_t* out, uint32_t n);
    // Called when a timer sets its flag with the interrupt enabled.
    void (*on_irq)(void* ctx) = nullptr;
    void* irq_ctx = nullptr;
    // Timer ticks (samples) until each timer overflows; for tests.
    uint32_t timer_a_period() const { return 1024 - timer_a_; }
    uint32_t timer_b_period() const { return 16u * (256 - timer_b_); }

private:
    void write_channel(uint8_t reg, uint8_t value);
    void write_operator(uint8_t reg, uint8_t value);
    void update_freq(OpmChannel& ch);
    void eg_tick();
    void lfo_step();
    void timers_step();
    int32_t channel_sample(OpmChannel& ch, int index);
    const OpmTables* t_ = nullptr;

    uint32_t clock_ = OPM_DEFAULT_CLOCK;
    uint8_t regs_[256]{};
    OpmChannel ch_[8]{};
    uint8_t status_ = 0;
    // Timers, counted in samples.
    uint32_t timer_a_ = 0, timer_b_ = 0;
    uint32_t count_a_ = 0, count_b_ = 0;
    bool csm_keyed_ = false;
    // Envelope clock: one tick per 3 samples.
    uint32_t eg_div_ = 0, eg_counter_ = 0;
    // LFO.
    uint32_t lfo_phase_ = 0, lfo_inc_ = 0;
    uint8_t lfo_wave_ = 0, pmd_ = 0, amd_ = 0, lfo_noise_ = 0, lfo_last_step_ = 0;
    uint32_t lfo_lfsr_ = 1;            // the noise wave's random values
    int32_t lfo_am_ = 0, lfo_pm_ = 0;  // AM 0-255, PM -128..127
    // Noise (channel 7's C2).
    uint32_t noise_lfsr_ = 1, noise_acc_ = 0;
    uint8_t noise_enable_ = 0, noise_freq_ = 0;
};

// Frequency of key code kc and fraction kf (bits 7-2) in Hz at clock c, as
// a phase step would play it: for tests and the benchmark.
double opm_note_hz(uint8_t kc, uint8_t kf, uint32_t clock = OPM_DEFAULT_CLOCK);

}  // namespace sndlib
