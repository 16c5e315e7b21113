// The appearance, frame and shader commands.

#include <cmath>
#include <filesystem>
#include <fstream>

#include "ScriptWidgetsHarness.h"
#include "graphics/Graphics.h"
#include "graphics/ShaderEffect.h"
#include "support/TempFolder.h"
#include "widgets/anim/DragWidget.h"

namespace {

using Appearance = ScriptWidgetsTest;

DynamicWidget* Object(AnimationWidget* host, const std::string& name) {
    const ExprValue* value = host->GetVariables().Find(name);
    return value != nullptr ? dynamic_cast<DynamicWidget*>(value->AsObject()) : nullptr;
}

TEST_F(Appearance, FlipBlendCullAndCentre) {
    AddImage("dot", 40, 20);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <flip id="d"/>
              <flip id="d" dir="'vertical'"/>
              <blend id="d" mode="'multiply'"/>
              <cull id="d"/>
              <set-center id="d" x="10"/>
              <rotation-axis id="d" x="0" y="3" z="4"/>
            </animation>
            <animation name="b"><flip id="d"/><blend id="d" mode="'sparkly'"/></animation>)");
    auto* host = Host("a");
    DynamicWidget* d = Object(host, "d");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->mFlipX, -1);
    EXPECT_EQ(d->mFlipY, -1);
    EXPECT_EQ(d->mBlendMode, 2);
    EXPECT_TRUE(d->mCulling);
    EXPECT_EQ(d->mCenterX, 10.0f);  // 40 / 2 - 10
    EXPECT_EQ(d->mCenterY, 0.0f);   // not given: kept
    EXPECT_FLOAT_EQ(d->mAxisY, 0.6f);
    host->PlayAnimationRef("b");
    EXPECT_EQ(d->mFlipX, 1);
    EXPECT_EQ(d->mBlendMode, 0);
}

TEST_F(Appearance, CycleForwardBackBothAndBySequence) {
    AddImage("strip", 40, 10, 0xFFFFFFFF, 4);
    Load(R"(<animation name="fwd"><add image="strip" id="d"/>
              <cycle id="d" rate="1" cycles="1"/></animation>
            <animation name="back"><add image="strip" id="d"/>
              <cycle id="d" frame="3" dir="'back'" rate="1" cycles="1"/></animation>
            <animation name="both"><add image="strip" id="d"/>
              <cycle id="d" dir="'both'" rate="1" max="2"/></animation>
            <animation name="list"><add image="strip" id="d"/>
              <cycle id="d" sequence="3, 0, 2" rate="2"/></animation>)");
    auto frames = [this](const std::string& script, int updates) {
        auto* host = Host(script);
        DynamicWidget* d = Object(host, "d");
        std::string seen;
        for (int i = 0; i < updates; ++i) {
            Run();
            seen += std::to_string(d->mFrames.mFrame);
        }
        host->MarkForRemoval();
        Run();
        return seen;
    };
    EXPECT_EQ(frames("fwd", 6), "123333");
    EXPECT_EQ(frames("back", 5), "21000");
    EXPECT_EQ(frames("both", 6), "121012");
    EXPECT_EQ(frames("list", 6), "033002");
}

TEST_F(Appearance, FlashStartsHiddenAndBlinks) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a"><add image="dot" id="d"/><flash id="d" interval="5" cycles="1"/>
            </animation>
            <animation name="b"><flash id="d" interval="5" cycles="1" timer_init="0"/></animation>)");
    auto* host = Host("a");
    DynamicWidget* d = Object(host, "d");
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->mVisible);
    EXPECT_EQ(d->mBlinkPeriod, 10);
    EXPECT_TRUE(d->IsAnimating());
    host->PlayAnimationRef("b");
    EXPECT_TRUE(d->mVisible);
    Run(5);
    EXPECT_FALSE(d->mVisible);
    Run(5);
    EXPECT_TRUE(d->mVisible);
    EXPECT_FALSE(d->IsAnimating());
}

