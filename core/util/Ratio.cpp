#include "core/util/Ratio.h"

#include <cstdint>
#include <numeric>

void Ratio::Set(int width, int height) {
    // 64-bit so that INT_MIN has an absolute value.
    int64_t num = width;
    int64_t den = height;
    const int64_t divisor = std::gcd(num, den);
    if (divisor != 0) {
        num /= divisor;
        den /= divisor;
    }
    // Flip the signs onto the numerator unless that leaves the int range (x:INT_MIN with x odd).
    if (den < 0 && den != INT32_MIN && num != INT32_MIN) {
        num = -num;
        den = -den;
    }
    mNumerator = static_cast<int>(num);
    mDenominator = static_cast<int>(den);
}
