#include "sound/sndlib/resampler.h"

#include <cmath>

namespace sndlib {

static double bessel_i0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// Dot product of n taps (a multiple of 8) in eight partial sums, so that
// it runs in vector lanes; an AVX2 build of it is picked where the host has it.
#define SNDLIB_DOT_BODY                                          \
    float a[8] = {};                                             \
    for (int k = 0; k < n; k += 8)                               \
        for (int j = 0; j < 8; ++j) a[j] += c[k + j] * x[k + j]; \
    return ((a[0] + a[4]) + (a[1] + a[5])) + ((a[2] + a[6]) + (a[3] + a[7]));

static float dot_plain(const float* __restrict c, const float* __restrict x, int n) { SNDLIB_DOT_BODY }
__attribute__((target("avx2"))) static float dot_avx2(const float* __restrict c, const float* __restrict x, int n) {
    SNDLIB_DOT_BODY
}
#undef SNDLIB_DOT_BODY

void Resampler::setup(double in_rate, double out_rate) {
    step_ = in_rate / out_rate;
    __builtin_cpu_init();
    dot_ = __builtin_cpu_supports("avx2") ? dot_avx2 : dot_plain;
    // Pass to 45% of the lower rate; stop by 55% of it (no alias into the pass band).
    double low = in_rate < out_rate ? in_rate : out_rate;
    double fc = 0.5 * low / in_rate;  // cut-off, cycles per input sample
    double transition = 0.1 * low / in_rate;
    const double atten = 80.0, pi = std::acos(-1.0);
    taps_ = int(std::ceil((atten - 8) / (2.285 * 2 * pi * transition))) + 1;
    taps_ = (taps_ + 7) & ~7;
    double beta = 0.1102 * (atten - 8.7);
    coef_.assign(size_t(PHASES + 1) * taps_, 0.0f);
    for (int p = 0; p <= PHASES; ++p) {
        double frac = double(p) / PHASES;
        double sum = 0;
        float* row = &coef_[size_t(p) * taps_];
        for (int k = 0; k < taps_; ++k) {
            // Tap k weighs input (base + k - taps/2 + 1); the output lies frac past base.
            double t = (k - taps_ / 2 + 1) - frac;
            double x = 2 * fc * t;
            double sinc = x == 0 ? 1.0 : std::sin(pi * x) / (pi * x);
            double w = t / (taps_ / 2.0);
            double win = std::fabs(w) >= 1 ? 0 : bessel_i0(beta * std::sqrt(1 - w * w)) / bessel_i0(beta);
            row[k] = float(2 * fc * sinc * win);
            sum += row[k];
        }
        for (int k = 0; k < taps_; ++k) row[k] = float(row[k] / sum);
    }
    l_.assign(taps_, 0.0f);
    r_.assign(taps_, 0.0f);
    pos_ = taps_ / 2 - 1;
}

void Resampler::process(const int32_t* in, uint32_t n, std::vector<float>& out) {
    for (uint32_t i = 0; i < n; ++i) {
        l_.push_back(float(in[2 * i]));
        r_.push_back(float(in[2 * i + 1]));
    }
    const size_t avail = l_.size();
    while (true) {
        size_t base = size_t(pos_);
        if (base + taps_ / 2 + 1 > avail) break;
        int phase = int((pos_ - base) * PHASES + 0.5);
        const float* c = &coef_[size_t(phase) * taps_];
        const float* pl = &l_[base + 1 - taps_ / 2];
        const float* pr = &r_[base + 1 - taps_ / 2];
        out.push_back(dot_(c, pl, taps_));
        out.push_back(dot_(c, pr, taps_));
        pos_ += step_;
    }
    // Keep what the next outputs still need.
    size_t keep_from = size_t(pos_) + 1 - taps_ / 2;
    if (keep_from > 0 && keep_from <= avail) {
        l_.erase(l_.begin(), l_.begin() + keep_from);
        r_.erase(r_.begin(), r_.begin() + keep_from);
        pos_ -= double(keep_from);
    }
}

}  // namespace sndlib
