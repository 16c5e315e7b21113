// The standard controls through the harness: buttons (sounds, events, fonts per state, scripts
// by name), check boxes, sliders and hyperlinks, with the asset-table lookups they use.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/expr/ExprValue.h"
#include "core/expr/NamedConstants.h"
#include "core/files/Parser.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/fonts/Fonts.h"
#include "support/UiHarness.h"
#include "widgets/NameLookups.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/Checkbox.h"
#include "widgets/controls/HyperlinkWidget.h"
#include "widgets/controls/Slider.h"
#include "widgets/script/AnimationTable.h"

namespace {

using Log = std::vector<std::string>;

constexpr int kHighlight = 7;
constexpr int kClick = 8;

class RecordingListener : public ButtonListener, public CheckboxListener, public SliderListener {
public:
    void ButtonPressClicks(uint32_t, int c) override {
        log.push_back("press " + std::to_string(c));
    }
    void ButtonDepress(uint32_t) override { log.push_back("click"); }
    void CheckboxChanged(uint32_t, bool checked) override {
        log.push_back(checked ? "checked" : "unchecked");
    }
    void SliderValueChanged(Slider*, double v) override {
        log.push_back("value " + std::to_string(v).substr(0, 4));
    }
    void SliderDragEnded(Slider*, double v) override {
        log.push_back("ended " + std::to_string(v).substr(0, 4));
    }
    Log log;
};

// Reads one attribute as a named id, the way the set table reads its music names.
class IdReader : public Parser {
public:
    int id = -2;

protected:
    void HandleElementStart(const XMLElement& element) override {
        (void)element;
        id = GetAttributeId("music");
    }
};

// A button that records the scripts it would play.
class ScriptedButton : public ButtonWidget {
public:
    using ButtonWidget::ButtonWidget;
    std::vector<std::string> scripts;

    void ReplaceOrQueueAnimationRef(std::string_view name) override { scripts.emplace_back(name); }
};

std::shared_ptr<Image> MakeImage(int width, int height) {
    auto image = std::make_shared<ImageSurface>(false);
    image->Create(width, height);
    return image;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        AssetManager::Get().SetSound("Highlight", kHighlight);
        AssetManager::Get().SetSound("Button", kClick);
        Fonts::Set("button", std::make_unique<HarnessFont>());
    }
    RecordingListener listener;
    WidgetHarness h;
};

}  // namespace

TEST_F(ControlsTest, NameLookupsOfMissingNames) {
    EXPECT_EQ(LookupAssetTableA("no_such_image"), nullptr);
    EXPECT_EQ(LookupAssetTableB("no_such_sound"), -1);
    EXPECT_EQ(LookupAssetTableB2("Button"), kClick);
    EXPECT_EQ(LookupNamedId("no_such_track"), -1);
    AssetManager::Get().SetNamedId("theme", 3);
    EXPECT_EQ(LookupNamedId("theme"), 3);
    Parser::SetNamedIdResolver(&LookupNamedId);
    IdReader reader;
    ASSERT_TRUE(reader.ParseText("<set music=\"theme\"/>", "sets.xml"));
    EXPECT_EQ(reader.id, 3);
    Parser::SetNamedIdResolver(nullptr);
    EXPECT_FALSE(HasConstant("widgets_test_undefined"));
    EXPECT_EQ(LookupConstant("widgets_test_undefined"), 0);
    EXPECT_TRUE(HasConstant("widgets_test_undefined"));
    SetConstant("widgets_test_seven", ExprValue::FromFloat(7.9f));
    EXPECT_EQ(LookupConstant("widgets_test_seven"), 7);
}

TEST_F(ControlsTest, ButtonWithoutImageTakesItsLabelsSizeAndReportsClicks) {
    auto* button = new ButtonWidget(100, 50, "no_such_image", "Play", false);
    EXPECT_EQ(button->GetImage(), nullptr);
    EXPECT_EQ(button->mWidth, 32);
    EXPECT_EQ(button->mHeight, 16);
    button->SetButtonListener(&listener);
    h.manager->AddWidget(button);
    h.Click(110, 55);
    EXPECT_EQ(listener.log, (Log{"press 1", "click"}));
    EXPECT_EQ(h.app.sounds, (std::vector<int>{kHighlight, kClick}));
    EXPECT_EQ(h.app.GetCursor(), 1);  // the hand while over
    ExprValue value;
    ASSERT_TRUE(button->GetProperty("type", &value));
    EXPECT_EQ(value.AsString(), "no_such_image");
    ASSERT_NE(button->GetVariables().Find("mouse_over"), nullptr);
    EXPECT_TRUE(button->GetVariables().Find("mouse_over")->AsBool());

    // A button with an image takes the image's cell size.
    AssetManager::Get().SetImage("play_btn", MakeImage(40, 20));
    auto* imaged = new ButtonWidget(0, 0, "play_btn", "Play", false);
    EXPECT_EQ(imaged->mWidth, 40);
    EXPECT_EQ(imaged->mHeight, 20);
    delete imaged;
}

