#include <gtest/gtest.h>

#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"

namespace {

// Every character 10 pixels wide; height 20, ascent 15, line spacing 24.
class FixedFont : public Font {
public:
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

}  // namespace
