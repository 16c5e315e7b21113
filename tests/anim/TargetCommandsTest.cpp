// The target, hierarchy, flag and layer commands, and the commands that define or play in
// another scripted widget.

#include "ScriptWidgetsHarness.h"

namespace {

using TargetCommands = ScriptWidgetsTest;

TEST_F(TargetCommands, ShowHideEnableRemoveOnTheTargetOrTheHost) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <add image="dot" id="e"/>
              <hide id="d"/>
              <disable id="e"/>
              <mouse-visible id="e"/>
            </animation>
            <animation name="b"><show id="d"/><enable id="e"/><remove id="e"/><hide/></animation>)");
    auto* host = Host("a");
    auto* d = dynamic_cast<DynamicWidget*>(VarObject(host, "d"));
    auto* e = dynamic_cast<DynamicWidget*>(VarObject(host, "e"));
    ASSERT_NE(d, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(d->mVisible);
    EXPECT_TRUE(e->mDisabled);
    EXPECT_TRUE(e->mMouseVisible);
    host->PlayAnimationRef("b");
    EXPECT_TRUE(d->mVisible);
    EXPECT_FALSE(host->mVisible);
    Run();
    EXPECT_EQ(VarObject(host, "e"), nullptr);
    EXPECT_EQ(host->GetChildren().size(), 1u);
}

TEST_F(TargetCommands, DepthAndRestacking) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add image="dot" id="one"/>
              <add image="dot" id="two"/>
              <add image="dot" id="three"/>
              <bring-to-back id="three"/>
              <put-in-front id1="one" id2="two"/>
            </animation>
            <animation name="b"><set-depth id="three" depth="9"/><bring-to-front id="one"/></animation>)");
    auto* host = Host("a");
    auto name = [](Widget* w) { return dynamic_cast<DynamicWidget*>(w)->mScriptName; };
    const auto& kids = host->GetChildren();
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_EQ(name(kids[0]) + name(kids[1]) + name(kids[2]), "threetwoone");
    host->PlayAnimationRef("b");
    EXPECT_EQ(name(kids[0]) + name(kids[1]) + name(kids[2]), "twoonethree");
}

TEST_F(TargetCommands, FlagCommandsSetAndClearTheirBits) {
    Load(R"(<animation name="a">
              <update enable="false" disable="true"/>
              <crossfade enable="true"/>
              <batch disable="false"/>
              <allow-mouse/>
            </animation>
            <animation name="b"><update disable="false"/><crossfade enable="false"/></animation>)");
    auto* host = Host("a");
    EXPECT_EQ(host->mFlagsAdd, widgetflags::kLayered);
    EXPECT_EQ(host->mFlagsRemove, widgetflags::kUpdate);
    host->PlayAnimationRef("b");
    EXPECT_EQ(host->mFlagsAdd, 0u);
    EXPECT_EQ(host->mFlagsRemove, 0u);
}

TEST_F(TargetCommands, LayerStackIsWeak) {
    Load(R"(<animation name="a">
              <play animation="hold" id="layer1" remove="false"/>
              <set-layer id="layer1"/>
              <push-layer/>
              <play animation="hold" id="inner" remove="false"/>
              <set-layer id="inner"/>
              <push-layer/>
              <play animation="hold" id="deep" remove="false"/>
            </animation>
            <animation name="pop"><pop-layer/><play animation="hold" id="after" remove="false"/></animation>
            <animation name="hold"><wait-for time="1000"/></animation>)");
    auto* host = Host("a");
    auto* layer1 = dynamic_cast<AnimationWidget*>(VarObject(host, "layer1"));
    auto* inner = dynamic_cast<AnimationWidget*>(VarObject(host, "inner"));
    ASSERT_NE(layer1, nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetParent(), layer1);
    EXPECT_EQ(VarObject(host, "deep")->GetParent(), inner);
    EXPECT_EQ(host->GetLayerStackDepth(), 2u);
    // The saved "inner" is removed: popping skips it and restores "layer1".
    inner->MarkForRemoval();
    Run();
    host->PlayAnimationRef("pop");
    EXPECT_EQ(VarObject(host, "after")->GetParent(), layer1);
    EXPECT_EQ(host->GetLayerStackDepth(), 0u);
    // An empty stack changes nothing.
    host->PlayAnimationRef("pop");
    EXPECT_EQ(host->GetLayer(), static_cast<WidgetContainer*>(layer1));
}

