#pragma once
// A named clamp that holds properties between limits. The owner restores the saved values before
// its controllers run and clamps again after, so controllers keep moving the unclamped value.

#include <string>
#include <string_view>
#include <vector>

class AnimatedPropertyOwner;

class PropertyClamp {
public:
    // owner is not owned and outlives it; an empty name takes a generated one. Main thread.
    PropertyClamp(AnimatedPropertyOwner* owner, std::string_view name, int flags);

    // Adds a target field with its limits (the maximum wins when minimum > maximum).
    void AddTarget(float* field, float minimum, float maximum);
    // As AddTarget for the owner's property of that name; false, with a log line, when unknown.
    bool AddProperty(std::string_view property, float minimum, float maximum);

    // Saves each value, then clamps it.
    void Apply();
    // Writes the saved values back.
    void Restore();

    const std::string& GetName() const { return mName; }
    int GetFlags() const { return mFlags; }

    // The next generated name "clamp<n>", n counting from 0 per process.
    static std::string NextGeneratedName();

private:
    struct Target {
        float* field;
        float minimum;
        float maximum;
        float saved;
    };
    AnimatedPropertyOwner* mOwner;
    std::string mName;
    int mFlags;
    std::vector<Target> mTargets;
};
