#pragma once
// A named wave-shaped offset on top of properties' base values. The owner takes the offsets off
// before its controllers run and puts them back after, so they never accumulate.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/anim/OscillatingCurve.h"

class AnimatedPropertyOwner;

class PropertyOscillation {
public:
    // The oscillation, or null (with a log line) when period is 0 or not a finite number, since
    // its rate is 1 / period. owner is not owned and outlives it; an empty name takes a generated
    // one; phase is the starting phase in wave cycles. Main thread.
    static std::unique_ptr<PropertyOscillation> Create(AnimatedPropertyOwner* owner,
                                                       std::string_view name,
                                                       std::unique_ptr<OscillatingCurve> wave,
                                                       double phase, double period, int flags);

    // Adds a target field with its amplitude.
    void AddTarget(float* field, float amplitude);
    // As AddTarget for the owner's property of that name; false, with a log line, when unknown.
    bool AddProperty(std::string_view property, float amplitude);

    // Moves the phase on by dt and adds the new offsets.
    void Advance(double dt);
    // Takes the applied offsets back off.
    void Remove();

    const std::string& GetName() const { return mName; }
    double GetPhase() const { return mPhase; }
    double GetRate() const { return mRate; }
    int GetFlags() const { return mFlags; }

    // The next generated name "oscillation<n>", n counting from 0 per process.
    static std::string NextGeneratedName();

private:
    PropertyOscillation(AnimatedPropertyOwner* owner, std::string_view name,
                        std::unique_ptr<OscillatingCurve> wave, double phase, double rate,
                        int flags);

    struct Target {
        float* field;
        float amplitude;
        float applied;
    };
    AnimatedPropertyOwner* mOwner;
    std::string mName;
    std::unique_ptr<OscillatingCurve> mWave;
    double mPhase;
    double mRate;
    int mFlags;
    std::vector<Target> mTargets;
};
