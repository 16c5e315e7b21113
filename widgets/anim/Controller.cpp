#include "widgets/anim/Controller.h"

#include <atomic>
#include <cmath>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "widgets/anim/AnimatedPropertyOwner.h"

std::string Controller::NextGeneratedName() {
    static std::atomic<int> counter{0};
    return StrFormat("controller%d", counter.fetch_add(1));
}

Controller::Controller(AnimatedPropertyOwner* owner, std::string_view name, bool counted,
                       std::unique_ptr<EasingCurve> curve, int flags)
    : mOwner(owner),
      mCurve(std::move(curve)),
      mFlags(flags),
      mName(name.empty() ? NextGeneratedName() : std::string(name)),
      mCounted(counted) {
    if (mCounted) {
        mOwner->ChangeCountedControllers(1);
    }
}

Controller::~Controller() {
    if (mCounted) {
        mOwner->ChangeCountedControllers(-1);
    }
}

bool Controller::HasTarget(const float* field) const {
    (void)field;
    return false;
}

bool Controller::DropTarget(const float* field) {
    (void)field;
    return false;
}

float* Controller::FindTarget(std::string_view property) {
    return mOwner->FindPropertyFor("Controller", mName, property, mFlags);
}

float Controller::EvaluateCurve(float t) {
    return mCurve ? mCurve->Evaluate(t) : t;
}

void Controller::Write(float* field, float value) {
    if (std::isfinite(value)) {
        *field = value;
        return;
    }
    if (!mReportedBadValue) {
        mReportedBadValue = true;
        LogWarning("Controller \"%s\": a value that is not a number was not written",
                   mName.c_str());
    }
}

void Controller::NotifyOwner() {
    mOwner->PropertiesChanged(mFlags);
}
