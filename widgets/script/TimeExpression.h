#pragma once
// An expression in t, the body of the expression easing curves and waves: evaluated with its own
// copy of the script variables, in which "t" is set before each evaluation, so that later changes
// to the script's table are not seen and the script's table is never written. Main thread.

#include <string>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/VariableTable.h"

class TimeExpression {
public:
    // vars may be null (no variables but t); the table is copied.
    TimeExpression(std::string expression, const VariableTable* vars);
    TimeExpression(const TimeExpression&) = delete;
    TimeExpression& operator=(const TimeExpression&) = delete;

    // The value with "t" set to t; 0 when it is not a finite number.
    float Evaluate(float t);

private:
    std::string mExpression;
    VariableTable mVars;
    ExpressionEvaluator mEvaluator;
};
