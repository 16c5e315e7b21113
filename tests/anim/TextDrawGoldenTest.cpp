// The flat-colour widgets and the drawn boxes of "add" on the real renderer, compared with
// golden images under tests/anim/golden/ (text with the tolerance of the text tests). Set
// P7_UPDATE_GOLDEN=1 to rewrite them; a mismatch writes the run's image into the build folder.

#include <memory>
#include <string>
#include <vector>

#include "WidgetDrawTest.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/fonts/Fonts.h"
#include "graphics/fonts/SysFont.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/anim/NumericalTextWidget.h"
#include "widgets/anim/RectWidget.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/script/AnimationTable.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

std::shared_ptr<ImageSurface> Solid(const std::string& name, int width, int height, uint32_t argb) {
    auto image = std::make_shared<ImageSurface>();
    image->SetName(name);
    image->SetPixels(width, height, std::vector<uint32_t>(size_t(width * height), argb));
    AssetManager::Get().SetImage(name, image);
    return image;
}

class TextWidgetsDraw : public WidgetDrawTest {
protected:
    void SetUp() override {
        if (SetUpTarget(kWidth, kHeight)) {
            Fonts::Set("sans", std::make_unique<SysFont>("DejaVu Sans", 10, 0));
        }
    }
    void TearDown() override {
        mTarget.reset();
        Fonts::Clear();
        AssetManager::Get().Clear();
        AnimationTable::Get().Clear();
        WidgetDrawTest::TearDown();
    }
    void Clear() { ClearTarget(); }
    void Render(DynamicWidget* widget) { DrawTree(widget, false); }
    void ExpectTextGolden(const std::string& name) {
        ExpectGoldenIn("tests/anim/golden", mTarget.get(), name, 12, kWidth * kHeight / 200);
    }
};

TEST_F(TextWidgetsDraw, LabelsAndCountersWithOverbrightPasses) {
    Clear();
    TextLabel plain("Plain label", 80, 10, "sans", 0, 0, 0, -1);
    plain.mRed = 0.6f;
    plain.mGreen = 0.8f;
    Render(&plain);
    TextLabel bright("Overbright", 80, 40, "sans", 0, 0, 0, -1);
    bright.mRed = 2.5f;  // three passes: the red saturates and the others brighten
    bright.mGreen = 0.4f;
    bright.mBlue = 0.4f;
    Render(&bright);
    TextLabel faded("Half opacity, wrapped at 70", 4, 64, "sans", 70, -1, -1, -1);
    faded.mOpacity = 0.5f;
    Render(&faded);
    NumericalTextWidget counter(90, 70, -1, "sans", "%06d", 0, 1,
                                NumericalTextWidget::Binding::Fixed(4250));
    counter.mGreen = 2.0f;
    Render(&counter);
    ExpectTextGolden("labels_overbright");
}

TEST_F(TextWidgetsDraw, RectanglesInColourPassesAndAsImages) {
    Clear();
    RectWidget red(8, 8, 40, 30, Color(255, 0, 0, 255));
    Render(&red);
    RectWidget half(56, 8, 40, 30, Color(0, 255, 0, 255));
    half.mOpacity = 0.5f;
    Render(&half);
    RectWidget overbright(104, 8, 40, 30, Color(128, 64, 255, 255));
    overbright.mRed = overbright.mGreen = overbright.mBlue = 2.0f;
    Render(&overbright);
    // Asked for its image, it draws as an image from then on (here turned a little).
    RectWidget asImage(40, 60, 60, 40, Color(255, 200, 0, 255));
    ASSERT_NE(asImage.GetOwnImageSurface(), nullptr);
    asImage.mAngle = 20.0f;
    asImage.PropertiesChanged(kChangedTransform);
    Render(&asImage);
    EXPECT_EQ(PixelAt(20, 20), 0xFFFF0000u);
    ExpectGoldenIn("tests/anim/golden", mTarget.get(), "rects", 3, 0);
}

