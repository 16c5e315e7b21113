#include <gtest/gtest.h>

#include "ScriptHarness.h"

namespace {

using Interpreter = ScriptTest;

TEST_F(Interpreter, BlocksRunAfterTheirCommandAndConditionsGuardOnlyTheCommand) {
    Load(R"(<animation name="s">
      <mark v="'a'">
        <mark v="'b'">
          <mark v="'c'"><mark v="'d'"/></mark>
        </mark>
      </mark>
      <mark v="'e'" if="false"><mark v="'f'"/></mark>
      <if cond="1 == 2"><mark v="'no'"/></if>
      <unless cond="1 == 2"><mark v="'g'"/></unless>
      <mark v="'h'" unless="true"/>
      <mark v="'i'"/>
    </animation>)");
    auto* w = Make<RecordingWidget>(false, "s");
    EXPECT_TRUE(w->trace.empty());  // not in a manager yet
    mManager->AddWidget(w);
    EXPECT_EQ(w->Trace(), "a b c d f g i ");
    EXPECT_EQ(w->scriptEnds, 1);
    EXPECT_TRUE(w->IsIdle());
    EXPECT_EQ(w->GetRunState(), 0);
}

TEST_F(Interpreter, ScriptWhoseCommandsAreAllSkippedEndsOnceAndEmptyScriptOnlyFinishes) {
    Load(R"(<animation name="skip"><mark v="1" if="false"/><mark v="2" if="0"/></animation>)");
    auto* w = Make<RecordingWidget>(true);
    // The constructor plays the empty name; its own OnAnimationFinished is not reached from there.
    EXPECT_EQ(w->finished, 0);
    w->PlayAnimationRef("skip");
    EXPECT_TRUE(w->trace.empty());
    EXPECT_EQ(w->scriptEnds, 1);
    w->PlayAnimationRef("nothing-here");
    EXPECT_EQ(w->finished, 1);
    EXPECT_EQ(w->scriptEnds, 1);
}

TEST_F(Interpreter, LoopsBreakContinueAndFor) {
    Load(R"(<animation name="s">
      <loop count="3"><mark v="'L'"/></loop>
      <loop count="0"><mark v="'never'"/></loop>
      <define n="0"/>
      <loop>
        <assign name="'n'" value="n + 1"/>
        <if cond="n == 2"><continue/></if>
        <if cond="n &gt;= 4"><break/><mark v="'after-break'"/></if>
        <mark v="n"/>
      </loop>
      <for name="i" from="0" to="10"><mark v="'i' + i" if="i == 0 || i == 9"/></for>
      <mark v="'i=' + i"/>
      <for name="j" from="0" to="10" inc="3"><mark v="'j' + j"/></for>
      <mark v="'j=' + j"/>
      <for name="k" from="3" to="0"><mark v="'k' + k"/></for>
      <for name="e" from="4" to="4"><mark v="'never'"/></for>
      <mark v="'e=' + e"/>
      <for name="z" from="0" to="5" inc="0"><mark v="'never'"/></for>
      <for name="s" from="1" step="s * 2" cond="s &lt; 20"><mark v="'s' + s"/></for>
    </animation>)");
    auto* w = Make<RecordingWidget>(true, "s");
    EXPECT_EQ(w->Trace(), "L L L 1 3 i0 i9 i=10 j0 j3 j6 j9 j=12 k3 k2 k1 e=4 s1 s2 s4 s8 s16 ");
    EXPECT_EQ(w->scriptEnds, 1);
}

TEST_F(Interpreter, BreakInsideNestedLoopsEndsOnlyTheInnermost) {
    Load(R"(<animation name="s">
      <for name="a" from="0" to="2">
        <for name="b" from="0" to="5">
          <if cond="b == 1"><break/></if>
          <mark v="a + ':' + b"/>
        </for>
        <mark v="'end' + a"/>
      </for>
    </animation>)");
    auto* w = Make<RecordingWidget>(true, "s");
    EXPECT_EQ(w->Trace(), "0:0 end0 1:0 end1 ");
}

TEST_F(Interpreter, LoopWithoutWaitIsParkedByTheStepBudget) {
    Load(R"(<animation name="spin"><loop><define x="1"/></loop><mark v="'never'"/></animation>)");
    AnimationWidget::SetStepBudget(500);
    auto* w = Make<RecordingWidget>(true, "spin");
    AnimationWidget::SetStepBudget(100000);
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kParked);
    EXPECT_TRUE(w->trace.empty());
    Tick(3);  // a parked script is not resumed by the per-update check
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kParked);
    EXPECT_EQ(w->scriptEnds, 0);
}

TEST_F(Interpreter, HooksCanParkAndStopAndRestartFromInsideACommand) {
    Load(R"(<animation name="a"><mark v="'a1'"/><restart name="'b'"/><mark v="'a2'"/></animation>
            <animation name="b"><mark v="'b1'"/></animation>
            <animation name="p"><mark v="'p1'"/><park/><mark v="'p2'"/></animation>)");
    auto* w = Make<RecordingWidget>(true, "a");
    EXPECT_EQ(w->Trace(), "a1 b1 ");
    EXPECT_EQ(w->GetRunCounter(), 2);
    EXPECT_EQ(w->GetCurrentAnimation()->mName, "b");
    w->trace.clear();
    w->PlayAnimationRef("p");
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kParked);
    Tick(2);
    EXPECT_EQ(w->Trace(), "p1 ");
    // A hook that stopped leaves the program counter on its command; resuming continues after it.
    EXPECT_FALSE(w->RunCommands(true));
    EXPECT_EQ(w->Trace(), "p1 p2 ");
}

