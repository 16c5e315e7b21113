#pragma once
// The waves of oscillations, chosen by the oscillate command's "curve": "sine", "zigzag",
// "noise", or an expression in t. The family of one-formula classes shares one header.

#include <string>

#include "app/expr/ExpressionEvaluator.h"
#include "app/expr/VariableTable.h"
#include "widgets/anim/OscillatingCurve.h"

// sin(2π·p), in double precision.
class SineWave final : public OscillatingCurve {
public:
    double Evaluate(double phase) override;
};

// A triangle through 0, 1, 0, -1 at phases 0, 0.25, 0.5, 0.75 of every unit, for negative phases
// too.
class ZigZagWave final : public OscillatingCurve {
public:
    double Evaluate(double phase) override;
};

// The gradient noise at the phase.
class NoiseWave final : public OscillatingCurve {
public:
    double Evaluate(double phase) override;
};

// An expression in t, evaluated with its own copy of the script variables in which "t" holds the
// phase. A value that is not a finite number gives 0.
class ExpressionWave final : public OscillatingCurve {
public:
    // vars may be null (no variables but t).
    ExpressionWave(std::string expression, const VariableTable* vars);
    ExpressionWave(const ExpressionWave&) = delete;
    ExpressionWave& operator=(const ExpressionWave&) = delete;
    double Evaluate(double phase) override;

private:
    std::string mExpression;
    VariableTable mVars;
    ExpressionEvaluator mEvaluator;
};
