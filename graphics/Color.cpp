#include "graphics/Color.h"

#include <algorithm>

namespace {
int ClampComponent(float value) {
    // NaN compares false everywhere; treat it as 0 rather than letting the cast be undefined.
    if (!(value > 0.0f)) {
        return 0;
    }
    float scaled = value * 255.0f + 0.5f;
    if (scaled >= 255.0f) {
        return 255;
    }
    return int(scaled);
}
int Mul255(int a, int b) {
    return (a * b) / 255;
}
}  // namespace

Color Color::FromARGB(uint32_t argb) {
    int alpha = int((argb >> 24) & 0xFF);
    return Color(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF),
                 alpha == 0 ? 255 : alpha);
}

Color Color::FromFloats(float red, float green, float blue, float alpha) {
    Color c(ClampComponent(red), ClampComponent(green), ClampComponent(blue),
            ClampComponent(alpha));
    c.mPremultiplied = true;
    return c;
}

Color Color::Premultiplied() const {
    if (mPremultiplied) {
        return *this;
    }
    Color c(Mul255(mRed, mAlpha), Mul255(mGreen, mAlpha), Mul255(mBlue, mAlpha), mAlpha);
    c.mPremultiplied = true;
    return c;
}

Color Color::Multiply(const Color& other) const {
    Color a = *this;
    Color b = other;
    if (a.mPremultiplied != b.mPremultiplied) {
        a = a.Premultiplied();
        b = b.Premultiplied();
    }
    Color c(Mul255(a.mRed, b.mRed), Mul255(a.mGreen, b.mGreen), Mul255(a.mBlue, b.mBlue),
            Mul255(a.mAlpha, b.mAlpha));
    c.mPremultiplied = a.mPremultiplied;
    return c;
}

uint32_t Color::ToARGB() const {
    auto byte = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return (byte(mAlpha) << 24) | (byte(mRed) << 16) | (byte(mGreen) << 8) | byte(mBlue);
}
