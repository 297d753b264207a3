// Band-limited stereo resampler: a Kaiser-windowed sinc in a polyphase
// table, cut off below the lower of the two Nyquist rates.
#pragma once

#include <cstdint>
#include <vector>

namespace sndlib {

class Resampler {
public:
    // in_rate samples a second in, out_rate out; step trims the ratio.
    void setup(double in_rate, double out_rate);
    // Takes n stereo input frames (L, R pairs); appends the output frames
    // they complete to out as floats (L, R pairs).
    void process(const int32_t* in, uint32_t n, std::vector<float>& out);
    // Output frames that n more input frames would make (about).
    double ratio() const { return step_; }

private:
    static constexpr int PHASES = 512;
    int taps_ = 0;
    double step_ = 1.0;         // input frames per output frame
    double pos_ = 0.0;          // next output's position, relative to hist_ start
    std::vector<float> coef_;   // PHASES + 1 rows of taps_
    std::vector<float> l_, r_;  // input history
    float (*dot_)(const float*, const float*, int) = nullptr;
};

}  // namespace sndlib
