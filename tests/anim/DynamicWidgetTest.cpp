#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ScriptHarness.h"
#include "core/expr/FieldRegistry.h"
#include "graphics/HlslTranslator.h"
#include "graphics/ImageSurface.h"
#include "graphics/ShaderEffect.h"
#include "support/TempFolder.h"
#include "widgets/anim/EffectHold.h"
#include "widgets/anim/FrameSequence.h"
#include "widgets/anim/PropertyOscillation.h"
#include "widgets/anim/Waves.h"

namespace {

std::vector<int> Play(FrameSequence& s, int steps) {
    std::vector<int> frames;
    for (int i = 0; i < steps; ++i) {
        frames.push_back(s.Step());
    }
    return frames;
}

TEST(FrameSequence, EachMode) {
    FrameSequence pingPong;
    pingPong.mMode = FrameSequence::kPingPong;
    pingPong.mMax = 3;
    pingPong.mFrameTime = 1.0f;
    EXPECT_EQ(Play(pingPong, 8), (std::vector<int>{1, 2, 3, 2, 1, 0, 1, 2}));

    FrameSequence forward;
    forward.mMax = 2;
    forward.mRepeats = 2;
    forward.mFrameTime = 1.0f;
    EXPECT_TRUE(forward.HasRepeatsToPlay());
    EXPECT_EQ(Play(forward, 6), (std::vector<int>{1, 2, 0, 1, 2, 2}));
    EXPECT_FALSE(forward.IsRunning());  // the last repeat stops on the top frame

    FrameSequence backward;
    backward.mMode = FrameSequence::kBackward;
    backward.mStep = -1;
    backward.mFrame = 2;
    backward.mMax = 2;
    backward.mFrameTime = 1.0f;
    EXPECT_EQ(Play(backward, 4), (std::vector<int>{1, 0, 2, 1}));  // endless

    FrameSequence list;
    list.mList = {5, 7, 9};
    list.mRepeats = 1;
    list.mFrameTime = 1.0f;
    EXPECT_EQ(Play(list, 3), (std::vector<int>{5, 7, 9}));
    EXPECT_FALSE(list.IsRunning());

    FrameSequence random;
    random.mMode = FrameSequence::kRandom;
    random.mMax = 2;
    int last = random.mFrame;
    for (int i = 0; i < 200; ++i) {
        const int next = random.Step();
        EXPECT_NE(next, last);
        EXPECT_GE(next, 0);
        EXPECT_LE(next, 2);
        last = next;
    }
    random.mMin = 4;
    random.mMax = 1;  // below the minimum: clamped, so the frame has nowhere to go
    random.mFrame = 4;
    EXPECT_EQ(random.Step(), 4);

    FrameSequence clock;
    clock.mFrameTime = 2.0f;
    EXPECT_EQ(clock.Advance(5.0f), 2);
    EXPECT_FLOAT_EQ(clock.mTimer, 1.0f);
}

class Dynamic : public ScriptTest {};

TEST_F(Dynamic, PropertiesByNameAndHandles) {
    auto* w = Make<DynamicWidget>(true, 10, 20, nullptr, -0.5f);
    w->mWidth = 40;
    w->mHeight = 30;
    EXPECT_FLOAT_EQ(w->mOpacity, 0.5f);
    ExprValue v;
    ASSERT_TRUE(w->GetProperty("center_x", &v));
    EXPECT_FLOAT_EQ(v.AsReal(), 30.0f);
    ASSERT_TRUE(w->GetProperty("bottom", &v));
    EXPECT_FLOAT_EQ(v.AsReal(), 50.0f);
    ASSERT_TRUE(w->GetProperty("flip_x", &v));
    EXPECT_FALSE(v.AsBool());
    w->Flip(false);
    ASSERT_TRUE(w->GetProperty("flip_x", &v));
    EXPECT_TRUE(v.AsBool());
    // Every animatable property is readable too (one table per class).
    ASSERT_TRUE(w->GetProperty("alpha", &v));
    EXPECT_FLOAT_EQ(v.AsReal(), 1.0f);
    int flags = 0;
    EXPECT_NE(w->FindAnimatedProperty("alpha", flags), nullptr);
    EXPECT_EQ(flags, kChangedColor);

    ASSERT_TRUE(w->GetProperty("x_ptr", &v));
    EXPECT_EQ(FieldRegistry::GetFloat(v.AsInt()), &w->mX);
    const int32_t handle = v.AsInt();
    // Through an expression: self.y reads the property of the live widget.
    VariableTable vars;
    vars.Set("w", ExprValue::FromObject(w));
    ExpressionEvaluator eval(&vars);
    EXPECT_FLOAT_EQ(eval.Evaluate("w.y + 1").AsReal(), 21.0f);
    std::erase_if(mOwned, [w](const std::unique_ptr<Widget>& o) { return o.get() == w; });
    EXPECT_EQ(FieldRegistry::GetFloat(handle), nullptr);
    EXPECT_FLOAT_EQ(eval.Evaluate("w.y").AsReal(), 0.0f);
}

TEST_F(Dynamic, NamedFloatKeepsOscillationOffsetAndDirtyRules) {
    auto* w = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    auto osc = PropertyOscillation::Create(w, "wave", std::make_unique<SineWave>(), 0.25, 100.0,
                                           kChangedPosition);
    ASSERT_TRUE(osc);
    osc->AddProperty("x", 3.0f);
    w->AddOscillation(std::move(osc));
    EXPECT_FLOAT_EQ(w->mX, 3.0f);
    w->SetNamedFloat("x", 10.0f);
    EXPECT_FLOAT_EQ(w->mX, 13.0f);
    w->StopOscillation("wave", true);
    EXPECT_FLOAT_EQ(w->mX, 10.0f);

    // At opacity 0 a move alone redraws nothing; a colour change does.
    mManager->DrawScreen(nullptr);
    w->mOpacity = 0.0f;
    mManager->DrawScreen(nullptr);
    EXPECT_FALSE(mManager->IsDirty());
    w->SetNamedFloat("y", 5.0f);
    EXPECT_FALSE(mManager->IsDirty());
    w->SetNamedFloat("red", 0.5f);
    EXPECT_TRUE(mManager->IsDirty());
}

TEST_F(Dynamic, TransformAndHitTests) {
    auto* w = Make<DynamicWidget>(true, 100, 100, nullptr, 1.0f);
    w->mWidth = 40;
    w->mHeight = 20;
    // Unturned: the scaled rectangle about the middle.
    w->mScaleX = 0.5f;
    EXPECT_TRUE(w->IsPointInside(10, 0));
    EXPECT_FALSE(w->IsPointInside(9, 0));
    EXPECT_TRUE(w->IsPointInside(29, 19));
    EXPECT_FALSE(w->IsPointInside(30, 0));
    // Turned: the square that holds the widget in any turn (side 20 + 20, centred).
    w->mAngle = 45.0f;
    EXPECT_TRUE(w->IsPointInside(0, -10));
    EXPECT_FALSE(w->IsPointInside(0, -11));
    EXPECT_TRUE(w->IsPointInside(39, 29));

    // The transform acts about the middle: a flip maps x to width - x, a half turn both.
    w->mScaleX = 1.0f;
    w->mAngle = 0.0f;
    w->PropertiesChanged(kChangedTransform);
    float ix = 0.0f;
    float iy = 0.0f;
    w->MapToImage(5.0f, 5.0f, &ix, &iy);
    EXPECT_FLOAT_EQ(ix, 5.0f);
    w->Flip(false);
    w->MapToImage(5.0f, 5.0f, &ix, &iy);
    EXPECT_NEAR(ix, 35.0f, 1e-4);
    EXPECT_NEAR(iy, 5.0f, 1e-4);
    w->Flip(false);
    w->SetNamedFloat("angle", 180.0f);
    w->MapToImage(5.0f, 5.0f, &ix, &iy);
    EXPECT_NEAR(ix, 35.0f, 1e-3);
    EXPECT_NEAR(iy, 15.0f, 1e-3);
    w->SetNamedFloat("angle", 0.0f);
    w->SetNamedFloat("scale_x", 2.0f);
    w->MapToImage(30.0f, 5.0f, &ix, &iy);
    EXPECT_NEAR(ix, 25.0f, 1e-4);  // 20 + (30 - 20) / 2
}

TEST_F(Dynamic, ContainsTestsPixelsAndClips) {
    ImageSurface image;
    std::vector<uint32_t> pixels(4 * 2, 0xFF000000u);
    pixels[1] = 0x00000000u;  // (1, 0) transparent
    image.SetPixels(4, 2, pixels);
    auto* w = Make<DynamicWidget>(true, 0, 0, &image, 1.0f);
    EXPECT_EQ(w->mWidth, 4);
    EXPECT_TRUE(w->Contains(0.0f, 0.0f));
    EXPECT_FALSE(w->Contains(1.0f, 0.0f));
    EXPECT_FALSE(w->Contains(4.0f, 0.0f));
    w->SetCheckPixels(false);
    EXPECT_TRUE(w->Contains(1.0f, 0.0f));
    w->SetNamedFloat("rel_clip_x2", 2.0f);
    EXPECT_FALSE(w->Contains(2.0f, 0.0f));
    EXPECT_TRUE(w->Contains(1.0f, 1.0f));
}

TEST_F(Dynamic, FinishActionsAndFrameClock) {
    auto* idle = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    idle->SetRemoveWhenDone(true);
    EXPECT_EQ(idle->GetParent(), nullptr);  // idle: removed at once

    auto* w = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    w->TweenNamedFloat("x", 10.0f, 2.0f, nullptr, kChangedPosition);
    w->SetHideWhenDone(true);
    w->SetResetEffectsWhenDone(true);
    w->SetDrawMode(DynamicWidget::kDrawInherit);
    EXPECT_TRUE(w->IsAnimating());
    Tick();
    EXPECT_TRUE(w->mVisible);
    Tick();
    EXPECT_FALSE(w->mVisible);
    EXPECT_EQ(w->mDrawMode, DynamicWidget::kDrawOwn);

    // Frames step on the float clock; a sequence with repeats keeps the widget animating.
    auto* f = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    f->mFrames.mMax = 2;
    f->mFrames.mRepeats = 1;
    f->mFrames.mFrameTime = 2.0f;
    f->SetRemoveWhenDone(true);
    Tick(4);
    EXPECT_EQ(f->mFrames.mFrame, 2);
    EXPECT_NE(f->GetParent(), nullptr);
    Tick(2);
    EXPECT_EQ(f->GetParent(), nullptr);

    // The time scale slows the widget and its subtree.
    auto* slow = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    slow->mTimer = 0.5f;
    Tick(2);
    EXPECT_FLOAT_EQ(slow->mClock, 1.0f);
}

// A test's hold on an effect: a widget drawing it stops its own clock (and its tweens) at the
// moment asked for while the hold file exists and goes on once it is gone, never to stop again;
// a widget of another effect, or one made past the moment, runs on.
TEST_F(Dynamic, AHeldEffectStopsAtItsMomentWhileTheHoldFileExists) {
    const TempFolder folder;
    const std::string file = folder.Path() + "hold";
    ConfigureEffectHolds(file + " ink_reveal@3");
    ASSERT_TRUE(EffectHoldsAsked());
    auto code = std::make_shared<TranslatedEffect>();
    auto effectWidget = [&](const char* effectFile) {
        auto* w = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
        w->SetShader(std::make_unique<ShaderEffect>(effectFile, code));
        w->TweenNamedFloat("x", 100.0f, 10.0f, nullptr, kChangedPosition);
        return w;
    };
    std::ofstream(file).flush();
    auto* ink = effectWidget("properties/ink_reveal.hlsl");
    auto* other = effectWidget("properties/sea_shimmer.hlsl");
    Tick(10);
    EXPECT_FLOAT_EQ(ink->mClock, 2.0f);
    EXPECT_FLOAT_EQ(ink->mX, 20.0f);
    EXPECT_FLOAT_EQ(other->mClock, 10.0f);
    // Made past the moment: not held.
    auto* late = effectWidget("properties/ink_reveal.hlsl");
    late->mClock = 5.0f;
    Tick();
    EXPECT_FLOAT_EQ(late->mClock, 6.0f);
    std::filesystem::remove(file);
    Tick(2);
    EXPECT_FLOAT_EQ(ink->mClock, 4.0f);
    std::ofstream(file).flush();
    Tick(2);
    EXPECT_FLOAT_EQ(ink->mClock, 6.0f);
    EXPECT_FLOAT_EQ(ink->mX, 60.0f);
    // Without holds asked for, nothing is held.
    ConfigureEffectHolds("");
    EXPECT_FALSE(EffectHoldsAsked());
    auto* unheld = effectWidget("properties/ink_reveal.hlsl");
    Tick(4);
    EXPECT_FLOAT_EQ(unheld->mClock, 4.0f);
}

// The circle is planned on the base position: an oscillation's offset on top of it neither
// widens the radius nor turns the start angle.
TEST_F(Dynamic, CirclesAndShearsAsItsOwnMotions) {
    auto* w = Make<DynamicWidget>(true, 10, 0, nullptr, 1.0f);
    auto osc = PropertyOscillation::Create(w, "wave", std::make_unique<SineWave>(), 0.25, 100.0,
                                           kChangedPosition);
    ASSERT_TRUE(osc);
    osc->AddProperty("y", 5.0f);
    w->AddOscillation(std::move(osc));
    w->CircleTo("orbit", 0, 0, 90.0f, 2.0f, nullptr, kChangedPosition);
    EXPECT_TRUE(w->HasController("orbit"));
    EXPECT_TRUE(w->IsAnimating());
    Tick(2);
    w->StopOscillation("wave", true);
    EXPECT_NEAR(w->mX, 0.0f, 1e-3f);
    EXPECT_NEAR(w->mY, -10.0f, 1e-3f);
    EXPECT_FALSE(w->HasController("orbit"));

    w->ShearTo("lean", 0.5f, 0.25f, 3.0f, -2.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_TRUE(w->HasController("lean"));
    Tick();
    EXPECT_FLOAT_EQ(w->mShearX, 0.5f);
    EXPECT_FLOAT_EQ(w->mShearY, 0.25f);
    EXPECT_FLOAT_EQ(w->mShearXOffset, 3.0f);
    EXPECT_FLOAT_EQ(w->mShearYOffset, -2.0f);
}

TEST_F(Dynamic, BlinkingShowsAndHidesAndCountsDown) {
    auto* w = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    w->StartBlinking(2, 1, 0);
    std::string shown;
    for (int i = 0; i < 6; ++i) {
        Tick();
        shown += w->mVisible ? '1' : '0';
    }
    EXPECT_EQ(shown, "100111");
    EXPECT_FALSE(w->IsAnimating());
}

class PropertyCommands : public ScriptTest {};

TEST_F(PropertyCommands, SetChangeAndPadding) {
    Load(R"(<animation name="s">
      <set id="kid" property="x,y" value="5"/>
      <set id="kid" property="scale_x,scale_y,no_such" value="2,3" offset="1"/>
      <set property="x" value="99"/>
      <set id="kid" property="opacity" value="0.5" align="'center','bottom'"/>
    </animation>
    <animation name="c">
      <change id="kid" property="x,y" end="50" time="4" offset="0,10"/>
      <change id="kid" property="angle" time="4"/>
    </animation>)");
    auto* host = Make<RecordingWidget>(true);
    auto* kid = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    kid->mWidth = 10;
    kid->mHeight = 20;
    host->RegisterObject("kid", kid);
    kid->mAngle = 30.0f;
    host->PlayAnimationRef("s");
    EXPECT_FLOAT_EQ(kid->mX, 0.0f);  // aligned after the values: 5 - 10 / 2
    EXPECT_FLOAT_EQ(kid->mY, -15.0f);
    EXPECT_FLOAT_EQ(kid->mScaleX, 3.0f);
    EXPECT_FLOAT_EQ(kid->mScaleY, 4.0f);
    EXPECT_FLOAT_EQ(kid->mOpacity, 0.5f);
    EXPECT_FLOAT_EQ(host->mX, 0.0f);  // "set" without "id" does nothing

    host->PlayAnimationRef("c");
    Tick(2);
    EXPECT_FLOAT_EQ(kid->mX, 25.0f);
    Tick(2);
    EXPECT_FLOAT_EQ(kid->mX, 50.0f);
    EXPECT_FLOAT_EQ(kid->mY, 60.0f);
    EXPECT_FLOAT_EQ(kid->mAngle, 30.0f);  // no "end": the value stays
    EXPECT_FALSE(kid->IsAnimating());
}

TEST_F(PropertyCommands, ControllersOscillationsAndClamps) {
    Load(R"(<animation name="s">
      <change id="kid" property="x" end="100" controller="'slide'"/>
      <stop-controller id="kid" controller="'other'"/>
      <clamp id="kid" property="x,y" min="0" clamp="'lim'"/>
      <oscillate id="kid" property="y" amplitude="4" rate="4" start="top" oscillation="'bob'"/>
      <define low="kid.y"/>
      <clamp id="kid" property="y" max="-48" clamp="'cap'"/>
      <bind id="kid" property="opacity" value="w / 10.0"/>
    </animation>
    <animation name="stop"><stop id="kid"/><stop-oscillations id="kid"/><stop-clamps id="kid"/>
    </animation>)");
    auto* host = Make<RecordingWidget>(true);
    auto* kid = Make<DynamicWidget>(false, 0, -50, nullptr, 1.0f);
    host->RegisterObject("kid", kid);
    host->GetVariables().Set("w", ExprValue::FromInt(3));
    host->PlayAnimationRef("s");
    EXPECT_TRUE(kid->HasController("slide"));
    // One minimum for two properties bounds only the first: y oscillates freely below 0 (up by
    // 4 at the top of the wave) until the second clamp caps it.
    EXPECT_FLOAT_EQ(host->GetVariables().Find("low")->AsReal(), -46.0f);
    EXPECT_FLOAT_EQ(kid->mY, -48.0f);
    Tick(25);
    EXPECT_FLOAT_EQ(kid->mX, 50.0f);  // 50 time units by default
    EXPECT_NEAR(kid->mOpacity, 0.3f, 1e-6);
    Tick(25);
    EXPECT_FALSE(kid->HasController("slide"));
    host->PlayAnimationRef("stop");
    EXPECT_FLOAT_EQ(kid->mY, -50.0f);
    EXPECT_FALSE(kid->IsAnimating());
}

}  // namespace
