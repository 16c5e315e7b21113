#include "widgets/script/TimeExpression.h"

#include <cmath>

#include "core/expr/ExprValue.h"

TimeExpression::TimeExpression(std::string expression, const VariableTable* vars)
    : mExpression(std::move(expression)), mEvaluator(&mVars) {
    if (vars != nullptr) {
        mVars = *vars;
    }
    mVars.Set("t", ExprValue::FromFloat(0.0f));
}

float TimeExpression::Evaluate(float t) {
    *mVars.FindMutable("t") = ExprValue::FromFloat(t);
    const float value = mEvaluator.Evaluate(mExpression).AsReal();
    return std::isfinite(value) ? value : 0.0f;
}
