#pragma once
// A propeller that stops when a target reaches its limit ("propel" with "end"), optionally
// snapping every target onto its limit. Counts as animating.

#include <vector>

#include "widgets/anim/Propeller.h"

class TerminalPropeller final : public Propeller {
public:
    // As Propeller; snap sets every target to its limit on arrival.
    TerminalPropeller(AnimatedPropertyOwner* owner, std::string_view name,
                      std::unique_ptr<EasingCurve> curve, float position, float rate, bool snap,
                      int flags);

    // Adds a target with its amount and limit; the target rises towards the limit when it starts
    // below it.
    void AddTarget(float* field, float amount, float limit);
    bool AddProperty(std::string_view property, float amount, float limit);

    bool Update(float dt) override;

private:
    struct Limit {
        float limit;
        bool rising;
    };
    std::vector<Limit> mLimits;  // parallel to the base's targets
    bool mSnap;
};
