#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/VariableTable.h"
#include "widgets/anim/EasingCurveFactory.h"
#include "widgets/anim/EasingCurves.h"
#include "widgets/anim/GradientNoise.h"
#include "widgets/anim/Waves.h"
#include "widgets/script/AnimationCommand.h"
#include "widgets/script/ScriptParams.h"

namespace {

float Eval(std::string_view name, float t) {
    return MakeEasingCurve(name, nullptr, nullptr)->Evaluate(t);
}

struct CurveCase {
    const char* name;
    float at0;
    float atHalf;
    float at1;
};

TEST(EasingCurves, EveryNamedCurveAtStartMiddleAndEnd) {
    const CurveCase cases[] = {
        {"linear", 0.0f, 0.5f, 1.0f},
        {"", 0.0f, 0.5f, 1.0f},
        {"in_quad", 0.0f, 0.25f, 1.0f},
        {"in_cubic", 0.0f, 0.125f, 1.0f},
        {"in_quart", 0.0f, 0.0625f, 1.0f},
        {"in_quint", 0.0f, 0.03125f, 1.0f},
        {"in_sine", 0.0f, 0.29289322f, 1.0f},
        {"in_expo", 0.0f, 0.24025307f, 1.0f},  // (sqrt(10) - 1) / 9
        {"in_circ", 0.0f, 0.8660254f, 1.0f},
        {"in_back", 0.0f, -0.125f, 1.0f},        // 3/8 - 2/4
        {"in_elastic", 0.0f, 0.0070010f, 1.0f},  // 99/9999 * sin(6.25 pi)
        {"in_bounce", -0.0020958f, 0.2426407f, 1.0f},
        {"out_quad", 0.0f, 0.75f, 1.0f},
        {"out_cubic", 0.0f, 0.875f, 1.0f},
        {"in_out_quad", 0.0f, 0.5f, 1.0f},
        {"in_out_elastic", 0.0f, 0.5f, 1.0f},
        {"out_in_quad", 0.0f, 0.5f, 1.0f},
        {"out_in_bounce", 0.0f, 0.4989521f, 1.0f},  // 1 - (1 - bounce(0)) / 2
        {"t * t * 3", 0.0f, 0.75f, 3.0f},           // an expression in t
    };
    for (const CurveCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(Eval(c.name, 0.0f), c.at0, 2e-5f);
        EXPECT_NEAR(Eval(c.name, 0.5f), c.atHalf, 2e-5f);
        EXPECT_NEAR(Eval(c.name, 1.0f), c.at1, 2e-5f);
    }
}

TEST(EasingCurves, ShapesBetweenTheEnds) {
    EXPECT_NEAR(Eval("out_in_quad", 0.25f), 0.375f, 1e-6f);
    // InBack dips below 0 with its minimum near t = 0.44.
    float lowest = 1.0f;
    float where = 0.0f;
    for (int i = 0; i <= 100; ++i) {
        const float t = static_cast<float>(i) / 100.0f;
        const float v = Eval("in_back", t);
        if (v < lowest) {
            lowest = v;
            where = t;
        }
    }
    EXPECT_LT(lowest, 0.0f);
    EXPECT_NEAR(where, 0.44f, 0.015f);
    // The in-out form is continuous at its middle and symmetric about it.
    EXPECT_NEAR(Eval("in_out_cubic", 0.499f), Eval("in_out_cubic", 0.501f), 1e-2f);
    EXPECT_NEAR(Eval("in_out_cubic", 0.2f) + Eval("in_out_cubic", 0.8f), 1.0f, 1e-6f);
    // Outside [0, 1] the formulas apply unchanged.
    EXPECT_FLOAT_EQ(Eval("in_quad", -1.0f), 1.0f);
    EXPECT_FLOAT_EQ(Eval("in_quad", 2.0f), 4.0f);
}

TEST(EasingCurves, ParametersComeFromTheCommand) {
    AnimationCommand command;
    command.mParams = {{"base", "2"}, {"accel", "0"}, {"period", "1"}, {"fraction", "0.5"}};
    ExpressionEvaluator evaluator(nullptr);
    ScriptParams params(&command, &evaluator);
    EXPECT_NEAR(MakeEasingCurve("in_expo", &params, nullptr)->Evaluate(0.5f), 0.41421356f, 1e-6f);
    EXPECT_NEAR(MakeEasingCurve("in_back", &params, nullptr)->Evaluate(0.5f), 0.125f, 1e-6f);
    // base 2, omega = 2.5 pi: (sqrt 2 - 1) * (0.5 sin(1.25 pi) + 0.5)
    EXPECT_NEAR(MakeEasingCurve("in_elastic", &params, nullptr)->Evaluate(0.5f),
                0.41421356f * (0.5f * std::sin(1.25f * 3.14159265f) + 0.5f), 1e-5f);
}

TEST(EasingCurves, ExpressionCurveSeesACopyOfTheVariables) {
    VariableTable vars;
    vars.Set("k", ExprValue::FromInt(4));
    auto curve = MakeEasingCurve("t * k", nullptr, &vars);
    vars.Set("k", ExprValue::FromInt(100));  // later changes are not seen
    EXPECT_FLOAT_EQ(curve->Evaluate(0.5f), 2.0f);
    EXPECT_FALSE(vars.Find("t"));  // the caller's table is not written
}

TEST(EasingCurves, DivisionsByZeroGiveFiniteValues) {
    AnimationCommand command;
    ExpressionEvaluator evaluator(nullptr);
    ScriptParams params(&command, &evaluator);
    const char* bases[] = {"1", "0", "-3", "1/0", "1.0/0", "0.0/0"};
    for (const char* base : bases) {
        SCOPED_TRACE(base);
        command.mParams = {{"base", base}, {"period", "0"}};
        for (const char* name : {"in_expo", "in_elastic", "out_expo", "in_out_elastic"}) {
            auto curve = MakeEasingCurve(name, &params, nullptr);
            for (float t : {-1.0f, 0.0f, 0.25f, 0.5f, 1.0f, 3.0f}) {
                EXPECT_TRUE(std::isfinite(curve->Evaluate(t))) << name << " at " << t;
            }
        }
    }
    // A base of 1 is the straight line the formula tends to.
    command.mParams = {{"base", "1"}};
    EXPECT_FLOAT_EQ(MakeEasingCurve("in_expo", &params, nullptr)->Evaluate(0.3f), 0.3f);
    // The circle's radicand stays at or above 0 outside [0, 2].
    EXPECT_FLOAT_EQ(Eval("in_circ", -1.0f), 0.0f);
    EXPECT_FLOAT_EQ(Eval("in_circ", 3.0f), 0.0f);
    // An expression that yields no number gives 0.
    EXPECT_FLOAT_EQ(Eval("'word'", 0.5f), 0.0f);
}

TEST(Waves, SineAndZigZag) {
    SineWave sine;
    EXPECT_NEAR(sine.Evaluate(0.0), 0.0, 1e-9);
    EXPECT_NEAR(sine.Evaluate(0.25), 1.0, 1e-9);
    EXPECT_NEAR(sine.Evaluate(0.75), -1.0, 1e-9);
    ZigZagWave zigzag;
    const double phases[] = {0.0, 0.125, 0.25, 0.5, 0.75, 1.0, 1.25, -0.25, -0.5, -0.75, -1.25};
    const double values[] = {0.0, 0.5, 1.0, 0.0, -1.0, 0.0, 1.0, -1.0, 0.0, 1.0, -1.0};
    for (size_t i = 0; i < std::size(phases); ++i) {
        EXPECT_NEAR(zigzag.Evaluate(phases[i]), values[i], 1e-12) << phases[i];
    }
}

TEST(Waves, NoiseIsZeroAtIntegersAndBoundedElsewhere) {
    NoiseWave noise;
    for (int i = -4095; i < 600; i += 37) {
        EXPECT_EQ(noise.Evaluate(i), 0.0) << i;
    }
    bool someNonZero = false;
    for (int i = 0; i < 1000; ++i) {
        const double v = noise.Evaluate(i * 0.173 + 0.05);
        EXPECT_LE(std::fabs(v), 1.0);
        someNonZero |= v != 0.0;
    }
    EXPECT_TRUE(someNonZero);
    // Same phase, same value: the tables are made once.
    EXPECT_EQ(noise.Evaluate(12.34), noise.Evaluate(12.34));
    // Phases beyond the integer range and non-numbers are safe.
    EXPECT_TRUE(std::isfinite(noise.Evaluate(1.0e15)));
    EXPECT_EQ(noise.Evaluate(std::nan("")), 0.0);
    EXPECT_EQ(GradientNoise1D(INFINITY), 0.0f);
}

TEST(Waves, ExpressionWave) {
    VariableTable vars;
    vars.Set("scale", ExprValue::FromInt(3));
    ExpressionWave wave("t * scale", &vars);
    EXPECT_NEAR(wave.Evaluate(0.5), 1.5, 1e-6);
    EXPECT_NEAR(wave.Evaluate(-2.0), -6.0, 1e-6);
}

}  // namespace
