// "add" in each form, "add-button" wired back to its script, "add-label" and "add-rect".

#include "ScriptWidgetsHarness.h"
#include "widgets/anim/DragWidget.h"
#include "widgets/anim/ExpressionTextWidget.h"
#include "widgets/anim/MissingImage.h"
#include "widgets/anim/NumericalTextWidget.h"
#include "widgets/anim/RectWidget.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/DragButton.h"

namespace {

using AddCommands = ScriptWidgetsTest;

TEST_F(AddCommands, ImageFormsMakeThePlainOrTheScriptedWidget) {
    AddImage("dot", 10, 7);
    Load(R"(<animation name="a">
              <add image="dot" x="20" y="30" id="plain" depth="3" z="1.5" opacity="0.5"/>
              <add image="dot" x="5" y="5" id="busy" animation="spin"/>
              <add image="dot" x="100" y="100" id="aligned" align="center" valign="bottom"/>
              <add x="1" y="1" id="nothing"/>
            </animation>
            <animation name="spin"><wait-for time="1000"/></animation>)");
    auto* host = Host("a");
    auto* plain = dynamic_cast<DynamicWidget*>(VarObject(host, "plain"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(dynamic_cast<AnimationWidget*>(plain), nullptr);
    EXPECT_EQ(plain->mX, 20.0f);
    EXPECT_EQ(plain->mZOrder, 3);
    EXPECT_EQ(plain->mZ, 1.5f);
    EXPECT_EQ(plain->mOpacity, 0.5f);
    EXPECT_EQ(plain->mWidth, 10);
    auto* busy = dynamic_cast<AnimationWidget*>(VarObject(host, "busy"));
    ASSERT_NE(busy, nullptr);
    EXPECT_FALSE(busy->IsIdle());
    auto* aligned = dynamic_cast<DynamicWidget*>(VarObject(host, "aligned"));
    ASSERT_NE(aligned, nullptr);
    EXPECT_EQ(aligned->mX, 100.0f - 5.0f);  // odd widths halve toward zero
    EXPECT_EQ(aligned->mY, 100.0f - 7.0f);
    EXPECT_EQ(VarObject(host, "nothing"), nullptr);
    EXPECT_EQ(host->GetChildren().size(), 3u);
}

TEST_F(AddCommands, AMissingImageShowsTheMagentaChecker) {
    Load(R"(<animation name="a"><add image="'not_loaded'" x="3" y="4" id="m"/></animation>)");
    auto* host = Host("a");
    auto* m = dynamic_cast<DynamicWidget*>(VarObject(host, "m"));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->GetImage(), GetMissingImagePlaceholder());
    EXPECT_EQ(m->mWidth, 32);
    EXPECT_EQ(m->GetImage()->GetPixel(0, 0, 0), 0xFFFF00FFu);
    EXPECT_NE(m->GetImage()->GetPixel(8, 0, 0), 0xFFFF00FFu);
}

TEST_F(AddCommands, DraggableFormMakesADragWidget) {
    AddImage("panel", 200, 100);
    Load(R"(<animation name="a">
              <add draggable="true" image="panel" x="10" y="20" id="p" boundary="outer"
                   boundary_x="0" boundary_y="0" boundary_width="400" boundary_height="300"
                   flingable="true" can_drag_past_boundary_y="true"/>
              <add draggable="false" image="panel" x="0" y="0" id="q" boundary="inner"/>
            </animation>)");
    auto* host = Host("a");
    auto* p = dynamic_cast<DragWidget*>(VarObject(host, "p"));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->IsDraggable());
    EXPECT_EQ(p->GetBumpMode(), DragWidget::kBumpOuter);
    EXPECT_EQ(p->GetBumpRect(), Rect(0, 0, 400, 300));
    EXPECT_TRUE(p->mMomentum);
    EXPECT_TRUE(p->mFlingable);
    EXPECT_FALSE(p->mCanDragPastX);
    EXPECT_TRUE(p->mCanDragPastY);
    auto* q = dynamic_cast<DragWidget*>(VarObject(host, "q"));
    ASSERT_NE(q, nullptr);
    EXPECT_FALSE(q->IsDraggable());
    // Inner with no rectangle bumps against the design area.
    EXPECT_EQ(q->GetBumpRect(), Rect(0, 0, 1024, 768));
}

TEST_F(AddCommands, LabelsTakeTheirTextLookedUpWithThePlayerName) {
    LocalizedTexts::Set("hello", "Hi [player], and [player] again");
    Load(R"(<animation name="a">
              <add-label text="hello" font="label" x="10" y="20" id="l" align="center"
                         justification="right" depth="4" opacity="0.25"/>
              <add-label text="'raw [player]'" lookup="false" font="label" id="r"/>
              <add-label text="missing_key" font="label" id="m"/>
              <define score="7"/>
              <add-label expression="'score: ' + score" font="label" id="e"/>
            </animation>)");
    auto* host = Host("a");
    auto* l = dynamic_cast<TextLabel*>(VarObject(host, "l"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->GetText(), "Hi Ada, and Ada again");
    EXPECT_EQ(l->GetJustification(), 1);
    EXPECT_EQ(l->GetOffsetX(), -l->GetTextWidth() / 2);
    EXPECT_EQ(l->mZOrder, 4);
    EXPECT_EQ(l->mOpacity, 0.25f);
    auto* r = dynamic_cast<TextLabel*>(VarObject(host, "r"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetText(), "raw Ada");
    auto* m = dynamic_cast<TextLabel*>(VarObject(host, "m"));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetText(), "");
    EXPECT_TRUE(LocalizedTexts::Contains("missing_key"));
    auto* e = dynamic_cast<ExpressionTextWidget*>(VarObject(host, "e"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetText(), "score: 7");
}

TEST_F(AddCommands, RectangleDefaultsToOpaqueBlackComponents) {
    Load(R"(<animation name="a">
              <add-rect x="10" y="10" width="31" height="20" red="1" id="r" align="center"
                        valign="bottom" depth="2"/>
              <add-rect x="0" y="0" width="5" height="5" green="0.5" alpha="0.5" opacity="0.5"
                        id="g"/>
            </animation>)");
    auto* host = Host("a");
    auto* r = dynamic_cast<RectWidget*>(VarObject(host, "r"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetColour(), Color(255, 0, 0, 255));
    EXPECT_EQ(r->mX, 10.0f - 15.0f);
    EXPECT_EQ(r->mY, 10.0f - 20.0f);
    EXPECT_EQ(r->mZOrder, 2);
    auto* g = dynamic_cast<RectWidget*>(VarObject(host, "g"));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->GetColour(), Color(0, 127, 0, 127));
    EXPECT_EQ(g->mOpacity, 0.5f);
}

TEST_F(AddCommands, CounterFollowsAVariableOfTheHost) {
    mHost.sounds->LoadSound(3, "");  // a silent id is enough for the player's bookkeeping
    AssetManager::Get().SetSound("tick", 3);
    LocalizedTexts::Set("points", "%d points");
    Load(R"(<animation name="a">
              <define total="0"/>
              <add template="points" integer="total" font="label" x="50" y="60" id="c"
                   speed="0" up_sound="tick" valign="bottom"/>
              <add template="'%05d'" lookup="false" integer="42" font="label" id="f"/>
            </animation>)");
    auto* host = Host("a");
    auto* c = dynamic_cast<NumericalTextWidget*>(VarObject(host, "c"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetText(), "0 points");
    EXPECT_EQ(c->mY, 60.0f - 16.0f);
    host->GetVariables().Set("total", ExprValue::FromInt(250));
    Run();
    EXPECT_EQ(c->GetText(), "250 points");
    auto* f = dynamic_cast<NumericalTextWidget*>(VarObject(host, "f"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetText(), "00042");
}

TEST_F(AddCommands, ButtonsReportBackToTheirScript) {
    Load(R"(<animation name="a">
              <add-button text="'Go'" lookup="false" font="label" x="100" y="100" id="go"
                          launch="launched" parameter="'p1'" object="5"/>
              <add-button text="'Call'" lookup="false" font="label" x="100" y="200" id="call"
                          call="called" depress="false"/>
              <add-button text="'Act'" lookup="false" font="label" x="100" y="300" id="act"
                          action="'open'" parameter="'x'" object="2" align="right"/>
              <add-button text="'Drag'" lookup="false" font="label" x="300" y="300" id="drag"
                          drag_through="true"/>
              <wait-for time="100000"/>
            </animation>
            <animation name="launched"><mark v="parameter"/><mark v="object"/></animation>
            <animation name="called"><mark v="'called'"/></animation>)");
    auto* host = Host("a");
    auto* go = dynamic_cast<ButtonWidget*>(VarObject(host, "go"));
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->GetLabel(), "Go");
    EXPECT_EQ(go->mWidth, 16);  // sized by the label in the button's font
    EXPECT_EQ(go->mHeight, 16);
    auto* act = dynamic_cast<ButtonWidget*>(VarObject(host, "act"));
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(act->mX, 100.0f - 24.0f);
    EXPECT_NE(dynamic_cast<DragButton*>(VarObject(host, "drag")), nullptr);

    // A release over the button runs the launch (on depress, the default).
    host->ButtonDepress(go->mId);
    EXPECT_EQ(host->Trace(), "p1 5 ");
    host->trace.clear();
    // "depress" false: the press acts.
    host->PlayAnimationRef("a");
    auto* call = dynamic_cast<ButtonWidget*>(VarObject(host, "call"));
    ASSERT_NE(call, nullptr);
    host->ButtonDepress(call->mId);
    EXPECT_EQ(host->Trace(), "");
    host->ButtonPress(call->mId);
    EXPECT_EQ(host->Trace(), "called ");
    auto* act2 = dynamic_cast<ButtonWidget*>(VarObject(host, "act"));
    ASSERT_NE(act2, nullptr);
    host->ButtonDepress(act2->mId);
    ASSERT_FALSE(host->events.empty());
    EXPECT_EQ(host->events.back(), "open|x|2");
}

TEST_F(AddCommands, AButtonLabelIsCentredUnlessTheScriptSaysLeftOrRight) {
    AddImage("four", 160, 40, 0xFFFFFFFF, 4);
    Load(R"(<animation name="a">
              <add-button image="four" text="'Go'" lookup="false" x="0" y="0" id="plain"/>
              <add-button image="four" text="'Go'" lookup="false" x="0" y="50" id="left"
                          justification="left"/>
              <add-button image="four" text="'Go'" lookup="false" x="0" y="100" id="right"
                          justification="right"/>
              <add-button image="four" text="'Go'" lookup="false" x="0" y="150" id="centre"
                          justification="center"/>
            </animation>)");
    auto* host = Host("a");
    const auto justification = [&](const char* id) {
        auto* button = dynamic_cast<ButtonWidget*>(VarObject(host, id));
        return button != nullptr ? button->mJustification : 99;
    };
    EXPECT_EQ(justification("plain"), 0);
    EXPECT_EQ(justification("left"), -1);
    EXPECT_EQ(justification("right"), 1);
    EXPECT_EQ(justification("centre"), 0);
}

TEST_F(AddCommands, AButtonImageOfThreeOrMoreCellsGivesTheStatePictures) {
    AddImage("four", 40, 10, 0xFFFFFFFF, 4);
    AddImage("two", 20, 10, 0xFFFFFFFF, 2);
    Load(R"(<animation name="a">
              <add-button image="four" x="0" y="0" id="b4"/>
              <add-button image="two" x="0" y="50" id="b2"/>
            </animation>)");
    auto* host = Host("a");
    auto* b4 = dynamic_cast<ButtonWidget*>(VarObject(host, "b4"));
    auto* b2 = dynamic_cast<ButtonWidget*>(VarObject(host, "b2"));
    ASSERT_NE(b4, nullptr);
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(b4->mWidth, 10);  // a cell, not the strip
    EXPECT_TRUE(b4->mUseStateFrames);
    EXPECT_FALSE(b2->mUseStateFrames);
    b4->mIsOver = true;
    b4->MouseEnter();
    EXPECT_EQ(b4->mFrames.mFrame, 1);
    b4->SetDisabled(true);
    EXPECT_EQ(b4->mFrames.mFrame, 3);
    b2->mIsOver = true;
    b2->MouseEnter();
    EXPECT_EQ(b2->mFrames.mFrame, 0);
}

}  // namespace
