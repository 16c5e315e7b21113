#include <gtest/gtest.h>

#include "ScriptHarness.h"

namespace {

class RecordingListener : public AnimationListener {
public:
    void AnimationEnded(uint32_t id) override { log += "ended:" + std::to_string(id) + " "; }
    void AnimationPersisted(uint32_t id) override {
        log += "persisted:" + std::to_string(id) + " ";
    }
    void AnimationEvent(uint32_t id, const std::string& message) override {
        log += message + ":" + std::to_string(id) + " ";
    }
    std::string log;
};

class Waits : public ScriptTest {
protected:
    // A scripted widget in the manager with a named plain child "kid" and a named scripted
    // child "kid2".
    void SetUpHost() {
        host = Make<RecordingWidget>(true);
        kid = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
        kid->mWidth = kid->mHeight = 10;
        host->RegisterObject("kid", kid);
        kid2 = Make<RecordingWidget>(false);
        host->RegisterObject("kid2", kid2);
    }
    bool Var(const char* name) const {
        const ExprValue* value = host->GetVariables().Find(name);
        return value != nullptr && value->AsBool();
    }

    RecordingWidget* host = nullptr;
    DynamicWidget* kid = nullptr;
    RecordingWidget* kid2 = nullptr;
};

TEST_F(Waits, TimeOutCondAndClick) {
    Load(R"(<animation name="time"><wait-for time="3" timed_out="to"/><mark v="'t'"/></animation>
            <animation name="zero"><wait-for time="0"/><mark v="'z'"/></animation>
            <animation name="cond"><wait-for cond="1 == 1"/><mark v="'c'"/></animation>
            <animation name="click">
              <wait-for click="true" time="50" clicked="c" timed_out="to"/><mark v="'k'"/>
            </animation>)");
    SetUpHost();
    host->PlayAnimationRef("time");
    Tick(2);
    EXPECT_TRUE(host->trace.empty());
    Tick(1);
    EXPECT_EQ(host->Trace(), "t ");
    EXPECT_TRUE(Var("to"));
    host->PlayAnimationRef("zero");
    host->PlayAnimationRef("cond");
    EXPECT_EQ(host->Trace(), "t z c ");

    host->PlayAnimationRef("click");
    EXPECT_TRUE(host->IsListeningForClicks());
    EXPECT_EQ(mManager->GetTrackedWidgetCount(), 1u);
    mManager->NotifyTrackedWidgetsA(1);
    mManager->NotifyTrackedWidgetsB(1);
    EXPECT_EQ(host->Trace(), "t z c k ");
    EXPECT_TRUE(Var("c"));
    EXPECT_FALSE(Var("to"));
    EXPECT_EQ(mManager->GetTrackedWidgetCount(), 0u);
}

TEST_F(Waits, ChildrenObjectsAnimationsAndControllers) {
    Load(R"(<animation name="objects"><wait-for event="objects"/><mark v="'o'"/></animation>
            <animation name="object"><wait-for id="kid"/><mark v="'ob'"/></animation>
            <animation name="ctl">
              <change id="kid" property="y" end="9" time="2" controller="'move'"/>
              <wait-for id="kid" controller="'move'"/><mark v="'ctl'"/>
            </animation>
            <animation name="anims"><wait-for event="animations"/><mark v="'a'"/></animation>
            <animation name="script"><wait-for id="kid2" event="animation"/><mark v="'s'"/></animation>
            <animation name="busy"><wait-for cond="go"/></animation>)");
    SetUpHost();
    host->PlayAnimationRef("objects");
    EXPECT_EQ(host->Trace(), "o ");  // nothing animates: no wait
    kid->TweenNamedFloat("x", 10.0f, 3.0f, nullptr, kChangedPosition);
    host->PlayAnimationRef("objects");
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kWaitObjects);
    host->QueueAnimationRef("object");
    // The parent's wait check runs before its children update, so it sees the end one tick later.
    Tick(3);
    EXPECT_EQ(host->Trace(), "o ");
    Tick(1);
    EXPECT_EQ(host->Trace(), "o o ob ");
    EXPECT_FLOAT_EQ(kid->mX, 10.0f);

