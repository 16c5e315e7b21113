#include "graphics/Rect.h"

#include <algorithm>

Rect Rect::Intersection(const Rect& other) const {
    int left = std::max(mX, other.mX);
    int top = std::max(mY, other.mY);
    int right = std::min(mX + mWidth, other.mX + other.mWidth);
    int bottom = std::min(mY + mHeight, other.mY + other.mHeight);
    if (right <= left || bottom <= top) {
        return Rect(left, top, 0, 0);
    }
    return Rect(left, top, right - left, bottom - top);
}
