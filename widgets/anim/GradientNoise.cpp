#include "widgets/anim/GradientNoise.h"

#include <cmath>
#include <mutex>
#include <utility>

#include "core/util/Random.h"

namespace {

constexpr int kB = 256;
constexpr int kMask = 255;
constexpr float kN = 4096.0f;

struct NoiseTables {
    int permutation[kB + kB + 2];
    float gradient1[kB + kB + 2];
    float gradient2[kB + kB + 2][2];
    float gradient3[kB + kB + 2][3];
};

NoiseTables gTables;
std::once_flag gInitOnce;

void Normalise(float* v, int n) {
    float sum = 0.0f;
    for (int k = 0; k < n; ++k) {
        sum += v[k] * v[k];
    }
    const float length = std::sqrt(sum);
    if (length > 0.0f) {
        for (int k = 0; k < n; ++k) {
            v[k] /= length;
        }
    }
}

void FillTables() {
    NoiseTables& t = gTables;
    for (int i = 0; i < kB; ++i) {
        t.permutation[i] = i;
        t.gradient1[i] = RandFloatRange(-1.0f, 1.0f);
        for (int k = 0; k < 2; ++k) {
            t.gradient2[i][k] = RandFloatRange(-1.0f, 1.0f);
        }
        Normalise(t.gradient2[i], 2);
        for (int k = 0; k < 3; ++k) {
            t.gradient3[i][k] = RandFloatRange(-1.0f, 1.0f);
        }
        Normalise(t.gradient3[i], 3);
    }
    for (int i = kB - 1; i > 0; --i) {
        std::swap(t.permutation[i], t.permutation[Rand(kB)]);
    }
    for (int i = 0; i < kB + 2; ++i) {
        t.permutation[kB + i] = t.permutation[i];
        t.gradient1[kB + i] = t.gradient1[i];
        for (int k = 0; k < 2; ++k) {
            t.gradient2[kB + i][k] = t.gradient2[i][k];
        }
        for (int k = 0; k < 3; ++k) {
            t.gradient3[kB + i][k] = t.gradient3[i][k];
        }
    }
}

}  // namespace

void InitGradientNoise() {
    std::call_once(gInitOnce, FillTables);
}

float GradientNoise1D(double x) {
    InitGradientNoise();
    if (!std::isfinite(x)) {
        return 0.0f;
    }
    // The lattice repeats every 256 units; reducing keeps the integer conversion below defined.
    if (std::fabs(x) > 1.0e8) {
        x = std::fmod(x, static_cast<double>(kB));
    }
    const float t = static_cast<float>(x) + kN;
    const int i = static_cast<int>(t);
    const int b0 = i & kMask;
    const int b1 = (b0 + 1) & kMask;
    const float r0 = t - static_cast<float>(i);
    const float r1 = r0 - 1.0f;
    const float u = r0 * gTables.gradient1[gTables.permutation[b0]];
    const float v = r1 * gTables.gradient1[gTables.permutation[b1]];
    const float s = r0 * r0 * (3.0f - 2.0f * r0);
    return u + s * (v - u);
}
