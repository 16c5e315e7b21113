#pragma once
// Moves properties from their start to their end values along a curve over a duration. Counts
// as animating. Behind "change", TweenNamedFloat and jumps.

#include <vector>

#include "widgets/anim/Controller.h"

class Tweener final : public Controller {
public:
    // duration and elapsed are in units of the owner's clock; a duration of 0 or less runs at
    // rate 1 from position 0 (it takes one unit of time). curve may be null (straight line).
    Tweener(AnimatedPropertyOwner* owner, std::string_view name, std::unique_ptr<EasingCurve> curve,
            float duration, float elapsed, int flags);

    // Adds a target field (of the owner) with its start and end values.
    void AddTarget(float* field, float start, float end);
    // Adds the owner's property of that name from its current value to end; false, with a log
    // line, when the owner has no such property.
    bool AddProperty(std::string_view property, float end);

    bool Update(float dt) override;
    bool HasTarget(const float* field) const override;
    bool DropTarget(const float* field) override;
    size_t GetTargetCount() const { return mTargets.size(); }

private:
    struct Target {
        float* field;
        float start;
        float end;
    };
    std::vector<Target> mTargets;
};
