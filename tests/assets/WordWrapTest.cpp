#include <gtest/gtest.h>

#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"

namespace {

// Every character 10 pixels wide; height 20, ascent 15, line spacing 24; the ascent padding is
// settable.
class FixedFont : public Font {
public:
    int mPadding = 0;
    int GetAscentPadding() const override { return mPadding; }
    int StringWidth(std::string_view text) const override {
        return 10 * static_cast<int>(text.size());
    }
    int CharWidth(unsigned char) const override { return 10; }
    int GetHeight() const override { return 20; }
    float GetAscent() const override { return 15.0f; }
    int GetLineSpacing() const override { return 24; }
    void DrawString(Graphics&, float, float, std::string_view, const Color&) override {}
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<FixedFont>(*this); }
};

using Lines = std::vector<std::string>;

// The wrap the text operations use, measured against the font interface alone.
TEST(WordWrapTest, GreedyAtSpacesWithBreaksAndOverlongWords) {
    FixedFont font;
    EXPECT_EQ(Graphics::WrapText(font, "the quick brown fox", 100),
              (Lines{"the quick", "brown fox"}));
    // Exactly the wrap width still fits.
    EXPECT_EQ(Graphics::WrapText(font, "abcde fghij", 110).size(), 1u);
    EXPECT_EQ(Graphics::WrapText(font, "abcde fghij", 109).size(), 2u);
    // Explicit breaks, an empty paragraph, a Windows line end, an overlong word alone.
    EXPECT_EQ(Graphics::WrapText(font, "a[br]b\n\nc\r\nextraordinarily long", 60),
              (Lines{"a", "b", "", "c", "extraordinarily", "long"}));
    EXPECT_TRUE(Graphics::WrapText(font, "", 100).empty());

    Graphics measure;
    measure.SetFont(&font);
    int widest = -1;
    EXPECT_EQ(measure.GetWordWrappedHeight(100, "the quick brown fox", -1, &widest), 24 + 20);
    EXPECT_EQ(widest, 90);
    // "a" / "b c d" / "e f g" / "h"
    EXPECT_EQ(measure.GetWordWrappedHeight(60, "a[br]b c d e f g h", 30, &widest), 3 * 30 + 20);
    EXPECT_EQ(measure.GetWordWrappedHeight(60, "", -1, &widest), 0);
    // One line of the justified drawer never wraps.
    EXPECT_EQ(measure.DrawStringJustified(0, 0, "a b c d e f g h i j k", 20, 0, &widest), 20);
    EXPECT_EQ(widest, 210);
    EXPECT_EQ(measure.WriteString("hello", 0, 0, 100, 0, false, 1, 3), 30);
    EXPECT_EQ(measure.WriteString("hello", 0, 0, 100, 0, false, 2, 99), 30);
}

// Runs of spaces are text: they stay inside a line and count in its width; only the spaces at a
// break and at the end of a paragraph go.
TEST(WordWrapTest, SpacesInsideALineAreKept) {
    FixedFont font;
    EXPECT_EQ(Graphics::WrapText(font, "Score:   100", 200), (Lines{"Score:   100"}));
    EXPECT_EQ(Graphics::WrapText(font, "  indented text", 200), (Lines{"  indented text"}));
    // "ab  cd" fits in 60; the break after it drops its spaces.
    EXPECT_EQ(Graphics::WrapText(font, "ab  cd   ef  ", 60), (Lines{"ab  cd", "ef"}));
    EXPECT_EQ(Graphics::WrapText(font, "   ", 60), (Lines{""}));
    Graphics measure;
    measure.SetFont(&font);
    int widest = 0;
    measure.GetWordWrappedHeight(500, "a  b[br]c", -1, &widest);
    EXPECT_EQ(widest, 40);
}

// A font's ascent padding is space above the glyphs that layouts leave out: one line measures
// the font's height less the padding, so a label centred by that height is centred on its glyphs.
TEST(WordWrapTest, HeightsLeaveTheAscentPaddingOut) {
    FixedFont font;
    font.mPadding = 6;
    Graphics measure;
    measure.SetFont(&font);
    EXPECT_EQ(measure.GetWordWrappedHeight(100, "one", -1), 20 - 6);
    EXPECT_EQ(measure.GetWordWrappedHeight(100, "one[br]two", 30), 30 + 20 - 6);
    EXPECT_EQ(measure.DrawStringWordWrapped(Rect(0, 0, 100, 0), "one two", -1), 20 - 6);
    EXPECT_EQ(measure.DrawStringJustified(0, 0, "one[br]two", 100, 0), 24 + 20 - 6);
    EXPECT_EQ(measure.GetWordWrappedHeight(100, "", -1), 0);
    font.mPadding = 500;  // never a negative height
    EXPECT_EQ(measure.GetWordWrappedHeight(100, "one", -1), 0);
}

}  // namespace