TEST_F(Appearance, FramesMasksAndCrossfades) {
    AddImage("strip", 40, 10, 0xFFFFFFFF, 4);
    AddImage("mask", 20, 10, 0xFFFFFFFF, 2);
    Load(R"(<animation name="a">
              <add image="strip" id="d"/>
              <set-frame id="d" frame="2"/>
              <fade-to-frame id="d" frame="3" time="4"/>
              <set-mask id="d" image="mask"/>
              <set-mask-frame id="d" frame="1"/>
              <mask-rect id="d" x="1" y="2" width="3" height="4"/>
              <cycle-mask id="d" rate="1"/>
            </animation>)");
    auto* host = Host("a");
    DynamicWidget* d = Object(host, "d");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->mFrames.mFrame, 3);
    EXPECT_EQ(d->mPreviousFrame, 2);
    EXPECT_FLOAT_EQ(d->mCrossfadeWeight, 1.0f);
    Run(2);
    EXPECT_FLOAT_EQ(d->mCrossfadeWeight, 0.5f);
    Run(2);
    EXPECT_FLOAT_EQ(d->mCrossfadeWeight, 0.0f);
    EXPECT_NE(d->GetMask(), nullptr);
    EXPECT_EQ(d->mMaskFrames.mMax, 1);
    EXPECT_GT(d->mMaskFrames.mFrameTime, 0.0f);
}

TEST_F(Appearance, ReplaceResizeTesselateAndRecursive) {
    AddImage("dot", 4, 4);
    AddImage("big", 30, 20);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <add image="dot" id="e"/>
              <add image="dot" id="f"/>
              <replace id="d" image="big"/>
              <replace id="e" width="6" height="5" red="1" alpha="0.5"/>
              <replace id="f" width="6"/>
              <resize id="f" height="9"/>
              <tesselate id="d" rows="3" cols="2"/>
              <recursive id="d" transform="true" color="'postrender'" clipping="true"/>
              <check-pixels id="d" enable="false"/>
              <use-hand-cursor id="d" enable="true"/>
              <cache id="d" enable="true" immediate="false"/>
            </animation>
            <animation name="b"><tesselate id="d"/><recursive id="d" color="'other'"/></animation>)");
    auto* host = Host("a");
    DynamicWidget* d = Object(host, "d");
    DynamicWidget* e = Object(host, "e");
    DynamicWidget* f = Object(host, "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(d->mWidth, 30);
    EXPECT_EQ(e->mWidth, 6);
    EXPECT_EQ(e->GetImage()->GetPixel(1, 1, 0), 0x7FFF0000u);
    EXPECT_EQ(f->mWidth, 4);  // "replace" with only a width does nothing
    EXPECT_EQ(f->mHeight, 9);
    EXPECT_TRUE(d->mTessellated);
    EXPECT_TRUE(d->mTransformMode);
    EXPECT_EQ(d->mDrawMode, DynamicWidget::kDrawPostrender);
    EXPECT_TRUE(d->mClipping);
    EXPECT_FALSE(d->mCheckPixels);
    EXPECT_TRUE(d->mHandCursor);
    host->PlayAnimationRef("b");
    EXPECT_FALSE(d->mTessellated);
    EXPECT_EQ(d->mDrawMode, DynamicWidget::kDrawOwn);
    EXPECT_TRUE(d->mTransformMode);
}

TEST_F(Appearance, AChildOfTheWidgetsOwnImageKeepsItsPixels) {
    AddImage("dot", 4, 4);
    // Twice: a piece of a piece still shows the picture the widget made for itself.
    Load(R"(<animation name="a">
              <add image="dot" id="e"/>
              <replace id="e" width="6" height="5" red="1" alpha="0.5"/>
              <child-image id="e"/>
              <child-image id="e"/>
            </animation>)");
    DynamicWidget* e = Object(Host("a"), "e");
    ASSERT_NE(e, nullptr);
    ASSERT_NE(e->GetImage(), nullptr);
    EXPECT_EQ(e->mWidth, 6);
    EXPECT_EQ(e->GetImage()->GetPixel(1, 1, 0), 0x7FFF0000u);
}