TEST_F(TargetCommands, AttachKeepsThePlaceAndTheRunningScript) {
    Load(R"(<animation name="a">
              <play animation="hold" id="left" x="100" y="50" remove="false"/>
              <play animation="hold" id="right" x="300" y="70" remove="false"/>
              <play animation="count" id="mover" x="10" y="20" remove="false"/>
            </animation>
            <animation name="go"><attach id="mover" to="right"/></animation>
            <animation name="hold"><wait-for time="1000"/></animation>
            <animation name="count">
              <loop count="10"><assign name="'n'" value="n + 1"/><wait-for time="1"/></loop>
            </animation>)");
    auto* host = Host("a", 5.0f, 5.0f);
    auto* mover = dynamic_cast<AnimationWidget*>(VarObject(host, "mover"));
    auto* right = dynamic_cast<AnimationWidget*>(VarObject(host, "right"));
    ASSERT_NE(mover, nullptr);
    mover->GetVariables().Set("n", ExprValue::FromInt(0));
    Run(3);
    const int before = VarInt(mover, "n");
    host->PlayAnimationRef("go");
    EXPECT_EQ(mover->GetParent(), right);
    EXPECT_FLOAT_EQ(mover->mX, 10.0f - 300.0f);
    EXPECT_FLOAT_EQ(mover->mY, 20.0f - 70.0f);
    EXPECT_FLOAT_EQ(mover->LocalToGlobal().mX, 15.0f);
    Run(2);
    // The script went on counting instead of starting again.
    EXPECT_EQ(VarInt(mover, "n"), before + 2);
    EXPECT_FALSE(mover->IsIdle());
    EXPECT_EQ(mHost.queue.size(), 0u);
}

TEST_F(TargetCommands, AttachIntoTheTargetsOwnChildIsRefusedWithALogLine) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a"><play animation="nest" id="mover" remove="false"/></animation>
            <animation name="nest"><add image="dot" id="inner"/><wait-for time="1000"/></animation>
            <animation name="go"><attach id="mover" to="inner"/></animation>)");
    auto* host = Host("a");
    auto* mover = dynamic_cast<AnimationWidget*>(VarObject(host, "mover"));
    ASSERT_NE(mover, nullptr);
    Widget* inner = VarObject(mover, "inner");
    ASSERT_NE(inner, nullptr);
    host->GetVariables().Set("inner", ExprValue::FromObject(inner));
    testing::internal::CaptureStderr();
    host->PlayAnimationRef("go");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(mover->GetParent(), host);
    EXPECT_EQ(inner->GetParent(), mover);
    EXPECT_NE(log.find("\"attach\" of 'mover'"), std::string::npos) << log;
}

TEST_F(TargetCommands, GetPointFindsAPointOrReportsNone) {
    AddImage("area", 30, 20);
    auto clear = std::make_shared<ImageSurface>();
    clear->SetPixels(10, 10, std::vector<uint32_t>(100, 0x00000000u));
    AssetManager::Get().SetImage("clear", clear);
    Load(R"(<animation name="a">
              <add image="area" x="100" y="100" id="zone"/>
              <add image="clear" id="hole"/>
              <get-point id="zone" x="px" y="py" found="ok"/>
              <define qx="-1"/>
              <get-point id="hole" x="qx" y="qy" found="none"/>
            </animation>)");
    auto* host = Host("a");
    EXPECT_TRUE(host->GetVariables().Find("ok")->AsBool());
    EXPECT_GE(VarInt(host, "px"), 0);
    EXPECT_LT(VarInt(host, "px"), 30);
    EXPECT_LT(VarInt(host, "py"), 20);
    EXPECT_FALSE(host->GetVariables().Find("none")->AsBool());
    EXPECT_EQ(VarInt(host, "qx"), -1);
    EXPECT_FALSE(host->GetVariables().Contains("qy"));
}

