#pragma once
// A colour of four 0..255 integer components. A colour is "straight" unless its premultiplied
// flag is set: the render device multiplies a straight colour's red, green and blue by its alpha
// before drawing, and takes a premultiplied colour as it is. A premultiplied colour with alpha 0
// and some red, green or blue adds light (the overbright passes rely on this).

#include <cstdint>

class Color {
public:
    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;
    bool mPremultiplied = false;

    constexpr Color() = default;
    constexpr Color(int red, int green, int blue) : mRed(red), mGreen(green), mBlue(blue) {}
    constexpr Color(int red, int green, int blue, int alpha)
        : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha) {}
    // From 0xAARRGGBB; an alpha byte of 0 reads as 255 (so 0xRRGGBB constants are opaque).
    static Color FromARGB(uint32_t argb);

    // Each float times 255 plus 0.5, clamped to 0..255. The result is premultiplied: callers pass
    // components already scaled by opacity, and a pass with alpha 0 must add light.
    static Color FromFloats(float red, float green, float blue, float alpha);

    // Component-wise product divided by 255. When exactly one side is premultiplied, the other
    // is premultiplied first, so the product stays a valid colour of the same kind.
    Color Multiply(const Color& other) const;

    // 0xAARRGGBB of the components as stored.
    uint32_t ToARGB() const;
    // The components with red, green and blue multiplied by alpha (unchanged when premultiplied).
    Color Premultiplied() const;

    bool operator==(const Color& other) const = default;

    static const Color White;
    static const Color Black;
};

inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::Black{0, 0, 0, 255};