// A picture taken from another widget (a movie's surface, a widget's own generated picture)
// stays while something shows it, whatever happens to the widget it came from.
TEST_F(Appearance, APictureTakenFromAnotherWidgetLivesWhileShown) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add video="'none'" width="8" height="6" id="m"/>
              <add image="dot" id="q"/>
              <replace id="q" width="5" height="5" red="1"/>
              <add image="dot" id="p"/>
              <replace id="p" image="m.image"/>
              <add image="dot" id="k"/>
              <set-mask id="k" image="m.image"/>
              <add image="m.image" id="r"/>
              <add image="dot" id="s"/>
              <replace id="s" image="q.image"/>
              <add image="dot" id="c"/>
              <child-image id="c" image="q.image"/>
            </animation>
            <animation name="regrow"><replace id="q" width="7" height="7"/></animation>
            <animation name="drop"><remove id="m"/><remove id="q"/></animation>)");
    auto* host = Host("a");
    std::vector<DynamicWidget*> holders;
    for (const char* name : {"p", "k", "r", "s", "c"}) {
        holders.push_back(Object(host, name));
        ASSERT_NE(holders.back(), nullptr) << name;
    }
    host->PlayAnimationRef("regrow");  // q's first picture is no longer its own
    host->PlayAnimationRef("drop");
    Run();
    ASSERT_EQ(Object(host, "m"), nullptr);

    ImageSurface canvas;
    canvas.Create(16, 16);
    Graphics g(&canvas);
    for (DynamicWidget* holder : holders) {
        holder->Draw(&g);
    }
    EXPECT_EQ(holders[0]->GetImage()->GetWidth(), 8);
    EXPECT_EQ(holders[1]->GetMask()->GetHeight(), 6);
    EXPECT_EQ(holders[2]->mWidth, 8);
    EXPECT_EQ(holders[3]->GetImage()->GetPixel(1, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(holders[4]->GetImage()->GetPixel(1, 1, 0), 0xFFFF0000u) << "a piece keeps its page";
}

TEST_F(Appearance, CircleAndShearAreNamedControllers) {
    AddImage("dot", 40, 20);
    Load(R"(<animation name="a">
              <add image="dot" id="d" x="10" y="0"/>
              <circle id="d" controller="orbit" x="0" y="0" angle="90" time="10"/>
              <shear id="d" controller="lean" x="0.5" align="'left'" valign="'bottom'" speed="0.1"/>
            </animation>)");
    auto* host = Host("a");
    DynamicWidget* d = Object(host, "d");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->HasController("orbit"));
    EXPECT_TRUE(d->HasController("lean"));
    Run(12);
    EXPECT_FALSE(d->HasController("orbit"));
    EXPECT_NEAR(d->mX, 0.0f, 0.01f);
    EXPECT_NEAR(std::fabs(d->mY), 10.0f, 0.01f);
    EXPECT_EQ(d->mShearXOffset, -20.0f);
    EXPECT_EQ(d->mShearYOffset, 10.0f);
}

// "shader" attaches an effect and feeds it the widget's clock; "set-shader-constant" feeds a
// field by its handle at every draw ("real_ptr") or sets a value at once ("real"), and changes
// nothing on a widget without an effect; a new effect frees the old one; a visible widget with
// an effect is drawn again at every update, and only where its picture is.
TEST_F(Appearance, ShaderAttachesFeedsAndReplacesEffects) {
    TempFolder temp;
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path());
    std::filesystem::create_directories("properties");
    std::ofstream("properties/glow.hlsl") << R"(float4x4 WorldViewProj;
