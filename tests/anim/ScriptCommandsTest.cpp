#include <gtest/gtest.h>

#include <cmath>

#include "ScriptHarness.h"
#include "core/expr/GlobalVariables.h"

namespace {

class EndListener : public AnimationListener {
public:
    void AnimationEnded(uint32_t id) override { ended.push_back(id); }
    std::vector<uint32_t> ended;
};

// Answers a hook result outside 0, 1 and 2 for every "define": it counts as not handled.
class OddHookWidget : public RecordingWidget {
public:
    CommandAnswer HandleCommand(const AnimationCommand& command) override {
        if (command.mCommand == "define") {
            return static_cast<CommandAnswer>(7);
        }
        return RecordingWidget::HandleCommand(command);
    }
};

class ScriptCommands : public ScriptTest {
protected:
    void TearDown() override {
        SetGlobalVariables(nullptr);
        ScriptTest::TearDown();
    }
    // A scripted host in the manager with a named plain child "kid".
    void SetUpHost() {
        host = Make<RecordingWidget>(true);
        kid = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
        kid->mWidth = kid->mHeight = 10;
        host->RegisterObject("kid", kid);
    }

    RecordingWidget* host = nullptr;
    DynamicWidget* kid = nullptr;
};

TEST_F(ScriptCommands, GlobalVariablesOnlyWhileAPlayerTableIsInstalled) {
    Load(R"(<animation name="s">
      <define-global g="1" h="g + 1"/>
      <assign-global name="'k'" value="40 + 2"/>
      <undefine-global name="gone"/>
      <define which="'h'"/><unassign-global name="which"/>
    </animation>)");
    auto* w = Make<RecordingWidget>(true);
    // No player yet: nothing is stored, and nothing fails.
    w->PlayAnimationRef("s");
    EXPECT_FALSE(w->GetVariables().Contains("g"));
    EXPECT_TRUE(w->IsIdle());

    VariableTable globals;
    globals.Set("g", ExprValue::FromInt(5));
    globals.Set("gone", ExprValue::FromInt(1));
    SetGlobalVariables(&globals);
    w->PlayAnimationRef("s");
    EXPECT_EQ(globals.Find("g")->AsInt(), 1);
    EXPECT_FALSE(globals.Contains("h"));  // stored as 6 (the old g), then unassigned by its name
    EXPECT_EQ(globals.Find("k")->AsInt(), 42);
    EXPECT_FALSE(globals.Contains("gone"));
    EXPECT_FALSE(w->GetVariables().Contains("g"));  // globals are not the widget's variables
}

TEST_F(ScriptCommands, BlocksWithoutChildrenLoopsThatWaitAndStrayBreaks) {
    Load(R"(<animation name="s">
      <loop count="3"/><if cond="true"/><for name="i" from="0" to="3"/>
      <break/><continue/>
      <mark v="'i=' + i"/>
      <for name="j" from="0" to="3">
        <wait-for time="1"/>
        <if cond="j == 1"><continue/></if>
        <mark v="j"/>
      </for>
      <mark v="'end'"/>
    </animation>)");
    auto* w = Make<RecordingWidget>(true, "s");
    EXPECT_EQ(w->Trace(), "i=0 ");
    Tick(1);
    EXPECT_EQ(w->Trace(), "i=0 0 ");
    Tick(2);
    EXPECT_EQ(w->Trace(), "i=0 0 2 end ");
    EXPECT_EQ(w->scriptEnds, 1);
}

TEST_F(ScriptCommands, UnexpectedHookResultCountsAsNotHandled) {
    Load(R"(<animation name="s"><define a="3"/><mark v="a"/></animation>)");
    auto* w = Make<OddHookWidget>(true);
    w->PlayAnimationRef("s");
    EXPECT_EQ(w->Trace(), "3 ");
}

TEST_F(ScriptCommands, SetTellsTheObjectsListenerThatTheChangeEnded) {
    Load(R"(<animation name="s"><set id="kid" property="x" value="4"/></animation>)");
    SetUpHost();
    EndListener listener;
    listener.ListenTo(kid);
    host->PlayAnimationRef("s");
    EXPECT_FLOAT_EQ(kid->mX, 4.0f);
    ASSERT_EQ(listener.ended.size(), 1u);
    EXPECT_EQ(listener.ended[0], kid->mId);
}

TEST_F(ScriptCommands, TweensStartFromTheBaseValueUnderAnOscillation) {
    Load(R"(<animation name="s">
      <oscillate id="kid" property="y" amplitude="10" rate="4" start="top" oscillation="'bob'"/>
      <define top="kid.y"/>
      <change id="kid" property="y" end="0" time="100"/>
    </animation>)");
    SetUpHost();
    host->PlayAnimationRef("s");
    EXPECT_FLOAT_EQ(host->GetVariables().Find("top")->AsReal(), 10.0f);
    // A quarter turn later the wave is at 0: what is left is the base, which was 0 and is
    // tweened to 0. Starting from the shown value would have left it near 10.
    Tick(1);
    EXPECT_NEAR(kid->mY, 0.0f, 1e-3);
    kid->ClearOscillations(true);
    kid->TweenNamedFloat("y", 0.0f, 1.0f, nullptr, kChangedPosition);
}

TEST_F(ScriptCommands, PropelRunsUntilStoppedOrItsEnd) {
    Load(R"(<animation name="free"><propel id="kid" property="x" velocity="2" controller="'p'"/>
            </animation>
            <animation name="stop"><stop-controller id="kid" controller="'p'"/></animation>
            <animation name="ended">
              <propel id="kid" property="y" velocity="3" end="7" snap="true" controller="'q'"/>
            </animation>)");
    SetUpHost();
    host->PlayAnimationRef("free");
    Tick(5);
    EXPECT_FLOAT_EQ(kid->mX, 10.0f);
    EXPECT_TRUE(kid->HasController("p"));
    host->PlayAnimationRef("stop");
    Tick(2);
    EXPECT_FLOAT_EQ(kid->mX, 10.0f);

    host->PlayAnimationRef("ended");
    Tick(4);
    EXPECT_FLOAT_EQ(kid->mY, 7.0f);  // snapped to its end
    EXPECT_FALSE(kid->HasController("q"));
}

TEST_F(ScriptCommands, ArcRisesAndLandsOnTheAlignedTarget) {
    Load(R"(<animation name="jump">
              <arc id="kid" x="100" y="50" align="'right'" valign="'center'" dy="1" time="10"
                   max_dy="-40" min_dy="0"/>
            </animation>
            <animation name="flat"><arc id="kid" x="0" y="0" time="4"/></animation>)");
    SetUpHost();
    host->PlayAnimationRef("jump");
    float highest = 0.0f;
    for (int i = 0; i < 10; ++i) {
        Tick();
        highest = std::min(highest, kid->mY);
    }
    EXPECT_FLOAT_EQ(kid->mX, 90.0f);  // 100 minus the width
    EXPECT_FLOAT_EQ(kid->mY, 46.0f);  // 50 minus half the height, plus 1
    EXPECT_LT(highest, -10.0f);       // the arc went up first

    host->PlayAnimationRef("flat");  // no rise: a straight move
    Tick(4);
    EXPECT_FLOAT_EQ(kid->mX, 0.0f);
    EXPECT_FLOAT_EQ(kid->mY, 0.0f);
}

TEST_F(ScriptCommands, ClearChildrenDropsEachChildsOwnName) {
    SetUpHost();
    auto* kept = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    kept->mDeleteOnRemove = false;  // its removal is not reported
    host->RegisterObject("kept", kept);
    // Other names that refer to the children and sort before theirs stay.
    host->GetVariables().Set("a_kid", ExprValue::FromObject(kid));
    host->GetVariables().Set("a_kept", ExprValue::FromObject(kept));
    host->ClearChildren(false);
    EXPECT_EQ(host->GetNamedChildCount(), 0u);
    EXPECT_FALSE(host->GetVariables().Contains("kid"));
    EXPECT_FALSE(host->GetVariables().Contains("kept"));
    EXPECT_TRUE(host->GetVariables().Contains("a_kid"));
    EXPECT_TRUE(host->GetVariables().Contains("a_kept"));
}

TEST_F(ScriptCommands, CallOnAWidgetThatNeverPlayedResumesItsQueue) {
    Load(R"(<animation name="called"><mark v="'c'"/><wait-for cond="go"/></animation>
            <animation name="queued"><mark v="'q'"/></animation>)");
    auto* w = Make<RecordingWidget>(true);
    w->PlayAnimation(nullptr);
    AnimationWidget::ButtonEntry call;
    call.actionAnimation = "called";
    call.kind = 2;
    w->SetButtonParams(call);
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kWaitCondition);
    w->QueueAnimationRef("queued");
    w->GetVariables().Set("go", ExprValue::FromBool(true));
    Tick();
    EXPECT_EQ(w->Trace(), "c q ");
    EXPECT_TRUE(w->IsIdle());
}

}  // namespace