    host->PlayAnimationRef("ctl");
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kWaitController);
    Tick(3);
    EXPECT_EQ(host->Trace(), "o o ob ctl ");

    host->AddRunningChildAnimation(kid2->mId);
    host->PlayAnimationRef("anims");
    Tick(2);
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kWaitAnimations);
    host->AnimationEnded(kid2->mId);
    Tick();
    EXPECT_EQ(host->Trace(), "o o ob ctl a ");

    kid2->PlayAnimationRef("busy");
    host->PlayAnimationRef("script");
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kWaitObjectScript);
    Tick();
    kid2->GetVariables().Set("go", ExprValue::FromBool(true));
    Tick(2);  // the child's script ends; the parent's wait sees it on the next update
    EXPECT_EQ(host->Trace(), "o o ob ctl a s ");
}

TEST_F(Waits, MouseEventsAndRemovalOfTheWaitedChild) {
    Load(R"(<animation name="mouse">
              <wait-for id="kid" event="mouse_up"/><mark v="'up'"/>
              <wait-for id="kid" event="mouse_down"/><mark v="'down'"/>
              <wait-for id="kid" event="mouse_hover"/><mark v="'hover'"/>
              <wait-for id="kid" event="mouse_leave"/><mark v="'leave'"/>
              <wait-for id="kid" event="mouse_up"/><mark v="'removed'"/>
            </animation>
            <animation name="sound"><wait-for sound="'no-such-sound'" cond="go"/><mark v="'snd'"/>
            </animation>)");
    SetUpHost();
    host->PlayAnimationRef("mouse");
    host->ButtonPress(kid->mId);  // not the event waited for
    EXPECT_TRUE(host->trace.empty());
    host->ButtonDepress(kid2->mId);  // not the object waited for
    EXPECT_TRUE(host->trace.empty());
    host->ButtonDepress(kid->mId);
    host->ButtonPress(kid->mId);
    host->ButtonMouseEnter(kid->mId);
    host->ButtonMouseLeave(kid->mId);
    EXPECT_EQ(host->Trace(), "up down hover leave ");
    EXPECT_EQ(host->mLastButtonId, kid->mId);
    kid->MarkForRemoval();
    EXPECT_EQ(host->Trace(), "up down hover leave removed ");
    EXPECT_FALSE(host->GetVariables().Contains("kid"));
    EXPECT_EQ(host->GetNamedChildCount(), 1u);

    host->PlayAnimationRef("sound");
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kWaitCondition);
    host->GetVariables().Set("go", ExprValue::FromBool(true));
    Tick();
    EXPECT_EQ(host->Trace(), "up down hover leave removed snd ");
}

TEST_F(Waits, ReferencesToRemovedWidgetsReadAsNone) {
    Load(R"(<animation name="s"><define ref="kid" rx="kid.x"/><wait-for id="ref"/></animation>)");
    SetUpHost();
    kid->mX = 7.0f;
    kid->TweenNamedFloat("x", 9.0f, 5.0f, nullptr, kChangedPosition);
    host->PlayAnimationRef("s");
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kWaitObject);
    EXPECT_FLOAT_EQ(host->GetVariables().Find("rx")->AsReal(), 7.0f);
    // The widget is destroyed while the script waits for it and a variable still holds it.
    std::erase_if(mOwned, [this](const std::unique_ptr<Widget>& w) { return w.get() == kid; });
    EXPECT_EQ(host->GetVariables().Find("ref")->AsObject(), nullptr);
    EXPECT_EQ(host->GetEvaluator().Evaluate("ref.x").AsReal(), 0.0f);
    Tick();
    EXPECT_EQ(host->GetRunState(), AnimationWidget::kRunning);
    EXPECT_TRUE(host->IsIdle());
}