TEST_F(TargetCommands, DefineAssignAndPlayInAnotherWidget) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <play animation="hold" id="other" remove="false"/>
              <add image="dot" id="plain"/>
              <define-in id="other" speed="4" name2="'x'"/>
              <assign-in id="other" name="'total'" value="2 + 1"/>
              <define-in id="plain" speed="4"/>
              <define key="'name2'"/>
              <unassign-in id="other" name="key"/>
              <play-in id="other" animation="report" level="2"/>
            </animation>
            <animation name="hold"><wait-for time="1000"/></animation>
            <animation name="report"><assign name="seen" value="level + speed"/></animation>)");
    auto* host = Host("a");
    auto* other = dynamic_cast<AnimationWidget*>(VarObject(host, "other"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(VarInt(other, "speed"), 4);
    EXPECT_FALSE(other->GetVariables().Contains("name2"));
    EXPECT_EQ(VarInt(other, "seen"), 6);
    EXPECT_EQ(VarInt(other, "total"), 3);
}

// Without "id" the scripted widget is the target: it defines, assigns, erases and plays in
// itself, and moves itself into another parent.
TEST_F(TargetCommands, WithoutAnIdTheInCommandsAndAttachActOnTheScriptsOwnWidget) {
    Load(R"(<animation name="a">
              <play animation="hold" id="right" x="300" y="70" remove="false"/>
              <play animation="hold" id="mover" x="10" y="20" remove="false"/>
            </animation>
            <animation name="hold"><wait-for time="1000"/></animation>
            <animation name="self">
              <define-in speed="4" gone="1" lost="1"/>
              <assign-in name="'total'" value="2 + 1"/>
              <undefine-in name="gone"/>
              <define key="'lost'"/>
              <unassign-in name="key"/>
              <attach to="right"/>
              <play-in animation="report" level="2"/>
            </animation>
            <animation name="report"><assign name="seen" value="level + speed"/></animation>)");
    auto* host = Host("a", 5.0f, 5.0f);
    auto* mover = dynamic_cast<AnimationWidget*>(VarObject(host, "mover"));
    auto* right = VarObject(host, "right");
    ASSERT_NE(mover, nullptr);
    mover->GetVariables().Set("right", ExprValue::FromObject(right));
    testing::internal::CaptureStderr();
    mover->PlayAnimationRef("self");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("not known"), std::string::npos) << log;
    EXPECT_EQ(VarInt(mover, "speed"), 4);
    EXPECT_EQ(VarInt(mover, "total"), 3);
    EXPECT_FALSE(mover->GetVariables().Contains("gone"));
    EXPECT_FALSE(mover->GetVariables().Contains("lost"));
    EXPECT_EQ(VarInt(mover, "seen"), 6);
    EXPECT_EQ(mover->GetParent(), right);
    EXPECT_FLOAT_EQ(mover->LocalToGlobal().mX, 15.0f);
    EXPECT_FLOAT_EQ(mover->LocalToGlobal().mY, 25.0f);
    // Still the host's named object, not one of its own.
    EXPECT_EQ(VarObject(host, "mover"), mover);
    EXPECT_FALSE(mover->GetVariables().Contains(""));
}

TEST_F(TargetCommands, WhenDoneActsAtOnceOnAnIdleTarget) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <add image="dot" id="e"/>
              <change id="e" property="x" end="100" time="5"/>
              <when-done id="d" hide="true"/>
              <when-done id="e" remove="true"/>
            </animation>)");
    auto* host = Host("a");
    auto* d = dynamic_cast<DynamicWidget*>(VarObject(host, "d"));
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->mVisible);
    EXPECT_NE(VarObject(host, "e"), nullptr);
    Run(7);
    EXPECT_EQ(VarObject(host, "e"), nullptr);
}

TEST_F(TargetCommands, RemovalInTheMiddleOfAWaitReleasesIt) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <play animation="hold" id="p" remove="false"/>
              <wait-for id="p" event="animation"/>
              <mark v="'released'"/>
              <remove-children/>
              <mark v="'cleared'"/>
            </animation>
            <animation name="hold"><wait-for time="1000"/></animation>)");
    auto* host = Host("a");
    EXPECT_EQ(host->Trace(), "");
    auto* p = dynamic_cast<AnimationWidget*>(VarObject(host, "p"));
    ASSERT_NE(p, nullptr);
    p->MarkForRemoval();
    Run();
    EXPECT_EQ(host->Trace(), "released cleared ");
    Run();
    EXPECT_TRUE(host->GetChildren().empty());
    EXPECT_EQ(VarObject(host, "d"), nullptr);
}

}  // namespace
