// "play", "spawn", "overlay", "call", "load-after" and "pick".

#include "ScriptWidgetsHarness.h"
#include "widgets/anim/OverlayAnimation.h"

namespace {

using ChildCommands = ScriptWidgetsTest;

TEST_F(ChildCommands, PlayPassesArgumentsAndWaitsForAnimations) {
    Load(R"(<animation name="a">
              <play animation="child" x="12" y="34" depth="5" id="kid" speed="2 + 1"/>
              <play animation="no-such-script" id="ghost"/>
              <wait-for event="animations"/>
              <mark v="'all done'"/>
            </animation>
            <animation name="child"><wait-for time="speed"/></animation>)");
    auto* host = Host("a");
    auto* kid = dynamic_cast<AnimationWidget*>(VarObject(host, "kid"));
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(VarObject(host, "ghost"), nullptr);
    EXPECT_EQ(kid->mX, 12.0f);
    EXPECT_EQ(kid->mY, 34.0f);
    EXPECT_EQ(kid->mZOrder, 5);
    EXPECT_EQ(VarInt(kid, "speed"), 3);
    EXPECT_FALSE(kid->GetVariables().Contains("depth"));
    EXPECT_EQ(host->Trace(), "");
    Run(4);
    EXPECT_EQ(host->Trace(), "all done ");
    // "remove" defaults to true: the child went with its script.
    EXPECT_EQ(VarObject(host, "kid"), nullptr);
}

TEST_F(ChildCommands, SpawnStartsFromACopyOfTheVariables) {
    Load(R"(<animation name="a">
              <define shared="10"/>
              <spawn animation="child" id="kid" extra="shared * 2" remove="false"/>
              <mark v="shared"/>
            </animation>
            <animation name="child">
              <assign name="'shared'" value="shared + 1"/>
              <wait-for time="1000"/>
            </animation>)");
    auto* host = Host("a");
    auto* kid = dynamic_cast<AnimationWidget*>(VarObject(host, "kid"));
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(VarInt(kid, "extra"), 20);
    EXPECT_EQ(VarInt(kid, "shared"), 11);
    EXPECT_EQ(VarObject(kid, "self"), kid);
    EXPECT_EQ(VarInt(host, "shared"), 10);
    EXPECT_FALSE(host->GetVariables().Contains("extra"));
    EXPECT_EQ(host->Trace(), "10 ");
    // Its own children go where the spawning widget puts its children.
    EXPECT_EQ(kid->GetLayer(), static_cast<WidgetContainer*>(host));
}

TEST_F(ChildCommands, SpawnIntoAnotherParent) {
    Load(R"(<animation name="a">
              <play animation="holder" id="box" remove="false"/>
              <spawn animation="child" parent="box" id="kid" remove="false"/>
              <spawn animation="child" parent="box" remove="false"/>
              <spawn animation="child" parent="'nobody'" remove="false"/>
            </animation>
            <animation name="holder"><wait-for time="1000"/></animation>
            <animation name="child"><wait-for time="1000"/></animation>)");
    auto* host = Host("a");
    auto* box = dynamic_cast<AnimationWidget*>(VarObject(host, "box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetChildren().size(), 2u);
    EXPECT_NE(VarObject(box, "kid"), nullptr);
    // A "parent" that is no scripted widget leaves the child with the spawning widget.
    EXPECT_EQ(host->GetChildren().size(), 2u);
}

TEST_F(ChildCommands, OverlaySitsBesideTheWidgetAndNeedsAParent) {
    Load(R"(<animation name="a">
              <overlay animation="cover" id="ov" level="3"/>
              <wait-for event="animations"/>
              <mark v="'gone'"/>
            </animation>
            <animation name="cover"><wait-for time="level"/></animation>)");
    auto* screen = Host();
    auto* inner = new RecordingWidget("a");
    screen->AddWidget(inner);
    auto* overlay = dynamic_cast<OverlayAnimation*>(VarObject(inner, "ov"));
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->GetParent(), screen);
    EXPECT_EQ(VarInt(overlay, "level"), 3);
    Run(4);
    EXPECT_EQ(inner->Trace(), "gone ");

    // Without a parent there is nowhere to put it: nothing is made.
    auto* orphan = new RecordingWidget();
    orphan->PlayAnimationRef("a");
    EXPECT_EQ(VarObject(orphan, "ov"), nullptr);
    delete orphan;
}

TEST_F(ChildCommands, CallRunsInlineThroughWaitsAndLoops) {
    Load(R"(<animation name="a">
              <loop count="2">
                <call animation="sub" n="7"/>
                <mark v="'after'"/>
              </loop>
              <mark v="'end'"/>
            </animation>
            <animation name="sub">
              <mark v="n"/>
              <wait-for time="2"/>
              <mark v="'sub done'"/>
            </animation>
            <animation name="b">
              <loop><call animation="breaker"/><mark v="'unreached'"/></loop>
              <mark v="'out'"/>
            </animation>
            <animation name="breaker"><break/></animation>)");
    auto* host = Host("a");
    EXPECT_EQ(host->Trace(), "7 ");
    Run(2);
    EXPECT_EQ(host->Trace(), "7 sub done after 7 ");
    Run(2);
    EXPECT_EQ(host->Trace(), "7 sub done after 7 sub done after end ");
    EXPECT_EQ(VarInt(host, "n"), 7);
    host->trace.clear();
    host->PlayAnimationRef("b");
    EXPECT_EQ(host->Trace(), "out ");
}

// A command nobody knows and a "call" of a script that does not exist are skipped, each named
// once with its script, line and file however often it runs; a called script's command is named
// by its own script.
TEST_F(ChildCommands, UnknownCommandsAndMissingCallsAreNamedOnce) {
    Load(R"(<animation name="a">
              <call animation="nowhere"/>
              <frobnicate x="1"/>
              <mark v="'on'"/>
              <call animation="inner"/>
            </animation>
            <animation name="inner">
              <wobble/>
            </animation>)");
    testing::internal::CaptureStderr();
    auto* host = Host("a");
    host->PlayAnimationRef("a");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(host->Trace(), "on on ");
    for (const char* expected :
         {"\"call\" of the script 'nowhere', which does not exist; skipped on Line 2 in File '",
          "Script 'a': the command \"frobnicate\" is not known here and is skipped on Line 3 in "
          "File '",
          "Script 'inner': the command \"wobble\" is not known here and is skipped on Line 8 in "
          "File '"}) {
        const size_t at = log.find(expected);
        ASSERT_NE(at, std::string::npos) << expected << "\n" << log;
        EXPECT_EQ(log.find(expected, at + 1), std::string::npos) << "named twice: " << expected;
        const std::string line = log.substr(at, log.find('\n', at) - at);
        EXPECT_TRUE(line.ends_with("animations.xml'")) << line;
    }
}

TEST_F(ChildCommands, LoadAfterQueuesBehindTheScript) {
    Load(R"(<animation name="a">
              <load-after animation="next"/>
              <load-after animation="missing"/>
              <mark v="'first'"/>
            </animation>
            <animation name="next"><mark v="'next'"/></animation>)");
    auto* host = Host("a");
    EXPECT_EQ(host->Trace(), "first next ");
}

TEST_F(ChildCommands, PickSpawnsInsideItsTargetAndTheSpawnsGo) {
    AddImage("area", 50, 40);
    Load(R"(<animation name="a">
              <add image="area" x="100" y="60" id="zone"/>
              <pick id="zone" animation="sparkle" points="5"/>
              <pick id="zone" animation="missing" points="5"/>
            </animation>
            <animation name="sparkle"><wait-for time="3"/></animation>)");
    auto* host = Host("a");
    auto* zone = dynamic_cast<DynamicWidget*>(VarObject(host, "zone"));
    ASSERT_NE(zone, nullptr);
    ASSERT_EQ(zone->GetChildren().size(), 5u);
    for (Widget* sparkle : zone->GetChildren()) {
        EXPECT_GE(sparkle->mX, 0.0f);
        EXPECT_LT(sparkle->mX, 50.0f);
        EXPECT_GE(sparkle->mY, 0.0f);
        EXPECT_LT(sparkle->mY, 40.0f);
    }
    Run(4);
    EXPECT_TRUE(zone->GetChildren().empty());
}

}  // namespace
