#pragma once
// A named, time-driven animator of an owner's float properties. The owner keeps its controllers
// in a name-keyed table, updates them with the elapsed time of each float update (1.0 per fixed
// update in the usual case) and deletes each one whose Update reports it finished.
//
// No controller ever writes a value that is not a finite number: such a value is dropped with a
// log line and the property keeps what it had.

#include <memory>
#include <string>
#include <string_view>

#include "widgets/anim/EasingCurve.h"

class AnimatedPropertyOwner;

class Controller {
public:
    virtual ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // Advances by dt and writes the targets; true when finished (the owner then deletes it).
    virtual bool Update(float dt) = 0;
    // True when the controller writes this field; only tweens answer, since "set" and "change"
    // end the tweens running on the properties they touch.
    virtual bool HasTarget(const float* field) const;
    // Stops writing the field; true when the controller has no target left (the owner then
    // deletes it). Only tweens drop targets.
    virtual bool DropTarget(const float* field);

    const std::string& GetName() const { return mName; }
    bool IsCounted() const { return mCounted; }
    float GetPosition() const { return mPosition; }
    float GetRate() const { return mRate; }
    int GetFlags() const { return mFlags; }
    AnimatedPropertyOwner* GetOwner() const { return mOwner; }

    // The next generated name "controller<n>", n counting from 0 per process.
    static std::string NextGeneratedName();

protected:
    // owner is not owned and outlives the controller; an empty name takes a generated one; curve
    // may be null (straight line).
    Controller(AnimatedPropertyOwner* owner, std::string_view name, bool counted,
               std::unique_ptr<EasingCurve> curve, int flags);

    // The owner's field of that property name, ORing its flags into this controller's; null, with
    // a log line, for a name the owner does not animate.
    float* FindTarget(std::string_view property);
    float EvaluateCurve(float t);
    // Writes value when it is a finite number; otherwise keeps the field and logs once.
    void Write(float* field, float value);
    void NotifyOwner();

    AnimatedPropertyOwner* mOwner;
    std::unique_ptr<EasingCurve> mCurve;
    float mPosition = 0.0f;
    float mRate = 0.0f;
    int mFlags;

private:
    std::string mName;
    bool mCounted;
    bool mReportedBadValue = false;
};
