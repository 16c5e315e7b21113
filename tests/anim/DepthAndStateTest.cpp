// Animated widgets under a parent turned or pushed in depth (hit tests and overlay positions
// follow the perspective they are drawn in), crossfaded frame stepping, private image copies,
// and a click wait that survives a move between parents.

#include <gtest/gtest.h>

#include <cmath>

#include "ScriptHarness.h"
#include "core/expr/ExpressionEvaluator.h"
#include "graphics/ImageAtlasPiece.h"
#include "graphics/ImageSurface.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

class DepthTest : public ScriptTest {
protected:
    // A full-screen parent in transform mode with a 50 x 50 child at (100, 100).
    void SetUpParent(float depth) {
        parent = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
        parent->mWidth = 1024;
        parent->mHeight = 768;
        parent->SetTransformMode(true);
        parent->mZ = depth;
        parent->PropertiesChanged(kChangedTransform);
        mManager->AddWidget(parent);
        child = Make<DynamicWidget>(false, 100, 100, nullptr, 1.0f);
        child->mWidth = child->mHeight = 50;
        child->mMouseVisible = true;
        parent->AddWidget(child);
    }
    Widget* HitAt(float x, float y, float* lx = nullptr, float* ly = nullptr) {
        return mManager->FindWidgetAt(x, y, 0x2F, lx, ly);
    }

    DynamicWidget* parent = nullptr;
    DynamicWidget* child = nullptr;
};

}  // namespace

TEST_F(DepthTest, AChildOfAParentInDepthMapsThroughThePerspective) {
    SetUpParent(1024.0f);
    const FPoint origin = child->LocalToGlobal();
    EXPECT_NEAR(origin.mX, 237.4f, 0.5f);
    EXPECT_NEAR(origin.mY, 194.7f, 0.5f);

    // Hit where it is drawn, not at its flat place.
    float lx = 0.0f;
    float ly = 0.0f;
    EXPECT_EQ(HitAt(origin.mX + 2.0f, origin.mY + 2.0f, &lx, &ly), child);
    EXPECT_GT(lx, 0.0f);
    EXPECT_LT(lx, 25.0f);
    EXPECT_GT(ly, 0.0f);
    EXPECT_LT(ly, 25.0f);
    EXPECT_EQ(HitAt(140.0f, 140.0f), nullptr);

    // The far corner shrinks towards the middle of the screen as well.
    const FRect corner = child->LocalToGlobalRect(FRect(50.0f, 50.0f, 1.0f, 1.0f));
    EXPECT_GT(corner.mX, origin.mX);
    EXPECT_LT(corner.mX - origin.mX, 50.0f);
    EXPECT_EQ(HitAt(corner.mX - 1.0f, corner.mY - 1.0f), child);
    EXPECT_EQ(HitAt(corner.mX + 3.0f, corner.mY + 3.0f), nullptr);

    // The round trip from the screen back to the child's own space.
    const FRect back = child->GlobalToLocalRect(FRect(origin.mX, origin.mY, 1.0f, 1.0f));
    EXPECT_NEAR(back.mX, 0.0f, 0.05f);
    EXPECT_NEAR(back.mY, 0.0f, 0.05f);
}

TEST_F(DepthTest, AParentTurnedAboutTheVerticalAxisHitsWhereItDraws) {
    SetUpParent(0.0f);
    parent->SetRotationAxis(0.0f, 1.0f, 0.0f);
    parent->mAngle = 40.0f;
    parent->PropertiesChanged(kChangedTransform);
    const FRect a = child->LocalToGlobalRect(FRect(10.0f, 10.0f, 1.0f, 1.0f));
    EXPECT_GT(std::fabs(a.mX - 110.0f), 5.0f) << "drawn away from its flat place";
    float lx = 0.0f;
    float ly = 0.0f;
    ASSERT_EQ(HitAt(a.mX, a.mY, &lx, &ly), child);
    EXPECT_NEAR(lx, 10.0f, 0.1f);
    EXPECT_NEAR(ly, 10.0f, 0.1f);
}

