#pragma once
// Keeps properties bound to expressions, re-evaluated at every update with the binder's own copy
// of the script variables; "time_ptr" in them is a handle of the binder's running time. Never
// finishes and does not count as animating; "bind".

#include <string>
#include <vector>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/VariableTable.h"
#include "widgets/anim/Controller.h"

class Binder final : public Controller {
public:
    // vars is copied (may be null).
    Binder(AnimatedPropertyOwner* owner, std::string_view name, const VariableTable* vars,
           int flags);
    ~Binder() override;

    // Binds field (owned by the owner, alive while the binder is) to the expression, evaluated
    // against the copied variables at each update.
    void AddTarget(float* field, std::string expression);
    // As AddTarget for the owner's property of that name; false, with a log line, when unknown.
    bool AddProperty(std::string_view property, std::string expression);
    // Binds the float field behind a "_ptr" handle, which may belong to another widget: it is
    // looked up at each update, so a field whose widget is gone is skipped, and its widget is
    // told of each write. False when the handle is not a live float field.
    bool AddHandle(int32_t handle, std::string expression);

    bool Update(float dt) override;
    const VariableTable& GetVariables() const { return mVars; }

private:
    struct Target {
        float* field;  // null for a handle target
        std::string expression;
        int32_t handle = 0;
    };
    std::vector<Target> mTargets;
    VariableTable mVars;
    ExpressionEvaluator mEvaluator;
};
