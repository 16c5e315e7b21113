#pragma once
// A float point.

class FPoint {
public:
    float mX = 0.0f;
    float mY = 0.0f;

    constexpr FPoint() = default;
    constexpr FPoint(float x, float y) : mX(x), mY(y) {}

    bool operator==(const FPoint& other) const = default;
};