float Clock;
float Level;
float Depth;
sampler2D Picture;
float4 VS(float4 p : POSITION, inout float2 uv : TEXCOORD0) : POSITION {
    return mul(p, WorldViewProj) * (1.0 + Clock * 0.0);
}
float4 PS(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(Picture, uv) * Level * Depth; }
)";
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <add image="dot" id="e" x="7"/>
              <set-shader-constant id="e" name="'Level'" real="0.5"/>
              <shader id="d" name="'glow'"/>
              <set-shader-constant id="d" name="'Level'" real="0.25"/>
              <set-shader-constant id="d" name="'Depth'" real_ptr="e.x_ptr"/>
            </animation>
            <animation name="again"><shader id="d" name="'glow'"/></animation>
            <animation name="off"><shader id="d" name="''"/></animation>)");
    auto* host = Host("a");
    DynamicWidget* d = Object(host, "d");
    DynamicWidget* e = Object(host, "e");
    ASSERT_NE(d, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetShader(), nullptr);
    ShaderEffect* first = d->GetShader();
    ASSERT_NE(first, nullptr);
    float value = 0.0f;
    ASSERT_TRUE(first->GetConstant("Level", &value));  // at once, before any draw
    EXPECT_EQ(value, 0.25f);
    EXPECT_FALSE(first->GetConstant("Clock", &value));

    Run(3);
    e->Move(9.0f, 0.0f);
    ImageSurface canvas;
    canvas.Create(16, 16);
    {
        Graphics g(&canvas);
        d->Draw(&g);
        EXPECT_EQ(g.GetRenderState().mEffect, nullptr) << "the effect is the widget's draw's only";
    }
    ASSERT_TRUE(first->GetConstant("Clock", &value));
    EXPECT_EQ(value, d->mClock);
    EXPECT_GT(value, 0.0f);
    ASSERT_TRUE(first->GetConstant("Depth", &value));
    EXPECT_EQ(value, 9.0f);

    mManager->mWidth = 64;
    mManager->mHeight = 48;
    mManager->DrawScreen(nullptr);
    EXPECT_FALSE(mManager->IsDirty());
    Run();
    EXPECT_TRUE(mManager->IsDirty()) << "an effect at rest still changes with the clock";
    // Only the widget's own picture changes: only its part of the screen is drawn again.
    Rect area;
    ASSERT_TRUE(mManager->GetDirtyArea(&area)) << "the whole screen was marked";
    const FRect picture = d->LocalToGlobalArea(FRect(0.0f, 0.0f, 4.0f, 4.0f));
    EXPECT_TRUE(area.mX <= picture.mX && area.mY <= picture.mY &&
                area.mX + area.mWidth >= picture.mX + 4.0f &&
                area.mY + area.mHeight >= picture.mY + 4.0f && area.mWidth <= 9 &&
                area.mHeight <= 9)
        << area.mX << "," << area.mY << " " << area.mWidth << "x" << area.mHeight;

    const size_t live = ShaderEffect::GetLiveCount();
    host->PlayAnimationRef("again");
    EXPECT_NE(d->GetShader(), first);
    EXPECT_EQ(ShaderEffect::GetLiveCount(), live) << "the old effect went with the new one";
    host->PlayAnimationRef("off");
    EXPECT_EQ(d->GetShader(), nullptr);
    EXPECT_EQ(ShaderEffect::GetLiveCount(), live - 1);
    std::filesystem::current_path(old);
}

TEST_F(Appearance, DragSwitchesOnlyOnDragWidgets) {
    AddImage("dot", 4, 4);
    Load(R"(<animation name="a">
              <add image="dot" id="d"/>
              <add draggable="true" image="dot" id="g"/>
              <set-draggable id="d" enable="false"/>
              <set-draggable id="g" enable="false"/>
              <set-drag-through id="g"/>
            </animation>)");
    auto* host = Host("a");
    auto* g = dynamic_cast<DragWidget*>(Object(host, "g"));
    ASSERT_NE(g, nullptr);
    EXPECT_FALSE(g->IsDraggable());
    EXPECT_TRUE(g->PushesParent());
}

}  // namespace

namespace {

TEST_F(Appearance, SetBumpChangesWhatIsGiven) {
    Load(R"(<animation name="mode"><set-bump id="self" bump="'outer'"/></animation>
            <animation name="rect"><set-bump id="self" bump="'none'" x="5" width="50"/>
            </animation>)");
    auto* drag = new DragWidget(0, 0, nullptr, 1.0f, DragWidget::kBumpInner, 1, 2, 300, 400);
    mManager->AddWidget(drag);
    drag->PlayAnimationRef("mode");
    EXPECT_EQ(drag->GetBumpMode(), DragWidget::kBumpOuter);
    EXPECT_EQ(drag->GetBumpRect(), Rect(1, 2, 300, 400));
    drag->PlayAnimationRef("rect");
    EXPECT_EQ(drag->GetBumpMode(), DragWidget::kBumpNone);
    EXPECT_EQ(drag->GetBumpRect(), Rect(5, 2, 50, 400));
}

}  // namespace
