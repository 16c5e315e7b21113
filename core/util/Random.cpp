#include "core/util/Random.h"

#include <chrono>
#include <mutex>
#include <random>

namespace {

std::mutex gRandomMutex;

std::mt19937& Generator() {
    // Caller holds gRandomMutex.
    static std::mt19937 generator(
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return generator;
}

std::mutex gCRandMutex;
uint32_t gCRandState = 1;

}  // namespace

int Rand(int n) {
    if (n <= 0) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(gRandomMutex);
    return std::uniform_int_distribution<int>(0, n - 1)(Generator());
}

int RandRange(int low, int high) {
    if (high <= low) {
        return low;
    }
    // The width may not fit an int (low very negative, high very positive).
    const int64_t width = static_cast<int64_t>(high) - low;
    std::lock_guard<std::mutex> lock(gRandomMutex);
    return static_cast<int>(low +
                            std::uniform_int_distribution<int64_t>(0, width - 1)(Generator()));
}

double RandDouble(double x) {
    if (x == 0.0) {
        return 0.0;
    }
    std::lock_guard<std::mutex> lock(gRandomMutex);
    const double unit = std::generate_canonical<double, 53>(Generator());
    const double value = unit * x;
    // generate_canonical may round up to 1.0 on some libraries; keep the bound open.
    return value == x ? 0.0 : value;
}

float RandFloatRange(float low, float high) {
    std::lock_guard<std::mutex> lock(gRandomMutex);
    const double unit = std::generate_canonical<double, 53>(Generator());
    return static_cast<float>(low + unit * (static_cast<double>(high) - low));
}

void SeedRandom(uint32_t seed) {
    std::lock_guard<std::mutex> lock(gRandomMutex);
    Generator().seed(seed);
}

int CRand() {
    std::lock_guard<std::mutex> lock(gCRandMutex);
    gCRandState = gCRandState * 1103515245u + 12345u;
    return static_cast<int>((gCRandState / 65536u) % 32768u);
}

void CSeedRand(uint32_t seed) {
    std::lock_guard<std::mutex> lock(gCRandMutex);
    gCRandState = seed;
}
