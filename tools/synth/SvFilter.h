#pragma once

// A state-variable filter in its trapezoidal form, which stays stable for any cutoff below the
// Nyquist frequency, so sweeps up to the top of the band need no special care.

namespace p7synth {

enum class FilterMode { kNone, kLowPass, kHighPass, kBandPass };

class SvFilter {
public:
    // Sets the cutoff (Hz, clamped below half the rate) and the resonance Q (at least 0.1).
    // May be called per sample for sweeps; the state is kept.
    void Tune(double cutoff, double q, double rate);

    // Filters one sample.
    double Process(double input, FilterMode mode);

private:
    double mA1 = 0.0, mA2 = 0.0, mA3 = 0.0, mK = 1.4142;
    double mIc1 = 0.0, mIc2 = 0.0;
};

}  // namespace p7synth
