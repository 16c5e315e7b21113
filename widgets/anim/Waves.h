#pragma once
// The waves of oscillations, chosen by the oscillate command's "curve": "sine", "zigzag",
// "noise", or an expression in t. The family of one-formula classes shares one header.

#include <string>
#include <utility>

#include "core/expr/VariableTable.h"
#include "widgets/anim/OscillatingCurve.h"
#include "widgets/script/TimeExpression.h"

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

// An expression in t, with t holding the phase (in single precision, as every script number).
// A value that is not a finite number gives 0.
class ExpressionWave final : public OscillatingCurve {
public:
    // vars may be null (no variables but t); the table is copied.
    ExpressionWave(std::string expression, const VariableTable* vars)
        : mExpression(std::move(expression), vars) {}
    double Evaluate(double phase) override {
        return mExpression.Evaluate(static_cast<float>(phase));
    }

private:
    TimeExpression mExpression;
};
