#pragma once
// An integer rectangle: position and size. Right and bottom edges are exclusive.

class Rect {
public:
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;

    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height)
        : mX(x), mY(y), mWidth(width), mHeight(height) {}

    bool IsEmpty() const { return mWidth <= 0 || mHeight <= 0; }
    bool Contains(int x, int y) const {
        return x >= mX && y >= mY && x < mX + mWidth && y < mY + mHeight;
    }
    // The common part of two rectangles; an empty rectangle (size 0) when they do not meet.
    Rect Intersection(const Rect& other) const;
    bool NotEquals(const Rect& other) const { return !(*this == other); }
    bool operator==(const Rect& other) const = default;
};