TEST_F(DepthTest, FlatTransformsStillMapInThePlane) {
    SetUpParent(0.0f);
    parent->mAngle = 90.0f;
    parent->PropertiesChanged(kChangedTransform);
    // A quarter turn about the screen's middle (512, 384): (100, 100) goes to (796, -28) or
    // (228, 796), whichever way the turn runs.
    const FPoint origin = child->LocalToGlobal();
    const bool one = std::fabs(origin.mX - 796.0f) < 0.5f && std::fabs(origin.mY + 28.0f) < 0.5f;
    const bool other = std::fabs(origin.mX - 228.0f) < 0.5f && std::fabs(origin.mY - 796.0f) < 0.5f;
    EXPECT_TRUE(one || other) << origin.mX << ", " << origin.mY;
    const FRect back = child->GlobalToLocalRect(FRect(origin.mX, origin.mY, 1.0f, 1.0f));
    EXPECT_NEAR(back.mX, 0.0f, 0.05f);
    EXPECT_NEAR(back.mY, 0.0f, 0.05f);
}

TEST_F(ScriptTest, CrossfadedFrameSteppingRestartsTheFrameClock) {
    auto* w = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    w->mFrames.mMax = 3;
    w->mFrames.mFrameTime = 1.0f;
    w->mFrames.mCrossfadeTime = 0.5f;
    w->UpdateF(1.5f);
    EXPECT_EQ(w->mFrames.mFrame, 1);
    EXPECT_EQ(w->mPreviousFrame, 0);
    EXPECT_FLOAT_EQ(w->mFrames.mTimer, 0.0f) << "the fade restarts the clock";
    w->UpdateF(0.6f);
    EXPECT_EQ(w->mFrames.mFrame, 1) << "a full frame time must pass after the fade began";
    w->UpdateF(0.4f);
    EXPECT_EQ(w->mFrames.mFrame, 2);
}

TEST_F(ScriptTest, OwnImageSurfaceCopiesAnAtlasPieceWithItsFlags) {
    ImageSurface page;
    std::vector<uint32_t> pixels(16);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(i);
    }
    page.SetPixels(4, 4, pixels);
    ImageAtlasPiece piece(&page, Rect(2, 1, 2, 2));
    piece.SetFlags(3);
    auto* w = Make<DynamicWidget>(false, 0, 0, &piece, 1.0f);
    ImageSurface* own = w->GetOwnImageSurface();
    ASSERT_NE(own, nullptr);
    EXPECT_NE(static_cast<Image*>(own), static_cast<Image*>(&piece));
    EXPECT_EQ(w->GetImage(), own);
    EXPECT_EQ(own->GetWidth(), 2);
    EXPECT_EQ(own->GetHeight(), 2);
    EXPECT_EQ(own->GetFlags(), 3u);
    EXPECT_EQ(own->GetPixel(0, 0), 0xFF000006u);  // (2, 1) of the page
    EXPECT_EQ(own->GetPixel(1, 1), 0xFF00000Bu);  // (3, 2)
    EXPECT_EQ(w->GetOwnImageSurface(), own) << "copied once";
}

TEST_F(ScriptTest, AClickWaitSurvivesAMoveBetweenParents) {
    Load(
        R"(<animation name="click"><wait-for click="true" clicked="c"/><mark v="'k'"/></animation>)");
    auto* first = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    auto* second = Make<DynamicWidget>(true, 0, 0, nullptr, 1.0f);
    auto* host = Make<RecordingWidget>(false);
    first->AddWidget(host);
    host->PlayAnimationRef("click");
    ASSERT_EQ(mManager->GetTrackedWidgetCount(), 1u);

    // As a transition moves it: out with keep-alive, into another parent.
    host->RemoveKeepAlive();
    EXPECT_EQ(mManager->GetTrackedWidgetCount(), 0u) << "out of the manager, not a listener";
    EXPECT_TRUE(host->IsListeningForClicks());
    second->AddWidget(host);
    EXPECT_EQ(mManager->GetTrackedWidgetCount(), 1u);
    EXPECT_TRUE(host->trace.empty());
    mManager->NotifyTrackedWidgetsA(1);
    mManager->NotifyTrackedWidgetsB(1);
    EXPECT_EQ(host->Trace(), "k ");
    EXPECT_EQ(mManager->GetTrackedWidgetCount(), 0u);
}

