#pragma once
// An integer point.

class FPoint;

class Point {
public:
    int mX = 0;
    int mY = 0;

    constexpr Point() = default;
    constexpr Point(int x, int y) : mX(x), mY(y) {}
    // Rounded to the nearest integers (halves away from zero).
    static Point FromFPoint(const FPoint& p);

    bool operator==(const Point& other) const = default;
};
