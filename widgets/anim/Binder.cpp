#include "widgets/anim/Binder.h"

#include "core/expr/FieldRegistry.h"

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

bool Binder::Update(float dt) {
    mPosition += dt;
    for (const Target& target : mTargets) {
        Write(target.field, mEvaluator.Evaluate(target.expression).AsReal());
    }
    NotifyOwner();
    return false;
}
