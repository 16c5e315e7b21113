#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "FakeOwner.h"
#include "core/expr/FieldRegistry.h"
#include "core/expr/VariableTable.h"
#include "widgets/anim/Binder.h"
#include "widgets/anim/Circler.h"
#include "widgets/anim/EasingCurves.h"
#include "widgets/anim/Propeller.h"
#include "widgets/anim/PropertyClamp.h"
#include "widgets/anim/PropertyModifiers.h"
#include "widgets/anim/PropertyOscillation.h"
#include "widgets/anim/Shearer.h"
#include "widgets/anim/TerminalPropeller.h"
#include "widgets/anim/Tweener.h"
#include "widgets/anim/Waves.h"
#include "widgets/script/ScriptParams.h"

namespace {

class NotANumberCurve final : public EasingCurve {
public:
    float Evaluate(float) override { return std::numeric_limits<float>::quiet_NaN(); }
};

TEST(Tweener, MovesAlongItsCurveOverTheFakeClockAndCounts) {
    FakeOwner owner;
    {
        Tweener tween(&owner, "move", nullptr, 4.0f, 0.0f, 0);
        ASSERT_TRUE(tween.AddProperty("x", 8.0f));
        EXPECT_FALSE(tween.AddProperty("no_such_property", 1.0f));
        EXPECT_EQ(tween.GetTargetCount(), 1u);
        EXPECT_EQ(owner.GetCountedControllers(), 1);
        const float expected[] = {2.0f, 4.0f, 6.0f, 8.0f};
        for (int step = 0; step < 4; ++step) {
            const bool finished = tween.Update(1.0f);
            EXPECT_FLOAT_EQ(owner.x, expected[step]);
            EXPECT_EQ(finished, step == 3);
        }
        EXPECT_EQ(owner.changedFlags, kChangedPosition);
    }
    EXPECT_EQ(owner.GetCountedControllers(), 0);

    // A curve and a starting clock: elapsed 2 of 4 with in_quad goes 0.75² of the way at once.
    owner.y = 10.0f;
    Tweener eased(&owner, "", std::make_unique<InQuad>(), 4.0f, 2.0f, 0);
    eased.AddProperty("y", 20.0f);
    eased.Update(1.0f);
    EXPECT_FLOAT_EQ(owner.y, 10.0f + 10.0f * 0.5625f);
}

TEST(Tweener, ZeroDurationRunsAtRateOne) {
    FakeOwner owner;
    Tweener tween(&owner, "", nullptr, 0.0f, 5.0f, 0);
    tween.AddProperty("x", 3.0f);
    EXPECT_FLOAT_EQ(tween.GetRate(), 1.0f);
    EXPECT_FALSE(tween.Update(0.5f));
    EXPECT_FLOAT_EQ(owner.x, 1.5f);
    EXPECT_TRUE(tween.Update(0.5f));
    EXPECT_FLOAT_EQ(owner.x, 3.0f);
}

TEST(Controller, UnnamedOnesAreNumberedFromOneProcessWideCounter) {
    FakeOwner owner;
    Tweener first(&owner, "", nullptr, 1.0f, 0.0f, 0);
    Propeller second(&owner, "", nullptr, 0.0f, 1.0f, 0);
    ASSERT_EQ(first.GetName().rfind("controller", 0), 0u);
    const int n = std::stoi(first.GetName().substr(10));
    EXPECT_GE(n, 0);
    EXPECT_EQ(second.GetName(), "controller" + std::to_string(n + 1));
    Tweener named(&owner, "mine", nullptr, 1.0f, 0.0f, 0);
    EXPECT_EQ(named.GetName(), "mine");

    auto a = PropertyOscillation::Create(&owner, "", std::make_unique<SineWave>(), 0, 1, 0);
    auto b = PropertyOscillation::Create(&owner, "", std::make_unique<SineWave>(), 0, 1, 0);
    const int m = std::stoi(a->GetName().substr(11));
    EXPECT_EQ(b->GetName(), "oscillation" + std::to_string(m + 1));
    PropertyClamp c(&owner, "", 0);
    PropertyClamp d(&owner, "", 0);
    const int k = std::stoi(c.GetName().substr(5));
    EXPECT_EQ(d.GetName(), "clamp" + std::to_string(k + 1));
}

TEST(Controller, NeverWritesAValueThatIsNotANumber) {
    FakeOwner owner;
    owner.x = 7.0f;
    Tweener tween(&owner, "", std::make_unique<NotANumberCurve>(), 2.0f, 0.0f, 0);
    tween.AddProperty("x", 10.0f);
    tween.Update(1.0f);
    EXPECT_FLOAT_EQ(owner.x, 7.0f);
    tween.Update(1.0f);
    EXPECT_FLOAT_EQ(owner.x, 7.0f);

    Propeller propeller(&owner, "", std::make_unique<NotANumberCurve>(), 0.0f, 1.0f, 0);
    propeller.AddProperty("x", 1.0f);
    propeller.Update(1.0f);
    EXPECT_FLOAT_EQ(owner.x, 7.0f);
}

TEST(Circler, SweepsAboutTheCentre) {
    FakeOwner owner;
    owner.x = 10.0f;
    owner.y = 0.0f;
    Circler circle(&owner, "", nullptr, 0, 0, 90.0f, 2.0f, 0);
    EXPECT_FLOAT_EQ(circle.GetRadius(), 10.0f);
    EXPECT_FLOAT_EQ(circle.GetStartAngle(), 0.0f);
    EXPECT_EQ(owner.GetCountedControllers(), 1);
    EXPECT_FALSE(circle.Update(1.0f));
    EXPECT_NEAR(owner.x, 7.0710678f, 1e-4f);
    EXPECT_NEAR(owner.y, -7.0710678f, 1e-4f);  // positive angles point up the screen
    EXPECT_TRUE(circle.Update(1.0f));
    EXPECT_NEAR(owner.x, 0.0f, 1e-4f);
    EXPECT_NEAR(owner.y, -10.0f, 1e-4f);
}

TEST(Circler, ZeroOrNegativeDurationEndsAtOnceAtTheEndAngle) {
    for (float duration : {0.0f, -5.0f}) {
        FakeOwner owner;
        owner.x = 0.0f;
        owner.y = 5.0f;  // angle -90 (below the centre)
        Circler circle(&owner, "", nullptr, 0, 0, 180.0f, duration, 0);
        EXPECT_TRUE(circle.Update(1.0f));
        EXPECT_NEAR(owner.x, 0.0f, 1e-4f);
        EXPECT_NEAR(owner.y, -5.0f, 1e-4f);
    }
}

TEST(Propeller, MovesAtItsAmountPerUnitWhateverTheRateAndNeverEnds) {
    FakeOwner owner;
    Propeller propeller(&owner, "", nullptr, 0.0f, 0.01f, 0);
    propeller.AddProperty("x", 3.0f);
    EXPECT_EQ(owner.GetCountedControllers(), 0);
    for (int step = 1; step <= 50; ++step) {
        EXPECT_FALSE(propeller.Update(1.0f));
    }
    EXPECT_NEAR(owner.x, 150.0f, 1e-2f);

    // A starting position counts as already applied: the target is not jumped.
    FakeOwner other;
    Propeller late(&other, "", nullptr, 0.5f, 1.0f, 0);
    late.AddProperty("x", 4.0f);
    late.Update(1.0f);
    EXPECT_FLOAT_EQ(other.x, 4.0f);
}

TEST(Propeller, RateOfZeroIsRefusedAndStopsAtOnce) {
    FakeOwner owner;
    owner.x = 1.0f;
    Propeller propeller(&owner, "", nullptr, 0.0f, 0.0f, 0);
    propeller.AddProperty("x", 3.0f);
    EXPECT_FALSE(propeller.IsValid());
    EXPECT_TRUE(propeller.Update(1.0f));
    EXPECT_FLOAT_EQ(owner.x, 1.0f);

    TerminalPropeller terminal(&owner, "", nullptr, 0.0f, 0.0f, true, 0);
    terminal.AddProperty("x", 3.0f, 10.0f);
    EXPECT_TRUE(terminal.Update(1.0f));
    EXPECT_FLOAT_EQ(owner.x, 1.0f);
}

TEST(TerminalPropeller, StopsAtItsLimitAndSnaps) {
    FakeOwner owner;
    {
        TerminalPropeller propeller(&owner, "", nullptr, 0.0f, 1.0f, true, 0);
        propeller.AddProperty("x", 3.0f, 10.0f);
        propeller.AddProperty("y", -1.0f, -100.0f);
        EXPECT_EQ(owner.GetCountedControllers(), 1);
        int steps = 0;
        while (!propeller.Update(1.0f)) {
            ASSERT_LT(++steps, 10);
        }
        EXPECT_EQ(steps, 3);  // 3, 6, 9, then 12 passes 10
        EXPECT_FLOAT_EQ(owner.x, 10.0f);
        EXPECT_FLOAT_EQ(owner.y, -100.0f);  // snapping sets every target
    }
    EXPECT_EQ(owner.GetCountedControllers(), 0);

    FakeOwner falling;
    falling.y = 10.0f;
    TerminalPropeller down(&falling, "", nullptr, 0.0f, 1.0f, false, 0);
    down.AddProperty("y", -4.0f, 0.0f);
    while (!down.Update(1.0f)) {
    }
    EXPECT_FLOAT_EQ(falling.y, -2.0f);  // without snap it stays where it passed the limit
}

TEST(Shearer, SpeedZeroSetsAtOnceAndNotGivenKeepsTheValue) {
    FakeOwner owner;
    owner.shearY = 4.0f;
    owner.shearYOffset = 9.0f;
    Shearer shear(&owner, "", 2.0f, kNotGiven, 1.0f, kNotGiven, 0.0f, 0.0f, 1.0f, 0);
    EXPECT_FLOAT_EQ(owner.shearX, 2.0f);
    EXPECT_FLOAT_EQ(owner.shearY, 4.0f);
    EXPECT_FLOAT_EQ(owner.shearXOffset, 1.0f);
    EXPECT_FLOAT_EQ(owner.shearYOffset, 9.0f);
    EXPECT_TRUE(shear.Update(1.0f));
}

TEST(Shearer, TopSpeedAccelerationAndArrival) {
    FakeOwner owner;
    Shearer shear(&owner, "", 5.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0.0f, 1.0f, 0);
    EXPECT_FALSE(shear.Update(1.0f));
    EXPECT_FLOAT_EQ(owner.shearX, 2.0f);
    EXPECT_FALSE(shear.Update(1.0f));
    EXPECT_FLOAT_EQ(owner.shearX, 4.0f);
    EXPECT_TRUE(shear.Update(1.0f));
    EXPECT_FLOAT_EQ(owner.shearX, 5.0f);

    FakeOwner accelerating;
    Shearer fast(&accelerating, "", -6.0f, 0.0f, 0.0f, 0.0f, 3.0f, 1.0f, 1.0f, 0);
    const float expected[] = {-1.0f, -3.0f, -6.0f};  // speed 1, 2, then 3 (top) arriving
    for (int step = 0; step < 3; ++step) {
        const bool finished = fast.Update(1.0f);
        EXPECT_FLOAT_EQ(accelerating.shearX, expected[step]);
        EXPECT_EQ(finished, step == 2);
    }
    // Damping below 1 with no acceleration slows down until the speed is negligible, then stops.
    FakeOwner damped;
    Shearer slow(&damped, "", 1000.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0);
    int steps = 0;
    while (!slow.Update(1.0f)) {
        ASSERT_LT(++steps, 100);
    }
    EXPECT_NEAR(damped.shearX, 1.0f, 1e-3f);  // 0.5 + 0.25 + ...
}

TEST(Binder, KeepsPropertiesOnTheirExpressions) {
    FakeOwner owner;
    VariableTable vars;
    vars.Set("base", ExprValue::FromInt(40));
    Binder binder(&owner, "bind", &vars, 0);
    EXPECT_TRUE(binder.AddProperty("x", "base + 2"));
    EXPECT_EQ(owner.GetCountedControllers(), 0);
    EXPECT_FALSE(binder.Update(1.0f));
    EXPECT_FLOAT_EQ(owner.x, 42.0f);
    EXPECT_FLOAT_EQ(binder.GetPosition(), 1.0f);
    // "time_ptr" designates the binder's own running time.
    const ExprValue* handle = binder.GetVariables().Find("time_ptr");
    ASSERT_NE(handle, nullptr);
    const float* time = FieldRegistry::GetFloat(handle->AsInt());
    ASSERT_NE(time, nullptr);
    binder.Update(1.0f);
    EXPECT_FLOAT_EQ(*time, 2.0f);
}

TEST(PropertyModifiers, OscillationRidesOnTopOfTheTweenedBase) {
    FakeOwner owner;
    owner.x = 100.0f;
    PropertyModifiers modifiers;
    auto wave =
        PropertyOscillation::Create(&owner, "wobble", std::make_unique<ZigZagWave>(), 0.0, 4.0, 0);
    ASSERT_TRUE(wave);
    wave->AddProperty("x", 10.0f);
    modifiers.AddOscillation(std::move(wave));
    EXPECT_FLOAT_EQ(owner.x, 100.0f);  // phase 0

    auto tween = std::make_unique<Tweener>(&owner, "move", nullptr, 2.0f, 0.0f, 0);
    tween->AddProperty("x", 200.0f);
    modifiers.AddController(std::move(tween));
    modifiers.Update(1.0f);  // base 150, phase 0.25: +10
    EXPECT_FLOAT_EQ(owner.x, 160.0f);
    modifiers.Update(1.0f);  // base 200 (tween done), phase 0.5: 0
    EXPECT_FLOAT_EQ(owner.x, 200.0f);
    EXPECT_FALSE(modifiers.HasController("move"));
    modifiers.Update(1.0f);  // phase 0.75: -10
    EXPECT_FLOAT_EQ(owner.x, 190.0f);

    // Stopping without undo leaves the last offset; with undo the base comes back.
    modifiers.StopOscillation("wobble", false);
    EXPECT_FLOAT_EQ(owner.x, 190.0f);
    wave =
        PropertyOscillation::Create(&owner, "wobble", std::make_unique<ZigZagWave>(), 0.25, 4.0, 0);
    wave->AddProperty("x", 10.0f);
    modifiers.AddOscillation(std::move(wave));
    EXPECT_FLOAT_EQ(owner.x, 200.0f);
    modifiers.StopOscillation("wobble", true);
    EXPECT_FLOAT_EQ(owner.x, 190.0f);
}

TEST(PropertyModifiers, ClampHoldsTheValueWhileTheBaseMovesOn) {
    FakeOwner owner;
    PropertyModifiers modifiers;
    auto clamp = std::make_unique<PropertyClamp>(&owner, "hold", 0);
    clamp->AddProperty("x", 0.0f, 5.0f);
    modifiers.AddClamp(std::move(clamp));
    auto tween = std::make_unique<Tweener>(&owner, "", nullptr, 10.0f, 0.0f, 0);
    tween->AddProperty("x", 10.0f);
    modifiers.AddController(std::move(tween));
    for (int step = 0; step < 8; ++step) {
        modifiers.Update(1.0f);
        EXPECT_LE(owner.x, 5.0f);
    }
    EXPECT_FLOAT_EQ(owner.x, 5.0f);
    modifiers.StopClamp("hold", true);
    EXPECT_FLOAT_EQ(owner.x, 8.0f);  // the tween went on underneath

    // Two clamps on one property: the base value comes back whole when both are taken off.
    modifiers.ClearControllers();
    owner.x = 20.0f;
    auto low = std::make_unique<PropertyClamp>(&owner, "a", 0);
    low->AddProperty("x", 0.0f, 10.0f);
    modifiers.AddClamp(std::move(low));
    auto lower = std::make_unique<PropertyClamp>(&owner, "b", 0);
    lower->AddProperty("x", 0.0f, 6.0f);
    modifiers.AddClamp(std::move(lower));
    EXPECT_FLOAT_EQ(owner.x, 6.0f);
    modifiers.Update(1.0f);
    modifiers.ClearClamps(true);
    EXPECT_FLOAT_EQ(owner.x, 20.0f);

    // Minimum above maximum: the maximum wins.
    FakeOwner other;
    other.x = 4.0f;
    PropertyClamp odd(&other, "", 0);
    odd.AddProperty("x", 5.0f, 3.0f);
    odd.Apply();
    EXPECT_FLOAT_EQ(other.x, 3.0f);
    odd.Restore();
    EXPECT_FLOAT_EQ(other.x, 4.0f);
}

TEST(PropertyModifiers, ControllersByNameAndTweenDropping) {
    FakeOwner owner;
    PropertyModifiers modifiers;
    auto both = std::make_unique<Tweener>(&owner, "both", nullptr, 4.0f, 0.0f, 0);
    both->AddProperty("x", 4.0f);
    both->AddProperty("y", 4.0f);
    modifiers.AddController(std::move(both));
    auto onlyX = std::make_unique<Tweener>(&owner, "only_x", nullptr, 4.0f, 0.0f, 0);
    onlyX->AddProperty("x", 8.0f);
    modifiers.AddController(std::move(onlyX));
    EXPECT_EQ(owner.GetCountedControllers(), 2);

    modifiers.DropTweensOn(&owner.x);  // "set x": ends the tweens of x, keeps y moving
    EXPECT_FALSE(modifiers.HasController("only_x"));
    EXPECT_TRUE(modifiers.HasController("both"));
    modifiers.Update(1.0f);
    EXPECT_FLOAT_EQ(owner.x, 0.0f);
    EXPECT_FLOAT_EQ(owner.y, 1.0f);

    // A controller of the same name replaces the old one.
    auto replacement = std::make_unique<Tweener>(&owner, "both", nullptr, 1.0f, 0.0f, 0);
    replacement->AddProperty("y", -1.0f);
    modifiers.AddController(std::move(replacement));
    EXPECT_EQ(modifiers.GetControllerCount(), 1u);
    modifiers.Update(1.0f);
    EXPECT_FLOAT_EQ(owner.y, -1.0f);
    EXPECT_EQ(modifiers.GetControllerCount(), 0u);
    EXPECT_FALSE(modifiers.StopController("nothing"));
    EXPECT_EQ(owner.GetCountedControllers(), 0);
}

TEST(PropertyOscillation, ZeroPeriodIsRefused) {
    FakeOwner owner;
    EXPECT_FALSE(PropertyOscillation::Create(&owner, "", std::make_unique<SineWave>(), 0, 0, 0));
    EXPECT_FALSE(PropertyOscillation::Create(&owner, "", std::make_unique<SineWave>(), 0,
                                             std::numeric_limits<double>::infinity(), 0));
    auto noise = PropertyOscillation::Create(&owner, "", std::make_unique<NoiseWave>(), 0.3, 1, 0);
    ASSERT_TRUE(noise);
    noise->AddProperty("opacity", 1.0f);
    for (int i = 0; i < 100; ++i) {
        noise->Remove();
        noise->Advance(1.0);
        ASSERT_TRUE(std::isfinite(owner.opacity));
    }
    EXPECT_EQ(owner.changedFlags, kChangedColor);
}

}  // namespace
