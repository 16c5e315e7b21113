#include "audio/VolumeLaw.h"

#include <algorithm>
#include <cmath>

int VolumeToAttenuation(double volume) {
    // Volumes come from script expressions; a NaN would pass the clamp and poison the cast.
    const double v = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
    const int hundredths = static_cast<int>((std::log10(9.0 * v + 1.0) - 1.0) * 2333.0);
    return hundredths < -2000 ? -10000 : hundredths;
}

float AttenuationToGain(int hundredths) {
    if (hundredths <= -10000) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, std::min(hundredths, 0) / 2000.0));
}

void PanToGains(int pan, float* leftGain, float* rightGain) {
    const int p = std::clamp(pan, -10000, 10000);
    *leftGain = p > 0 ? AttenuationToGain(-p) : 1.0f;
    *rightGain = p < 0 ? AttenuationToGain(p) : 1.0f;
}
