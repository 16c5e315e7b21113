#pragma once
// An integer ratio such as a screen's aspect (4:3, 16:10), kept reduced.

class Ratio {
public:
    Ratio() = default;
    Ratio(int width, int height) { Set(width, height); }

    // Sets width:height reduced by their greatest common divisor, with a non-negative
    // denominator where it fits an int. 0:0 stays 0:0 (no division by zero); w:0 becomes 1:0 or
    // -1:0.
    void Set(int width, int height);

    bool operator==(const Ratio& other) const = default;

    int mNumerator = 1;
    int mDenominator = 1;
};
