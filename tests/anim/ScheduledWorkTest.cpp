// Whether a tree has work of its own for the coming updates, which lets the application sleep
// until the next event: plain widgets and finished scripts are at rest; blinking, tweens and
// running scripts are not; a class that adds updates of its own counts as busy.

#include "ScriptHarness.h"
#include "widgets/anim/DynamicWidget.h"

namespace {

class ScheduledWork : public ScriptTest {};

TEST_F(ScheduledWork, PlainWidgetsAndResetAnimatedOnesAreAtRest) {
    EXPECT_FALSE(mManager->HasScheduledWork());
    auto* plain = Make<Widget>(true);
    auto* animated = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    plain->AddWidget(animated);
    EXPECT_FALSE(mManager->HasScheduledWork());
}

TEST_F(ScheduledWork, BlinkingIsWorkUntilItEnds) {
    auto* parent = Make<Widget>(true);
    auto* w = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    parent->AddWidget(w);
    w->StartBlinking(2, 1, 0);
    EXPECT_TRUE(w->HasScheduledWork());
    EXPECT_TRUE(mManager->HasScheduledWork());  // through the parent
    Tick(6);
    EXPECT_FALSE(w->HasScheduledWork());
    EXPECT_FALSE(mManager->HasScheduledWork());
}

TEST_F(ScheduledWork, ARunningScriptOrTweenIsWorkAFinishedOneIsNot) {
    Load(R"(<animation name="slide"><change id="kid" property="x" end="40" time="4"/></animation>
            <animation name="hold"><wait-for cond="false" time="3"/></animation>)");
    auto* w = Make<AnimationWidget>(true, "", 0, 0, false);
    auto* kid = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    w->RegisterObject("kid", kid);
    EXPECT_FALSE(mManager->HasScheduledWork());
    w->PlayAnimationRef("slide");
    EXPECT_TRUE(kid->HasScheduledWork());  // the tween
    EXPECT_TRUE(mManager->HasScheduledWork());
    Tick(5);
    EXPECT_FLOAT_EQ(kid->mX, 40.0f);
    EXPECT_FALSE(mManager->HasScheduledWork());

    // A wait checked on every update is work until it ends.
    w->PlayAnimationRef("hold");
    EXPECT_TRUE(w->HasScheduledWork());
    Tick(5);
    EXPECT_FALSE(w->HasScheduledWork());
}

TEST_F(ScheduledWork, AClassWithUpdatesOfItsOwnCountsAsBusy) {
    // The recording widget derives from the scripted one without answering for itself.
    auto* w = Make<RecordingWidget>(true);
    EXPECT_TRUE(w->IsIdle());
    EXPECT_TRUE(w->HasScheduledWork());
    EXPECT_TRUE(mManager->HasScheduledWork());
}

}  // namespace
