// Signal measures for the sound tests: a Hann-windowed FFT with the
// strongest line found by parabolic interpolation, RMS levels and lines.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace sigtest {

inline std::vector<double> spectrum(const std::vector<double>& x, size_t n) {
    std::vector<std::complex<double>> a(n);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < n && i < x.size(); ++i) a[i] = x[i] * (0.5 - 0.5 * std::cos(2 * pi * i / n));
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> w(std::cos(2 * pi / len), -std::sin(2 * pi / len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk(1);
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
    std::vector<double> mag(n / 2);
    for (size_t i = 0; i < n / 2; ++i) mag[i] = std::abs(a[i]);
    return mag;
}

inline size_t pow2_at_most(size_t n) {
    size_t p = 1;
    while (p * 2 <= n) p *= 2;
    return p;
}

// Frequency of the strongest line above min_hz.
inline double peak_hz(const std::vector<double>& x, double rate, double min_hz = 20) {
    size_t n = pow2_at_most(x.size());
    auto mag = spectrum(x, n);
    size_t best = 0;
    for (size_t i = 1; i + 1 < mag.size(); ++i)
        if (i * rate / n >= min_hz && (best == 0 || mag[i] > mag[best])) best = i;
    double a = std::log(mag[best - 1] + 1e-12), b = std::log(mag[best] + 1e-12), c = std::log(mag[best + 1] + 1e-12);
    double d = 0.5 * (a - c) / (a - 2 * b + c);
    return (best + d) * rate / n;
}

// Level of the strongest line within [lo, hi] Hz against the strongest line of all, in dB.
inline double line_db(const std::vector<double>& x, double rate, double lo, double hi) {
    size_t n = pow2_at_most(x.size());
    auto mag = spectrum(x, n);
    double all = 1e-12, in = 1e-12;
    for (size_t i = 1; i < mag.size(); ++i) {
        double f = i * rate / n;
        all = std::max(all, mag[i]);
        if (f >= lo && f <= hi) in = std::max(in, mag[i]);
    }
    return 20 * std::log10(in / all);
}

inline double rms(const std::vector<double>& x, size_t from = 0, size_t to = SIZE_MAX) {
    double s = 0;
    size_t n = 0;
    for (size_t i = from; i < x.size() && i < to; ++i, ++n) s += x[i] * x[i];
    return n ? std::sqrt(s / n) : 0;
}

inline double db(double a, double b) { return 20 * std::log10(a / b); }

}  // namespace sigtest
