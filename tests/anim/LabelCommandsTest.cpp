// "config-label", "config-button", "analyze" and "do"; the text box of "add" and its room.

#include "ScriptWidgetsHarness.h"
#include "graphics/Graphics.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/FlashWidget.h"
#include "widgets/controls/MoviePlayer.h"

namespace {

using LabelCommands = ScriptWidgetsTest;

TEST_F(LabelCommands, AnalyzeMeasuresWrappedTextInTheFont) {
    LocalizedTexts::Set("intro", "Hello [player] and friends");
    Load(R"(<animation name="a">
              <analyze font="'label'" text="intro" maxWidth="100" width="w" height="h"
                       ascent="asc"/>
              <analyze font="'label'" text="'one line'" lookup="false" width="w1" height="h1"/>
              <analyze text="'no font'" width="w2"/>
              <analyze font="'label'" text="'nothing stored'"/>
            </animation>)");
    auto* host = Host("a");
    // "Hello Ada and" (13 characters, 104 pixels) does not fit 100: "Hello Ada" and
    // "and friends" (88 pixels, the widest).
    EXPECT_EQ(VarInt(host, "w"), 88);
    EXPECT_EQ(VarInt(host, "h"), 16 * 2);
    EXPECT_FLOAT_EQ(host->GetVariables().Find("asc")->AsReal(), 12.0f);
    EXPECT_EQ(VarInt(host, "w1"), 64);
    EXPECT_EQ(VarInt(host, "h1"), 16);
    EXPECT_FALSE(host->GetVariables().Contains("w2"));
    // Only the variables named are stored.
    EXPECT_EQ(host->GetVariables().Size(), 6u);  // self, w, h, asc, w1, h1
}

TEST_F(LabelCommands, ConfigLabelSetsWhatIsGiven) {
    Fonts::Set("wide", std::make_unique<HarnessFont>());
    LocalizedTexts::Set("title", "Title for [player]");
    Load(R"(<animation name="a">
              <add-label text="'start'" lookup="false" font="label" id="l"/>
              <config-label id="l" text="title" justification="'center'"/>
            </animation>
            <animation name="b"><config-label id="l" text="''"/></animation>
            <animation name="c"><config-label id="l" text="'[player] raw'" lookup="false"
                                              justification="'left'" font="'wide'"/></animation>
            <animation name="d"><config-label text="'on the host'"/></animation>)");
    auto* host = Host("a");
    auto* l = dynamic_cast<TextLabel*>(VarObject(host, "l"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->GetText(), "Title for Ada");
    EXPECT_EQ(l->GetJustification(), 0);
    host->PlayAnimationRef("b");
    EXPECT_EQ(l->GetText(), "");
    EXPECT_FALSE(LocalizedTexts::Contains(""));
    host->PlayAnimationRef("c");
    EXPECT_EQ(l->GetText(), "Ada raw");
    EXPECT_EQ(l->GetJustification(), -1);
    EXPECT_EQ(l->GetFont(), Fonts::Find("wide"));
    host->PlayAnimationRef("d");  // the host is no label: nothing happens
}

TEST_F(LabelCommands, ConfigButtonAppliesTheButtonAttributes) {
    AssetManager::Get().SetSound("ding", 4);
    Load(R"(<animation name="a">
              <add-button text="'Old'" lookup="false" font="label" id="b"/>
              <config-button id="b" text="'New label'" lookup="false" width="120"
                             text_offset_x="3" down_text_offset_y="4" use_hand_cursor="false"
                             sound_over="'ding'" check_pixels="false"/>
            </animation>)");
    auto* host = Host("a");
    auto* b = dynamic_cast<ButtonWidget*>(VarObject(host, "b"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetLabel(), "New label");
    EXPECT_EQ(b->mWidth, 120);
    EXPECT_EQ(b->mLabelOffsetX, 3);
    EXPECT_EQ(b->mDownOffsetY, 4);
    EXPECT_FALSE(b->mHandCursor);
    EXPECT_EQ(b->mHighlightSound, 4);
    EXPECT_FALSE(b->mCheckPixels);
}

TEST_F(LabelCommands, DoHandsTheActionToTheEventOperation) {
    Load(R"(<animation name="a"><do action="'open'" parameter="'map'" object="3"/>
              <do action="'bare'"/></animation>)");
    auto* host = Host("a");
    ASSERT_EQ(host->events.size(), 2u);
    EXPECT_EQ(host->events[0], "open|map|3");
    EXPECT_EQ(host->events[1], "bare||0");
}

TEST_F(LabelCommands, AddMovieMakesTheMovieWidget) {
    Load(R"(<animation name="a"><add video="'intro'" width="320" height="200" x="10" y="20"
                                     id="m" loop="true"/></animation>)");
    auto* host = Host("a");
    auto* movie = dynamic_cast<FlashWidget*>(VarObject(host, "m"));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->mWidth, 320);
    EXPECT_EQ(movie->mX, 10.0f);
}

// A backend whose every frame is new and painted green over the whole surface it is given.
class PaintingBackend : public MoviePlayer {
public:
    explicit PaintingBackend(int* painted) : mPainted(painted) {}
    bool IsAvailable() const override { return true; }
    bool Load(const std::string& path, int width, int height) override {
        (void)path, (void)width, (void)height;
        return true;
    }
    void SetLoop(bool loop) override { (void)loop; }
    bool IsPlaying() const override { return true; }
    void Play() override {}
    void Stop() override {}
    void Rewind() override {}
    bool Advance() override { return true; }
    bool PaintInto(ImageSurface* surface) override {
        for (uint32_t& pixel : surface->EditPixelData()) {
            pixel = 0xFF00FF00u;
        }
        surface->MarkPixelsChanged();
        ++*mPainted;
        return true;
    }
    void SetCommandHandler(
        std::function<void(const std::string&, const std::string&)> handler) override {
        (void)handler;
    }

private:
    int* mPainted;
};

// Whatever picture a script gives a movie widget, the player goes on painting into the surface
// the widget made for it (under the address sanitizer a freed one is a failure).
TEST_F(LabelCommands, AMoviesSurfaceOutlivesEveryPictureAScriptGivesIt) {
    AddImage("big", 30, 20, 0xFFFF0000u);
    Load(R"(<animation name="image"><replace id="m" image="big"/></animation>
            <animation name="colour"><replace id="m" width="5" height="7" blue="1"/></animation>
            <animation name="size"><replace id="m" width="9" height="3"/></animation>
            <animation name="merge"><add image="big" id="p" x="-4" y="-4"/>
              <merge id="p" with="m" expand="true"/></animation>
            <animation name="child"><child-image id="m"/><child-image id="m"/>
              <replace id="m" image="big"/></animation>)");
    for (const char* script : {"image", "colour", "size", "merge", "child"}) {
        SCOPED_TRACE(script);
        int painted = 0;
        auto* host = Host();
        auto* movie =
            new FlashWidget(0, 0, "intro", 8, 6, true, std::make_unique<PaintingBackend>(&painted));
        host->RegisterObject("m", movie);
        Graphics measure(nullptr);
        movie->Draw(&measure);
        host->PlayAnimationRef(script);
        Run();
        movie->Draw(&measure);
        EXPECT_EQ(painted, 2);
        EXPECT_NE(movie->mWidth, 8);  // the widget shows the new picture
    }
}

}  // namespace

namespace {

// The text box draws into an image surface; without a device the drawing is skipped but the
// layout (wrap width, size) is the same.
class TextBoxLayout : public ScriptWidgetsTest {
protected:
    void SetUp() override {
        ScriptWidgetsTest::SetUp();
        AddImage("pill_left", 8, 24);
        AddImage("pill_center", 4, 24);
        AddImage("pill_right", 8, 24);
        AddImage("thin_left", 8, 10);
        AddImage("thin_center", 4, 10);
        AddImage("thin_right", 8, 10);
    }
};

TEST_F(TextBoxLayout, TheWrapWidthGrowsUntilTheTextFitsItsRoom) {
    Load(R"(<animation name="a">
              <add textends="'pill'" text="'aaa bbb ccc'" lookup="false" font="'label'"
                   margin_top="4" margin_bottom="4" margin_left="5" margin_right="7" id="t"/>
            </animation>)");
    auto* host = Host("a");
    auto* box = dynamic_cast<DynamicWidget*>(VarObject(host, "t"));
    ASSERT_NE(box, nullptr);
    // Room 16: one line of 88 pixels, between the margins.
    EXPECT_EQ(box->mWidth, 5 + 88 + 7);
    EXPECT_EQ(box->mHeight, 24);
}

TEST_F(TextBoxLayout, ARoomSmallerThanALineEndsTheSearch) {
    Load(R"(<animation name="a">
              <add textends="'thin'" text="'aaa bbb ccc'" lookup="false" font="'label'"
                   margin_top="4" margin_bottom="4" min_width="30" id="t"/>
              <add textends="'thin'" text="'aaa'" lookup="false" font="'label'"
                   margin_top="6" margin_bottom="6" id="u"/>
              <mark v="'done'"/>
            </animation>)");
    auto* host = Host("a");
    EXPECT_EQ(host->Trace(), "done ");
    auto* box = dynamic_cast<DynamicWidget*>(VarObject(host, "t"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->mWidth, 24);  // wrapped at the least width (30): lines of "aaa"
    ASSERT_NE(VarObject(host, "u"), nullptr);
}

}  // namespace
