// Measuring tones in 16-bit output: the power at one frequency (a single
// DFT bin, Goertzel) and the strongest frequency of a range.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// Power of frequency hz in count frames of channel ch of interleaved
// samples (channels per frame), from frame first, at rate.
inline double tone_power(const std::vector<int16_t>& s, size_t channels, size_t ch, size_t first, size_t count,
                         double rate, double hz) {
    double w = 2 * M_PI * hz / rate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < count && (first + i) * channels + ch < s.size(); i++) {
        double s0 = s[(first + i) * channels + ch] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - c * s1 * s2) / double(count) / double(count);
}

// The frequency in [lo, hi] (steps of step Hz) with the most power.
inline double tone_peak(const std::vector<int16_t>& s, size_t channels, size_t ch, size_t first, size_t count,
                        double rate, double lo, double hi, double step) {
    double best = lo, best_power = -1;
    for (double f = lo; f <= hi; f += step) {
        double p = tone_power(s, channels, ch, first, count, rate, f);
        if (p > best_power) {
            best_power = p;
            best = f;
        }
    }
    return best;
}

// Root mean square of frames [first, first + count) over all channels.
inline double tone_rms(const std::vector<int16_t>& s, size_t channels, size_t first, size_t count) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = first * channels; i < (first + count) * channels && i < s.size(); i++, n++)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

// First frame from first whose sample magnitude (any channel) exceeds level.
inline size_t tone_onset(const std::vector<int16_t>& s, size_t channels, size_t first, int level) {
    for (size_t i = first * channels; i < s.size(); i++)
        if (std::abs(int(s[i])) > level) return i / channels;
    return s.size() / channels;
}
