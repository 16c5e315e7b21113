#pragma once
// The family of easing curves that scripts choose by name (see MakeEasingCurve) and that the
// game's code builds directly (Linear, ParabolicCurve). Each is a single formula, so the family
// shares one header. The sines, cosines and powers work in single precision.
//
// Divisions by zero are guarded: an exponential base of 1 gives the straight line that the
// formula tends to, and radicands below 0 (time outside [0, 2]) are taken as 0.

#include <memory>
#include <string>
#include <utility>

#include "core/expr/VariableTable.h"
#include "widgets/anim/EasingCurve.h"
#include "widgets/script/TimeExpression.h"

class Linear final : public EasingCurve {
public:
    float Evaluate(float t) override { return t; }
};

// a·t² + b·t + c.
class ParabolicCurve final : public EasingCurve {
public:
    ParabolicCurve(float a, float b, float c) : mA(a), mB(b), mC(c) {}
    float Evaluate(float t) override { return mA * t * t + mB * t + mC; }

private:
    float mA, mB, mC;
};

class InQuad final : public EasingCurve {
public:
    float Evaluate(float t) override { return t * t; }
};

class InCubic final : public EasingCurve {
public:
    float Evaluate(float t) override { return t * t * t; }
};

class InQuart final : public EasingCurve {
public:
    float Evaluate(float t) override;
};

class InQuint final : public EasingCurve {
public:
    float Evaluate(float t) override;
};

class InSine final : public EasingCurve {
public:
    float Evaluate(float t) override;
};

// (base^t - 1) / (base - 1). A base that is not a finite positive number is replaced by the
// default 10; a base of 1 gives t.
class InExpo final : public EasingCurve {
public:
    explicit InExpo(float base);
    float Evaluate(float t) override;

private:
    float mBase;
};

// sqrt(1 - (1 - t)²), the radicand held at 0 or above.
class InCirc final : public EasingCurve {
public:
    float Evaluate(float t) override;
};

// (s + 1)·t³ - s·t².
class InBack final : public EasingCurve {
public:
    explicit InBack(float accel) : mAccel(accel) {}
    float Evaluate(float t) override;

private:
    float mAccel;
};

// The exponential of InExpo times (fraction·sin(ω·t) + 1 - fraction).
class InElastic final : public EasingCurve {
public:
    InElastic(float base, float omega, float fraction);
    float Evaluate(float t) override;

private:
    InExpo mExpo;
    float mOmega;
    float mFraction;
};

class InBounce final : public EasingCurve {
public:
    float Evaluate(float t) override;
};

// 1 - inner(1 - t).
class OutCurve final : public EasingCurve {
public:
    explicit OutCurve(std::unique_ptr<EasingCurve> inner) : mInner(std::move(inner)) {}
    float Evaluate(float t) override { return 1.0f - mInner->Evaluate(1.0f - t); }

private:
    std::unique_ptr<EasingCurve> mInner;
};

// The inner curve over the first half, mirrored over the second.
class InOutCurve final : public EasingCurve {
public:
    explicit InOutCurve(std::unique_ptr<EasingCurve> inner) : mInner(std::move(inner)) {}
    float Evaluate(float t) override;

private:
    std::unique_ptr<EasingCurve> mInner;
};

// The InOutCurve of an OutCurve of the inner curve.
class OutInCurve final : public EasingCurve {
public:
    explicit OutInCurve(std::unique_ptr<EasingCurve> inner);
    float Evaluate(float t) override { return mInOut.Evaluate(t); }

private:
    InOutCurve mInOut;
};

// An expression in t. A value that is not a finite number gives 0.
class ExpressionCurve final : public EasingCurve {
public:
    // vars may be null (no variables but t); the table is copied.
    ExpressionCurve(std::string expression, const VariableTable* vars)
        : mExpression(std::move(expression), vars) {}
    float Evaluate(float t) override { return mExpression.Evaluate(t); }

private:
    TimeExpression mExpression;
};
