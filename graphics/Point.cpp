#include "graphics/Point.h"

#include <cmath>

#include "graphics/FPoint.h"

Point Point::FromFPoint(const FPoint& p) {
    return Point(int(std::lround(p.mX)), int(std::lround(p.mY)));
}
