// The text label, expression text, counting number, rectangle and overlay widgets.

#include "ScriptWidgetsHarness.h"
#include "core/expr/FieldRegistry.h"
#include "widgets/anim/ExpressionTextWidget.h"
#include "widgets/anim/NumericalTextWidget.h"
#include "widgets/anim/OverlayAnimation.h"
#include "widgets/anim/RectWidget.h"
#include "widgets/anim/TextLabel.h"

namespace {

using TextWidgets = ScriptWidgetsTest;

TEST_F(TextWidgets, LabelAnchorsPlaceTheBlock) {
    // "Hello" is 40 by 16 in the fixed font.
    TextLabel centred("Hello", 100, 50, "label", 0, 0, 0, 0);
    EXPECT_EQ(centred.GetTextWidth(), 40);
    EXPECT_EQ(centred.GetTextHeight(), 16);
    EXPECT_EQ(centred.GetOffsetX(), -20);
    EXPECT_EQ(centred.GetOffsetY(), 12 - 8);
    EXPECT_TRUE(centred.Contains(-20.0f, 4.0f));
    EXPECT_TRUE(centred.Contains(19.9f, 19.9f));
    EXPECT_FALSE(centred.Contains(20.0f, 10.0f));

    TextLabel topLeft("Hello", 0, 0, "label", 0, -1, -1, -1);
    EXPECT_EQ(topLeft.GetOffsetX(), 0);
    EXPECT_EQ(topLeft.GetOffsetY(), 12);  // only the ascent adjustment

    TextLabel right("Hello", 0, 0, "label", 0, 1, 1, 1);
    EXPECT_EQ(right.GetOffsetX(), -40);
    EXPECT_EQ(right.GetOffsetY(), 12 - 16);
}

TEST_F(TextWidgets, LabelWrapsAtItsWidthAndAtTenThousandWithout) {
    TextLabel narrow("aaa bbb ccc", 0, 0, "label", 40, -1, -1, -1);
    EXPECT_EQ(narrow.GetTextWidth(), 24);
    EXPECT_EQ(narrow.GetTextHeight(), 16 * 3);
    TextLabel unbounded("aaa bbb ccc", 0, 0, "label", 0, -1, -1, -1);
    EXPECT_EQ(unbounded.GetTextWidth(), 88);
    EXPECT_EQ(unbounded.GetTextHeight(), 16);
    unbounded.SetText("aaaa");
    EXPECT_EQ(unbounded.GetTextWidth(), 32);
    unbounded.SetFont("no-such-font");
    EXPECT_EQ(unbounded.GetTextWidth(), 0);
}

TEST_F(TextWidgets, ExpressionTextFollowsItsContextCopy) {
    auto* host = Host();
    host->GetVariables().Set("score", ExprValue::FromInt(3));
    auto* label = new ExpressionTextWidget("'score ' + score + ' at ' + self.x", "label",
                                           host->GetVariables(), 0, 0, 0, -1, -1, -1);
    host->AddWidget(label);
    EXPECT_EQ(label->GetText(), "score 3 at 0");
    // The copy keeps the value it was given; object references in it follow their widgets.
    host->GetVariables().Set("score", ExprValue::FromInt(9));
    host->Move(25.0f, 0.0f);
    Run();
    EXPECT_EQ(label->GetText(), "score 3 at 25");
}

TEST_F(TextWidgets, CounterStepsTenfoldWhileTheGapIsLarge) {
    auto* host = Host();
    host->GetVariables().Set("total", ExprValue::FromInt(0));
    auto* counter = new NumericalTextWidget(0, 0, -1, "label", "%d pts", 1, 1,
                                            NumericalTextWidget::Binding::Variable(host, "total"));
    host->AddWidget(counter);
    EXPECT_EQ(counter->GetText(), "0 pts");
    host->GetVariables().Set("total", ExprValue::FromInt(12345));
    Run();
    EXPECT_EQ(counter->GetDisplayed(), 1000);
    EXPECT_TRUE(counter->IsChanging());
    int updates = 1;
    while (counter->GetDisplayed() != 12345 && updates < 1000) {
        Run();
        ++updates;
    }
    EXPECT_EQ(counter->GetDisplayed(), 12345);
    EXPECT_EQ(counter->GetText(), "12345 pts");
    EXPECT_LT(updates, 400);
    // The last steps are single ones.
    host->GetVariables().Set("total", ExprValue::FromInt(12343));
    Run();
    EXPECT_EQ(counter->GetDisplayed(), 12344);
}

TEST_F(TextWidgets, CounterPlaysItsSoundsAndWaitsItsTicks) {
    auto* host = Host();
    host->GetVariables().Set("n", ExprValue::FromInt(0));
    auto* counter = new NumericalTextWidget(0, 0, -1, "label", "%d", 1, 3,
                                            NumericalTextWidget::Binding::Variable(host, "n"));
    counter->SetSounds(7, 8);
    host->AddWidget(counter);
    host->GetVariables().Set("n", ExprValue::FromInt(2));
    Run(2);
    EXPECT_EQ(counter->GetDisplayed(), 0);
    Run();
    EXPECT_EQ(counter->GetDisplayed(), 1);
    Run(3);
    EXPECT_EQ(counter->GetDisplayed(), 2);
    host->GetVariables().Set("n", ExprValue::FromInt(1));
    Run(3);
    EXPECT_EQ(mHost.effects, (std::vector<int>{7, 7, 8}));
}

TEST_F(TextWidgets, CounterWithAGoneSourceStopsWhereItStands) {
    auto* owner = Host();
    owner->GetVariables().Set("n", ExprValue::FromInt(5));
    auto* other = Host();
    auto* counter = new NumericalTextWidget(0, 0, -1, "label", "%d", 0, 1,
                                            NumericalTextWidget::Binding::Variable(owner, "n"));
    other->AddWidget(counter);
    EXPECT_EQ(counter->GetDisplayed(), 5);
    owner->MarkForRemoval();
    Run(3);
    EXPECT_EQ(counter->GetDisplayed(), 5);

    // A field handle is read through the registry; once its owner unregisters it reads none.
    int32_t field = 40;
    const int32_t handle = FieldRegistry::Register(&field, &field);
    auto* follower = new NumericalTextWidget(0, 0, -1, "label", "%d", 0, 1,
                                             NumericalTextWidget::Binding::Handle(handle));
    other->AddWidget(follower);
    field = 41;
    Run();
    EXPECT_EQ(follower->GetDisplayed(), 41);
    FieldRegistry::UnregisterOwner(&field);
    field = 99;
    Run();
    EXPECT_EQ(follower->GetDisplayed(), 41);
}

TEST_F(TextWidgets, CounterFormatIsChecked) {
    auto* host = Host();
    auto* counter = new NumericalTextWidget(0, 0, -1, "label", "%s and %n", 0, 1,
                                            NumericalTextWidget::Binding::Fixed(12));
    host->AddWidget(counter);
    EXPECT_EQ(counter->GetText(), "12");
    auto* plain = new NumericalTextWidget(0, 0, -1, "label", "x%05d", 0, 1,
                                          NumericalTextWidget::Binding::Fixed(12));
    host->AddWidget(plain);
    EXPECT_EQ(plain->GetText(), "x00012");
}

TEST_F(TextWidgets, RectangleBecomesAnImageWhenAskedForOne) {
    RectWidget rect(5, 6, 20, 10, Color(255, 0, 0, 255));
    EXPECT_EQ(rect.mX, 5.0f);
    EXPECT_EQ(rect.mWidth, 20);
    EXPECT_EQ(rect.GetImage(), nullptr);
    ImageSurface* surface = rect.GetOwnImageSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->GetWidth(), 20);
    EXPECT_EQ(surface->GetPixel(3, 3, 0), 0xFFFF0000u);
    EXPECT_EQ(rect.GetImage(), surface);
}

TEST_F(TextWidgets, OverlayCoversTheDesignAreaAndLeavesAtItsEnd) {
    Load(R"(<animation name="cover"><wait-for time="5"/></animation>)");
    auto* screen = Host("", 100.0f, 40.0f);
    auto* overlay = new OverlayAnimation("cover");
    screen->AddWidget(overlay);
    EXPECT_EQ(overlay->mX, -100.0f);
    EXPECT_EQ(overlay->mY, -40.0f);
    EXPECT_EQ(overlay->mWidth, 1024);
    EXPECT_EQ(overlay->mHeight, 768);
    EXPECT_EQ(overlay->mZOrder, 1 << 30);
    EXPECT_TRUE(overlay->Contains(-5000.0f, 9000.0f));
    EXPECT_EQ(mManager->FindWidgetAt(500.0f, 500.0f, widgetflags::kDefault, nullptr, nullptr),
              overlay);
    Run(6);
    EXPECT_TRUE(screen->GetChildren().empty());
}

}  // namespace
