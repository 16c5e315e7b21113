#pragma once
// A float rectangle: position and size.

#include "graphics/Rect.h"

class FRect {
public:
    float mX = 0.0f;
    float mY = 0.0f;
    float mWidth = 0.0f;
    float mHeight = 0.0f;

    constexpr FRect() = default;
    constexpr FRect(float x, float y, float width, float height)
        : mX(x), mY(y), mWidth(width), mHeight(height) {}
    static FRect FromRect(const Rect& r) {
        return FRect(float(r.mX), float(r.mY), float(r.mWidth), float(r.mHeight));
    }

    // Left and top edges inside, right and bottom outside.
    bool Contains(float x, float y) const {
        return x >= mX && y >= mY && x < mX + mWidth && y < mY + mHeight;
    }
    bool operator==(const FRect& other) const = default;
};
