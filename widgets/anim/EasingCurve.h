#pragma once
// A time curve: maps a controller's normalised time (0 at the start, 1 at the end) to its
// progress. Controllers that start early or overrun evaluate outside [0, 1]; the formulas apply
// there unchanged. Owned by the controller or object that holds it.

class EasingCurve {
public:
    virtual ~EasingCurve() = default;
    // Not const: an expression curve writes its own copy of the variable "t". Main thread.
    virtual float Evaluate(float t) = 0;
};