TEST_F(ControlsTest, RefusedPressesPlayNothingButTheirReleaseStillClicks) {
    auto* button = h.Add(new ButtonWidget(0, 0, "", "Go", false), 0, 0, 50, 20);
    button->SetButtonListener(&listener);
    h.MoveTo(10, 10);
    h.app.sounds.clear();
    h.Press(10, 10, -1);  // right
    h.Release(10, 10, -1);
    h.Press(10, 10, 0);  // middle
    h.Release(10, 10, 0);
    h.Press(10, 10, 1);
    h.Release(10, 10, 1);
    h.Press(10, 10, 2);  // the double press, without acceptMultiClicks
    h.Release(10, 10, 1);
    EXPECT_EQ(listener.log, (Log{"click", "click", "press 1", "click", "click"}));
    EXPECT_EQ(h.app.sounds, (std::vector<int>{kClick}));

    listener.log.clear();
    button->mAcceptMultiClicks = true;
    h.Press(10, 10, 2);
    h.Release(10, 10, 1);
    EXPECT_EQ(listener.log, (Log{"press 2", "click"}));
}

TEST_F(ControlsTest, ButtonStatesFollowThePointerAndFonts) {
    auto* button = h.Add(new ButtonWidget(0, 0, "", "Go", false), 0, 0, 50, 20);
    Font* normal = button->GetLabelFont();
    ASSERT_NE(normal, nullptr);
    const HarnessFont over;
    const HarnessFont down;
    button->SetStateVisual(&over, ButtonWidget::kOver);
    button->SetStateVisual(&down, ButtonWidget::kDown);
    h.MoveTo(10, 10);
    EXPECT_EQ(button->GetState(), ButtonWidget::kOver);
    h.Press(10, 10);
    EXPECT_EQ(button->GetState(), ButtonWidget::kDown);
    h.MoveTo(100, 100);  // dragged off: down but not over shows the normal state
    EXPECT_EQ(button->GetState(), ButtonWidget::kNormal);
    h.Release(100, 100);
    EXPECT_EQ(button->GetState(), ButtonWidget::kNormal);
    ExprValue value;
    ASSERT_NE(button->GetVariables().Find("mouse_down"), nullptr);
    EXPECT_FALSE(button->GetVariables().Find("mouse_down")->AsBool());

    // Disabled without a disabled font: the state (and font) stays; disabled buttons are silent.
    h.app.sounds.clear();
    button->SetDisabled(true);
    EXPECT_EQ(button->GetState(), ButtonWidget::kNormal);
    const HarnessFont grey;
    button->SetStateVisual(&grey, ButtonWidget::kDisabled);
    EXPECT_EQ(button->GetState(), ButtonWidget::kDisabled);
    EXPECT_NE(button->GetLabelFont(), normal);
    button->mPlaySounds = true;
    h.MoveTo(10, 10);
    EXPECT_TRUE(h.app.sounds.empty());
    ASSERT_NE(button->GetVariables().Find("disabled"), nullptr);
    EXPECT_TRUE(button->GetVariables().Find("disabled")->AsBool());
    EXPECT_TRUE(h.Draw());  // the label draws through the measuring context
}

TEST_F(ControlsTest, ButtonEventsPlayTheScriptOfTheTypeElseTheGenericOne) {
    Animation own("ok_hover");
    Animation generic("button_hover");
    Animation genericDown("button_down");
    AnimationTable::Get().Define(own);
    AnimationTable::Get().Define(generic);
    AnimationTable::Get().Define(genericDown);
    auto* ok = h.Add(new ScriptedButton(0, 0, "ok", "OK", false), 0, 0, 50, 20);
    auto* other = h.Add(new ScriptedButton(0, 0, "other", "X", false), 100, 0, 50, 20);
    auto* untyped = h.Add(new ScriptedButton(0, 0, "", "X", false), 200, 0, 50, 20);
    h.MoveTo(10, 10);
    h.Press(10, 10);
    h.Release(10, 10);
    h.MoveTo(110, 10);
    h.MoveTo(210, 10);
    EXPECT_EQ(ok->scripts, (std::vector<std::string>{"ok_hover", "button_down"}));
    EXPECT_EQ(other->scripts, (std::vector<std::string>{"button_hover"}));
    EXPECT_TRUE(untyped->scripts.empty());
    // A plain button hands the script to its own animation queue.
    auto* plain = h.Add(new ButtonWidget(0, 0, "plain", "P", false), 300, 0, 50, 20);
    h.MoveTo(310, 10);
    EXPECT_TRUE(plain->mIsOver);
    h.RunUpdates(2);
    AnimationTable::Get().Clear();
}

TEST_F(ControlsTest, LabelWithoutFontGetsAnOwnedSystemFont) {
    Fonts::Clear();
    auto* button = h.Add(new ButtonWidget(0, 0, "", "Label", false), 0, 0, 80, 20);
    EXPECT_EQ(button->GetLabelFont(), nullptr);
    h.Draw();
    EXPECT_NE(button->GetLabelFont(), nullptr);  // freed with the button (checked by ASan)
}