TEST_F(Waits, SignalPersistAndEventsPassedUpToTheParent) {
    Load(R"(<animation name="sig">
              <signal message="'hello'"/><signal message="'complete'" stop="true"/>
              <mark v="'after'"/><persist/>
            </animation>)");
    auto* top = Make<RecordingWidget>(true);
    auto* middle = Make<AnimationWidget>(false, 0, 0, nullptr, 1.0f);
    top->AddWidget(middle);
    auto* button = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    middle->RegisterObject("b1", button);
    AnimationWidget::ButtonEntry entry;
    entry.buttonLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button);
    entry.actionAnimation = "picked";
    entry.parameter = "p";
    entry.object = 7;
    entry.kind = 3;
    middle->AddButtonEntry(button->mId, entry);
    middle->ButtonPress(button->mId);
    ASSERT_EQ(top->events.size(), 1u);
    EXPECT_EQ(top->events[0], "picked|p|7");
    EXPECT_EQ(middle->GetVariables().Find("button_id")->AsString(), "b1");

    RecordingListener listener;
    auto* w = Make<RecordingWidget>(true);
    listener.ListenTo(w);
    w->PlayAnimationRef("sig");
    const std::string id = std::to_string(w->mId);
    EXPECT_EQ(listener.log, "hello:" + id + " complete:" + id + " ended:" + id + " ");
    EXPECT_TRUE(w->trace.empty());
    w->RunCommands(true);
    EXPECT_EQ(w->Trace(), "after ");
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kPersist);
    EXPECT_NE(listener.log.find("persisted:" + id), std::string::npos);
}

TEST_F(Waits, ButtonLaunchAndCallActions) {
    Load(R"(<animation name="main"><mark v="'m'"/><wait-for cond="go"/><mark v="'m2'"/></animation>
            <animation name="called"><mark v="'called'"/></animation>
            <animation name="launched"><mark v="parameter + object"/></animation>)");
    auto* w = Make<RecordingWidget>(true, "main");
    auto* button = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    w->RegisterObject("b", button);
    AnimationWidget::ButtonEntry call;
    call.buttonLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button);
    call.actionAnimation = "called";
    call.kind = 2;
    call.actOnDepress = true;
    w->AddButtonEntry(button->mId, call);
    const int counter = w->GetRunCounter();
    w->ButtonPress(button->mId);  // acts on the release only
    EXPECT_EQ(w->Trace(), "m ");
    w->ButtonDepress(button->mId);
    EXPECT_EQ(w->Trace(), "m called ");
    EXPECT_EQ(w->GetRunCounter(), counter);
    EXPECT_EQ(w->GetRunState(), AnimationWidget::kWaitCondition);  // waits anew
    w->GetVariables().Set("go", ExprValue::FromBool(true));
    Tick();
    EXPECT_EQ(w->Trace(), "m called m2 ");

    AnimationWidget::ButtonEntry launch = call;
    launch.kind = 1;
    launch.actionAnimation = "launched";
    launch.parameter = "x";
    launch.object = 3;
    w->AddButtonEntry(button->mId, launch);
    w->ButtonDepress(button->mId);
    EXPECT_EQ(w->Trace(), "m called m2 x3 ");
    EXPECT_EQ(w->GetRunCounter(), counter + 1);
}

TEST_F(Waits, ClearChildrenEndsEvenWhenRemovalsAreNotReported) {
    auto* w = Make<RecordingWidget>(true);
    auto* kept = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    kept->mDeleteOnRemove = false;
    auto* plain = Make<DynamicWidget>(false, 0, 0, nullptr, 1.0f);
    w->RegisterObject("kept", kept);
    w->RegisterObject("plain", plain);
    w->GetVariables().Set("n", ExprValue::FromInt(1));
    w->ClearChildren(true);
    EXPECT_EQ(w->GetNamedChildCount(), 0u);
    EXPECT_TRUE(w->GetChildren().empty());
    EXPECT_FALSE(w->GetVariables().Contains("n"));
    EXPECT_TRUE(w->GetVariables().Contains("self"));
}

}  // namespace