TEST_F(ScriptTest, ABindingTargetsAFieldThroughItsHandle) {
    Load(R"(<animation name="s">
      <bind id="kid" property="other.x_ptr, angle" value="w * 2, w" controller="'follow'"/>
      <bind id="kid" property="other.opacity_ptr" value="0.25"/>
    </animation>)");
    auto* host = Make<RecordingWidget>(true);
    auto* kid = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    auto* other = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    host->RegisterObject("kid", kid);
    host->RegisterObject("other", other);
    host->GetVariables().Set("w", ExprValue::FromInt(7));
    host->PlayAnimationRef("s");
    Tick(1);
    // The handle reaches the other widget's own field; the name still means the bound widget's.
    EXPECT_FLOAT_EQ(other->mX, 14.0f);
    EXPECT_FLOAT_EQ(kid->mAngle, 7.0f);
    EXPECT_FLOAT_EQ(kid->mX, 0.0f);
    EXPECT_FLOAT_EQ(other->mOpacity, 0.25f);
    // The other widget hears of the write: its position moves its place on the screen.
    EXPECT_FLOAT_EQ(other->LocalToGlobal().mX, 14.0f);

    // A binding outliving the widget whose field it writes skips it.
    host->RemoveWidget(other);
    std::erase_if(mOwned, [other](const std::unique_ptr<Widget>& w) { return w.get() == other; });
    kid->mAngle = 0.0f;
    Tick(1);
    EXPECT_FLOAT_EQ(kid->mAngle, 7.0f) << "the rest of the binding goes on";
}

TEST_F(ScriptTest, APropelWithAnAngleAndAnAmplitudeMovesAlongTheAngle) {
    Load(R"(<animation name="s">
      <propel id="kid" property="x, y" angle="30" amplitude="4" controller="'drift'"/>
      <propel id="up" property="x, y" angle="90" amplitude="4"/>
    </animation>)");
    auto* host = Make<RecordingWidget>(true);
    auto* kid = Make<DynamicWidget>(false, 100, 100, nullptr, 1.0f);
    auto* up = Make<DynamicWidget>(false, 100, 100, nullptr, 1.0f);
    host->RegisterObject("kid", kid);
    host->RegisterObject("up", up);
    host->PlayAnimationRef("s");
    Tick(10);
    EXPECT_TRUE(kid->HasController("drift"));
    // Positive angles point up the screen: x grows, y falls, in the angle's proportion.
    const float dx = kid->mX - 100.0f;
    const float dy = kid->mY - 100.0f;
    ASSERT_GT(dx, 0.0f);
    EXPECT_LT(dy, 0.0f);
    EXPECT_NEAR(-dy / dx, std::tan(30.0f * 3.14159265f / 180.0f), 1e-3);
    // Straight up: the cosine part is nothing.
    EXPECT_NEAR(up->mX, 100.0f, 1e-3);
    EXPECT_LT(up->mY, 100.0f);
    EXPECT_NEAR(std::fabs(up->mY - 100.0f), std::sqrt(dx * dx + dy * dy), 1e-3)
        << "the same amplitude along another angle";
}

