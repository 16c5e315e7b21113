#pragma once
// Drives properties by amounts along a curve of unlimited time: with a straight line each target
// moves at its amount per unit of time whatever the rate. Never finishes and does not count as
// animating; "propel" without "end".

#include <vector>

#include "widgets/anim/Controller.h"

class Propeller : public Controller {
public:
    // position is the starting time, rate the curve's speed per unit of time. A rate of 0 (or not
    // a finite number) is refused with a log line: the propeller then finishes at its first
    // update without touching anything.
    Propeller(AnimatedPropertyOwner* owner, std::string_view name,
              std::unique_ptr<EasingCurve> curve, float position, float rate, int flags);

    // Adds a target field with its amount (per unit of curve value).
    void AddTarget(float* field, float amount);
    // As AddTarget for the owner's property of that name; false, with a log line, when unknown.
    bool AddProperty(std::string_view property, float amount);

    bool Update(float dt) override;
    bool IsValid() const { return mValid; }

protected:
    Propeller(AnimatedPropertyOwner* owner, std::string_view name,
              std::unique_ptr<EasingCurve> curve, float position, float rate, int flags,
              bool counted);
    // Moves every target by its new offset; false when the propeller was refused.
    bool Advance(float dt);

    struct Target {
        float* field;
        float amount;
        float applied;
    };
    std::vector<Target> mTargets;

private:
    bool mValid = true;
};