// The boxes are drawn by the "add" command of a script.
TEST_F(TextWidgetsDraw, TextBoxAndNineSliceLabelBox) {
    Solid("pill_left", 8, 32, 0xFF3060C0);
    Solid("pill_center", 4, 32, 0xFF5080E0);
    Solid("pill_right", 8, 32, 0xFF3060C0);
    const char* names[] = {"frame_lt", "frame_ct", "frame_rt", "frame_lc", "frame_cc",
                           "frame_rc", "frame_lb", "frame_cb", "frame_rb"};
    const uint32_t colours[] = {0xFFE0E0E0, 0xFFA0A0A0, 0xFFE0E0E0, 0xFFA0A0A0, 0xFF202830,
                                0xFFA0A0A0, 0xFFE0E0E0, 0xFFA0A0A0, 0xFFE0E0E0};
    for (int i = 0; i < 9; ++i) {
        Solid(names[i], 6, 6, colours[i]);
    }
    AnimationCommand box;
    box.mCommand = "add";
    box.mParams = {{"textends", "'pill'"},
                   {"text", "'A pill of text'"},
                   {"lookup", "false"},
                   {"font", "'sans'"},
                   {"margin_top", "4"},
                   {"margin_bottom", "4"},
                   {"margin_left", "10"},
                   {"margin_right", "10"},
                   {"x", "4"},
                   {"y", "4"},
                   {"id", "pill"},
                   {"red", "1"},
                   {"green", "1"},
                   {"blue", "1"}};
    AnimationCommand label;
    label.mCommand = "add";
    label.mParams = {{"textbox", "'frame'"},
                     {"text", "'Nine pieces around a wrapped label'"},
                     {"lookup", "false"},
                     {"font", "'sans'"},
                     {"width", "100"},
                     {"justification", "'center'"},
                     {"x", "4"},
                     {"y", "44"},
                     {"id", "framed"},
                     {"red", "1"},
                     {"green", "0.9"},
                     {"blue", "0.5"}};
    Animation script("boxes");
    script.mCommands = {box, label};
    AnimationTable::Get().Define(std::move(script));

    WidgetManager manager(nullptr);
    auto host = std::make_unique<AnimationWidget>("boxes", 0, 0, false);
    manager.AddWidget(host.get());
    auto* pill = dynamic_cast<DynamicWidget*>(host->GetVariables().Find("pill")->AsObject());
    auto* framed = dynamic_cast<DynamicWidget*>(host->GetVariables().Find("framed")->AsObject());
    ASSERT_NE(pill, nullptr);
    ASSERT_NE(framed, nullptr);
    EXPECT_EQ(pill->mHeight, 32);
    EXPECT_GT(framed->mWidth, 6 + 60 + 6);  // the widest wrapped line between the borders
    EXPECT_LE(framed->mWidth, 6 + 100 + 6);
    Clear();
    Render(pill);
    Render(framed);
    ExpectTextGolden("text_and_label_boxes");
    // The script's children are freed with the host; nothing queues them without an app.
    std::vector<Widget*> children = host->GetChildren();
    host->RemoveAllWidgets(false, false);
    for (Widget* child : children) {
        delete child;
    }
    manager.RemoveWidget(host.get());
}

// "merge" bakes a widget into another's image; with "expand" the image grows and nothing moves
// on screen.
TEST_F(TextWidgetsDraw, MergeBakesATargetIntoAnotherImage) {
    Solid("base", 40, 40, 0xFF2040A0);
    Solid("spot", 10, 10, 0xFFFFE000);
    AnimationCommand add1;
    add1.mCommand = "add";
    add1.mParams = {{"image", "'base'"}, {"x", "20"}, {"y", "20"}, {"id", "base"}};
    AnimationCommand add2;
    add2.mCommand = "add";
    add2.mParams = {{"image", "'spot'"}, {"x", "25"}, {"y", "25"}, {"id", "inside"}};
    AnimationCommand add3;
    add3.mCommand = "add";
    add3.mParams = {{"image", "'spot'"}, {"x", "55"}, {"y", "30"}, {"id", "edge"}};
    AnimationCommand merge1;
    merge1.mCommand = "merge";
    merge1.mParams = {{"id", "inside"}, {"with", "base"}};
    AnimationCommand merge2;
    merge2.mCommand = "merge";
    merge2.mParams = {{"id", "edge"}, {"with", "base"}, {"expand", "true"}, {"remove", "false"}};
    Animation adds("adds");
    adds.mCommands = {add1, add2, add3};
    AnimationTable::Get().Define(std::move(adds));
    Animation merges("merges");
    merges.mCommands = {merge1, merge2};
    AnimationTable::Get().Define(std::move(merges));

    WidgetManager manager(nullptr);
    auto host = std::make_unique<AnimationWidget>("adds", 0, 0, false);
    manager.AddWidget(host.get());
    // Without an application nothing deletes the removed widget: the test does.
    std::unique_ptr<Widget> inside(host->GetVariables().Find("inside")->AsObject());
    host->PlayAnimationRef("merges");
    EXPECT_EQ(inside->GetParent(), nullptr);
    auto* base = dynamic_cast<DynamicWidget*>(host->GetVariables().Find("base")->AsObject());
    ASSERT_NE(base, nullptr);
    // "inside" was baked and removed; "edge" stayed and the image grew to hold it.
    EXPECT_EQ(host->GetVariables().Find("inside"), nullptr);
    ASSERT_NE(host->GetVariables().Find("edge"), nullptr);
    EXPECT_EQ(base->mX, 20.0f);
    EXPECT_EQ(base->mWidth, 45);
    sDevice->Flush();
    EXPECT_EQ(base->GetImage()->GetPixel(7, 7, 0), 0xFFFFE000u);    // the first spot
    EXPECT_EQ(base->GetImage()->GetPixel(40, 12, 0), 0xFFFFE000u);  // the grown part
    EXPECT_EQ(base->GetImage()->GetPixel(2, 2, 0), 0xFF2040A0u);
    std::vector<Widget*> children = host->GetChildren();
    host->RemoveAllWidgets(false, false);
    for (Widget* child : children) {
        delete child;
    }
    manager.RemoveWidget(host.get());
}

}  // namespace
