#pragma once
// A wave: maps an unbounded phase to an offset in about [-1, 1], for oscillations. Owned by the
// oscillation that holds it.

class OscillatingCurve {
public:
    virtual ~OscillatingCurve() = default;
    // Not const: an expression wave writes its own copy of the variable "t". Main thread.
    virtual double Evaluate(double phase) = 0;
};