TEST_F(Interpreter, StopInsideABlockEndsTheWholeScript) {
    Load(
        R"(<animation name="s"><if cond="true"><stop/><mark v="1"/></if><mark v="2"/></animation>)");
    auto* w = Make<RecordingWidget>(true, "s");
    EXPECT_TRUE(w->trace.empty());
    EXPECT_EQ(w->scriptEnds, 1);
    EXPECT_TRUE(w->IsIdle());
}

TEST_F(Interpreter, QueueingOnIdleRunsAtOnceAndWhileWaitingRunsAfterwardsInOrder) {
    Load(R"(<animation name="q1"><mark v="'q1'"/></animation>
            <animation name="q2"><mark v="'q2'"/></animation>
            <animation name="looping">
              <loop count="2"><mark v="'L'"/><wait-for time="2"/></loop>
              <mark v="'done'"/>
            </animation>)");
    auto* w = Make<RecordingWidget>(true);
    w->QueueAnimationRef("q1");
    EXPECT_EQ(w->Trace(), "q1 ");
    w->trace.clear();
    w->PlayAnimationRef("looping");
    EXPECT_EQ(w->Trace(), "L ");
    // Queued while the loop waits: both run after the loop and the rest of the script.
    w->QueueAnimationRef("q1");
    w->QueueAnimationRef("q2");
    Tick(1);
    EXPECT_EQ(w->Trace(), "L ");
    Tick(1);
    EXPECT_EQ(w->Trace(), "L L ");
    Tick(2);
    EXPECT_EQ(w->Trace(), "L L done q1 q2 ");
    EXPECT_TRUE(w->IsIdle());
}

TEST_F(Interpreter, ReplaceOrQueueReplacesPersistingScriptsAndQueuesBehindWaitingOnes) {
    Load(R"(<animation name="persist"><mark v="'p'"/><persist/><mark v="'never'"/></animation>
            <animation name="wait"><mark v="'w'"/><wait-for cond="go"/><mark v="'w2'"/></animation>
            <animation name="next"><mark v="'n'"/></animation>)");
    auto* w = Make<RecordingWidget>(true, "persist");
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kPersist);
    w->ReplaceOrQueueAnimationRef("next");
    EXPECT_EQ(w->Trace(), "p n ");
    w->trace.clear();
    w->PlayAnimationRef("wait");
    w->ReplaceOrQueueAnimationRef("next");
    EXPECT_EQ(w->Trace(), "w ");
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kWaitCondition);
    w->GetVariables().Set("go", ExprValue::FromBool(true));
    Tick();
    EXPECT_EQ(w->Trace(), "w w2 n ");
}

TEST_F(Interpreter, DefineStoresInNameOrderAndAssignAndUndefine) {
    Load(R"(<animation name="s">
      <define b="1" a="b + 1"/>
      <assign name="'c' + 1" value="a * 10"/>
      <define gone="1"/><undefine name="gone"/>
      <define other="2"/><define which="'other'"/><unassign name="which"/>
    </animation>)");
    auto* w = Make<RecordingWidget>(false, "s");
    w->GetVariables().Set("b", ExprValue::FromInt(5));
    mManager->AddWidget(w);
    const VariableTable& vars = w->GetVariables();
    EXPECT_EQ(vars.Find("a")->AsInt(), 6);  // a is evaluated first and sees the old b
    EXPECT_EQ(vars.Find("b")->AsInt(), 1);
    EXPECT_EQ(vars.Find("c1")->AsInt(), 60);
    EXPECT_FALSE(vars.Contains("gone"));
    EXPECT_FALSE(vars.Contains("other"));
    EXPECT_TRUE(vars.Contains("which"));
    EXPECT_TRUE(vars.Contains("self"));
}

TEST_F(Interpreter, RedefinedScriptReplacesTheOldOneButARunningScriptKeepsItsCommands) {
    Write("properties/animations.xml", R"(<animations>
      <include file="more.xml"/>
      <animation name="s"><mark v="'old'"/><wait-for cond="go"/><mark v="'old2'"/></animation>
    </animations>)");
    Write("properties/more.xml", R"(<animations>
      <animation name="s"><mark v="'new'"/></animation>
    </animations>)");
    AnimationStats stats(false);
    ASSERT_TRUE(stats.ReadAll());
    auto* w = Make<RecordingWidget>(true, "s");
    EXPECT_EQ(w->Trace(), "new ");  // the included file is read later and wins

    Load(
        R"(<animation name="t"><mark v="'t1'"/><wait-for cond="go"/><mark v="'t2'"/></animation>)");
    w->trace.clear();
    w->PlayAnimationRef("t");
    Load(R"(<animation name="t"><mark v="'replaced'"/></animation>)");
    w->GetVariables().Set("go", ExprValue::FromBool(true));
    Tick();
    EXPECT_EQ(w->Trace(), "t1 t2 ");
    w->RestartAnimation();  // restarts the record it holds
    EXPECT_EQ(w->Trace(), "t1 t2 t1 t2 ");
    EXPECT_TRUE(w->RestartIfNamed("t"));
    EXPECT_FALSE(w->RestartIfNamed("s"));
}

}  // namespace
