#include "tools/synth/SvFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace p7synth {

void SvFilter::Tune(double cutoff, double q, double rate) {
    const double fc = std::clamp(cutoff, 10.0, rate * 0.49);
    const double g = std::tan(std::numbers::pi * fc / rate);
    mK = 1.0 / std::max(q, 0.1);
    mA1 = 1.0 / (1.0 + g * (g + mK));
    mA2 = g * mA1;
    mA3 = g * mA2;
}

double SvFilter::Process(double input, FilterMode mode) {
    const double v3 = input - mIc2;
    const double v1 = mA1 * mIc1 + mA2 * v3;
    const double v2 = mIc2 + mA2 * mIc1 + mA3 * v3;
    mIc1 = 2.0 * v1 - mIc1;
    mIc2 = 2.0 * v2 - mIc2;
    switch (mode) {
        case FilterMode::kLowPass:
            return v2;
        case FilterMode::kHighPass:
            return input - mK * v1 - v2;
        case FilterMode::kBandPass:
            return v1;
        case FilterMode::kNone:
            break;
    }
    return input;
}

}  // namespace p7synth
