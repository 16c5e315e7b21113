#include "widgets/anim/Waves.h"

#include <cmath>

#include "widgets/anim/GradientNoise.h"

double SineWave::Evaluate(double phase) {
    return std::sin(2.0 * 3.1415926 * phase);
}

double ZigZagWave::Evaluate(double phase) {
    if (!std::isfinite(phase)) {
        return 0.0;
    }
    // The fraction is taken towards minus infinity: a fraction that kept the phase's sign would
    // swing down to -4 for negative phases.
    const double fraction = phase - std::floor(phase);
    const double u = 4.0 * fraction;
    if (u < 1.0) {
        return u;
    }
    if (u < 3.0) {
        return 2.0 - u;
    }
    return u - 4.0;
}

double NoiseWave::Evaluate(double phase) {
    return GradientNoise1D(phase);
}
