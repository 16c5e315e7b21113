#include "widgets/anim/Binder.h"

#include "core/expr/FieldRegistry.h"
#include "core/expr/LiveObjectRegistry.h"
#include "widgets/Widget.h"
#include "widgets/anim/AnimatedPropertyOwner.h"

Binder::Binder(AnimatedPropertyOwner* owner, std::string_view name, const VariableTable* vars,
               int flags)
    : Controller(owner, name, false, nullptr, flags), mEvaluator(&mVars) {
    if (vars != nullptr) {
        mVars = *vars;
    }
    ExprValue handle;
    handle.SetIntFromPointer(&mPosition, this);
    mVars.Set("time_ptr", std::move(handle));
}

Binder::~Binder() {
    FieldRegistry::UnregisterOwner(this);
}

void Binder::AddTarget(float* field, std::string expression) {
    mTargets.push_back({field, std::move(expression)});
}

bool Binder::AddProperty(std::string_view property, std::string expression) {
    float* field = FindTarget(property);
    if (field == nullptr) {
        return false;
    }
    AddTarget(field, std::move(expression));
    return true;
}

bool Binder::AddHandle(int32_t handle, std::string expression) {
    if (FieldRegistry::GetFloat(handle) == nullptr) {
        return false;
    }
    mTargets.push_back({nullptr, std::move(expression), handle});
    return true;
}

bool Binder::Update(float dt) {
    mPosition += dt;
    for (const Target& target : mTargets) {
        if (target.handle == 0) {
            Write(target.field, mEvaluator.Evaluate(target.expression).AsReal());
            continue;
        }
        float* field = FieldRegistry::GetFloat(target.handle);
        if (field == nullptr) {
            continue;  // its widget is gone
        }
        Write(field, mEvaluator.Evaluate(target.expression).AsReal());
        // Another widget's field: that widget redraws and rebuilds its transform. The fields
        // behind handles are registered under the widget itself.
        const void* owner = FieldRegistry::GetOwner(target.handle);
        if (owner != nullptr && owner != dynamic_cast<const void*>(mOwner)) {
            Widget* widget = LiveObjectRegistry::ResolveWidget(
                LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, owner));
            if (auto* animated = dynamic_cast<AnimatedPropertyOwner*>(widget)) {
                animated->PropertiesChanged(kChangedPosition | kChangedTransform | kChangedColor |
                                            kChangedClip);
            }
        }
    }
    NotifyOwner();
    return false;
}