TEST_F(ControlsTest, CheckboxTogglesOnEveryPress) {
    auto unchecked = MakeImage(20, 20);
    auto uncheckedOver = MakeImage(20, 20);
    auto checked = MakeImage(20, 20);
    auto checkedOver = MakeImage(20, 20);
    auto* box = h.Add(new Checkbox(unchecked.get(), uncheckedOver.get(), checked.get(),
                                   checkedOver.get(), &listener),
                      0, 0, 20, 20);
    EXPECT_EQ(box->GetShownImage(), unchecked.get());
    h.Click(5, 5, -1);  // a right click toggles as a left one does
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(box->GetShownImage(), checkedOver.get());
    h.Press(5, 5, 1);
    h.Release(5, 5);
    h.Press(5, 5, 2);  // a double click toggles twice
    h.Release(5, 5);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(listener.log, (Log{"checked", "unchecked", "checked"}));
    EXPECT_EQ(h.app.sounds, (std::vector<int>{kHighlight, kClick, kClick, kClick}));
    // Disabled without disabled images: the normal images.
    box->SetDisabled(true);
    EXPECT_EQ(box->GetShownImage(), checked.get());
    box->SetChecked(false, false);
    EXPECT_EQ(listener.log.size(), 3u);
}

TEST_F(ControlsTest, SliderDragJumpAndClamp) {
    auto track = MakeImage(200, 10);
    auto thumb = MakeImage(20, 20);
    auto* slider = h.Add(new Slider(track.get(), thumb.get(), &listener), 0, 0, 220, 20);
    // Press on the thumb and release without moving: one change, no end of drag.
    h.MoveTo(5, 10);
    EXPECT_EQ(h.app.GetCursor(), 2);
    h.Press(5, 10);
    EXPECT_TRUE(slider->IsDragging());
    h.Release(5, 10);
    EXPECT_EQ(listener.log, (Log{"value 0.00"}));
    listener.log.clear();

    // A press on the track jumps: the thumb's left edge to the point over the size.
    h.Click(110, 10);
    EXPECT_DOUBLE_EQ(slider->GetValue(), static_cast<double>(110.0f / 220.0f));
    EXPECT_EQ(listener.log, (Log{"value 0.50", "ended 0.50", "value 0.50"}));
    listener.log.clear();

    // Dragging beyond the end holds 1 and stops notifying until the value changes again.
    const int thumbAt = slider->GetThumbPosition();
    h.MoveTo(thumbAt + 5, 10);
    h.Press(thumbAt + 5, 10);
    h.MoveTo(400, 10);
    h.MoveTo(500, 10);
    h.MoveTo(190, 10);
    h.Release(190, 10);
    EXPECT_EQ(listener.log, (Log{"value 1.00", "value 0.92", "value 0.92", "ended 0.92"}));

    slider->SetValue(1.5);
    EXPECT_EQ(slider->GetValue(), 1.0);
    slider->SetValue(std::nan(""));
    EXPECT_EQ(slider->GetValue(), 0.0);
}

TEST_F(ControlsTest, SliderWithoutTravelNeverProducesNaN) {
    auto thumb = MakeImage(20, 20);
    auto* flat = h.Add(new Slider(nullptr, thumb.get(), &listener), 0, 0, 0, 0);
    flat->Resize(0, 0, 20, 20);  // a thumb as long as the track
    h.MoveTo(5, 5);
    h.Press(5, 5);
    h.MoveTo(30, 5);
    h.Release(30, 5);
    EXPECT_FALSE(std::isnan(flat->GetValue()));
    EXPECT_EQ(flat->GetValue(), 1.0);
    auto* empty = new Slider(nullptr, nullptr, &listener);
    empty->Resize(0, 0, 0, 0);
    empty->MouseDown(0, 0, 1);  // a jump on a slider of no size
    EXPECT_EQ(empty->GetValue(), 0.0);
    delete empty;
}

TEST_F(ControlsTest, HyperlinkSizesToItsLabel) {
    SetConstant("justification", ExprValue::FromInt(0));
    auto* link = h.Add(new HyperlinkWidget(&listener), 0, 0, 0, 0);
    link->SetLabel("one two three");
    link->SizeToLabel(500, 40, 80);
    EXPECT_EQ(link->mWidth, 56);  // "one two" is the widest wrapped line
    EXPECT_EQ(link->mX, 500 - 28);
    EXPECT_GT(link->mHeight, 16);
    h.Click(480, 45);
    EXPECT_EQ(listener.log, (Log{"press 1", "click"}));
    EXPECT_TRUE(h.Draw());

    // Without a "button" font the link has nothing to measure with: it keeps its size.
    Fonts::Clear();
    auto* bare = h.Add(new HyperlinkWidget(&listener), 0, 0, 10, 10);
    bare->SetLabel("text");
    bare->SizeToLabel(100, 100, 80);
    EXPECT_EQ(bare->mWidth, 10);
    EXPECT_EQ(bare->mX, 0);
}