TEST_F(ScriptTest, AClampHoldsAnOscillationWithARandomStart) {
    Load(R"(<animation name="s">
      <oscillate id="kid" property="y" amplitude="10" start="random" rate="10"/>
      <clamp id="kid" property="y" min="-3" max="3" clamp="'hold'"/>
    </animation>)");
    auto* host = Make<RecordingWidget>(true);
    std::vector<DynamicWidget*> kids;
    for (int i = 0; i < 6; ++i) {
        kids.push_back(Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f));
        host->RegisterObject("kid", kids.back());
        host->PlayAnimationRef("s");
    }
    bool differ = false;
    for (int t = 0; t < 40; ++t) {
        Tick(1);
        for (DynamicWidget* kid : kids) {
            EXPECT_GE(kid->mY, -3.0f);
            EXPECT_LE(kid->mY, 3.0f);
            differ = differ || kid->mY != kids[0]->mY;
        }
    }
    // Random starts: the widgets do not all move in step.
    EXPECT_TRUE(differ);
    // Taking the clamp off gives the oscillation its full swing again, from the base value.
    kids[0]->StopClamp("hold", true);
    float widest = 0.0f;
    for (int t = 0; t < 20; ++t) {
        Tick(1);
        widest = std::max(widest, std::fabs(kids[0]->mY));
    }
    EXPECT_GT(widest, 3.0f);
    EXPECT_LE(widest, 10.0f + 1e-3f);
}

TEST_F(ScriptTest, ButtonEntriesRunTheirEnterAndLeaveScripts) {
    Load(R"(<animation name="a">
      <add-button text="'Go'" lookup="false" x="10" y="10" id="go" hover="on" leave="off"/>
      <add-button text="'Plain'" lookup="false" x="10" y="50" id="plain"/>
    </animation>
    <animation name="on"><mark v="'on:' + button_id"/></animation>
    <animation name="off"><mark v="'off'"/></animation>
    <animation name="hover-wait"><wait-for id="plain" event="mouse_hover"/><mark v="'h'"/>
      <wait-for id="plain" event="mouse_leave"/><mark v="'l'"/></animation>)");
    auto* host = Make<RecordingWidget>(true);
    host->PlayAnimationRef("a");
    const ExprValue* goValue = host->GetVariables().Find("go");
    ASSERT_NE(goValue, nullptr);
    auto* go = dynamic_cast<DynamicWidget*>(goValue->AsObject());
    ASSERT_NE(go, nullptr);
    // Entering plays the leave script first (ending any half-run hover), then the enter script
    // with "button_id" naming the button.
    host->ButtonMouseEnter(go->mId);
    EXPECT_EQ(host->Trace(), "off on:go ");
    host->trace.clear();
    host->ButtonMouseLeave(go->mId);
    EXPECT_EQ(host->Trace(), "off ");

    // A button without those scripts releases a wait for its hover and leave instead.
    host->trace.clear();
    auto* plain = dynamic_cast<DynamicWidget*>(host->GetVariables().Find("plain")->AsObject());
    ASSERT_NE(plain, nullptr);
    host->PlayAnimationRef("hover-wait");
    host->ButtonMouseLeave(plain->mId);
    EXPECT_EQ(host->Trace(), "");
    host->ButtonMouseEnter(plain->mId);
    EXPECT_EQ(host->Trace(), "h ");
    host->ButtonMouseLeave(plain->mId);
    EXPECT_EQ(host->Trace(), "h l ");
}

TEST_F(ScriptTest, AParentReadsAButtonsStatesThroughItsProperties) {
    Load(R"(<animation name="a">
      <add-button text="'Go'" lookup="false" x="10" y="10" id="btn"/>
    </animation>)");
    auto* host = Make<RecordingWidget>(true);
    host->PlayAnimationRef("a");
    auto* button = dynamic_cast<ButtonWidget*>(host->GetVariables().Find("btn")->AsObject());
    ASSERT_NE(button, nullptr);
    const ExpressionEvaluator parent(&host->GetVariables());
    auto read = [&](const char* text) { return parent.Evaluate(text).AsBool(); };
    EXPECT_FALSE(read("btn.disabled"));
    EXPECT_FALSE(read("btn.mouse_over"));
    EXPECT_FALSE(read("btn.mouse_down"));
    button->SetDisabled(true);
    EXPECT_TRUE(read("btn.disabled"));
    button->SetDisabled(false);
    button->mIsOver = true;
    button->MouseEnter();
    EXPECT_TRUE(read("btn.mouse_over"));
    button->mIsDown = true;
    EXPECT_TRUE(read("btn.mouse_down"));
    EXPECT_EQ(parent.Evaluate("btn.type").AsString(), "");
}
