#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TempFolder.h"

#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/fonts/Fonts.h"
#include "graphics/fonts/SysFont.h"

namespace {

TEST(FontsTest, MissingFaceFallsBackToDejaVuSans) {
    std::string path;
    int index = -1;
    ASSERT_TRUE(SysFont::ResolveFace("Arial Unicode MS", 0, &path, &index));
    EXPECT_NE(path.find("DejaVuSans"), std::string::npos) << path;
    ASSERT_TRUE(SysFont::ResolveFace("DejaVu Sans", TrueTypeFont::kBold, &path, &index));
    EXPECT_NE(path.find("Bold"), std::string::npos) << path;
    EXPECT_EQ(SysFont::PointsToPixels(10), 13);

    SysFont font(nullptr, "Arial Unicode MS", 10, 0);
    EXPECT_EQ(font.GetFaceName(), "Arial Unicode MS");
    EXPECT_GT(font.GetHeight(), 10);
    EXPECT_GT(font.StringWidth("Hello"), 0);
    std::unique_ptr<Font> copy = font.Duplicate();
    EXPECT_EQ(copy->StringWidth("Hello"), font.StringWidth("Hello"));
    EXPECT_NE(dynamic_cast<SysFont*>(copy.get()), nullptr);
}

TEST(FontsTest, MetricsFitWordWrap) {
    SysFont font("DejaVu Sans", 18, 0);  // 24 pixels
    ASSERT_FALSE(font.GetFilePath().empty());
    const int ascent = static_cast<int>(font.GetAscent());
    EXPECT_GT(ascent, 15);
    EXPECT_LE(ascent, 24);
    EXPECT_GE(font.GetHeight(), ascent + 4);
    EXPECT_GE(font.GetLineSpacing(), font.GetHeight());
    // Widths add up, so a line's width is the sum of its words and spaces.
    EXPECT_EQ(font.StringWidth("ab cd"),
              font.StringWidth("ab") + font.CharWidth(' ') + font.StringWidth("cd"));
    EXPECT_LT(font.CharWidth('i'), font.CharWidth('W'));
    // Windows-1252: 0x80 is the euro sign, 0xE9 e acute; control bytes and holes have no width.
    EXPECT_GT(font.CharWidth(0x80), 0);
    EXPECT_GT(font.CharWidth(0xE9), 0);
    EXPECT_EQ(font.CharWidth('\t'), 0);
    EXPECT_EQ(font.CharWidth(0x81), 0);

    // A bold face is wider; a line that fits in the regular face can wrap in the bold one.
    SysFont bold("DejaVu Sans", 18, TrueTypeFont::kBold);
    EXPECT_GT(bold.StringWidth("Hello world"), font.StringWidth("Hello world"));
    const int wrap = font.StringWidth("Hello world");
    EXPECT_EQ(Graphics::WrapText(font, "Hello world", wrap).size(), 1u);
    EXPECT_EQ(Graphics::WrapText(bold, "Hello world", wrap).size(), 2u);
}

TEST(FontsTest, GlyphsAreRasterisedIntoPages) {
    SysFont font("DejaVu Sans", 24, 0);
    const GlyphSet& glyphs = font.GetGlyphs();
    ASSERT_FALSE(glyphs.GetPages().empty());
    const GlyphInfo& w = glyphs.Glyph('W');
    ASSERT_GE(w.mPage, 0);
    EXPECT_GT(w.mWidth, 10);
    EXPECT_GT(w.mTop, 10);  // a capital stands well above the baseline
    const GlyphInfo& space = glyphs.Glyph(' ');
    EXPECT_EQ(space.mPage, -1);
    EXPECT_GT(space.mAdvance, 0);

    ImageSurface* page = glyphs.GetPageImage(w.mPage);
    ASSERT_NE(page, nullptr);
    const std::vector<uint32_t>& pixels = page->GetPixelData();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(page->GetWidth() * page->GetHeight()));
    int covered = 0;
    for (int y = 0; y < w.mHeight; ++y) {
        for (int x = 0; x < w.mWidth; ++x) {
            uint32_t p = pixels[static_cast<size_t>((w.mY + y) * page->GetWidth() + w.mX + x)];
            EXPECT_EQ(p & 0xFFFFFF, 0xFFFFFFu);  // white, coverage in alpha
            covered += (p >> 24) > 128 ? 1 : 0;
        }
    }
    EXPECT_GT(covered, w.mWidth * w.mHeight / 8);
    // The padding row above the glyph stays clear, so filtering takes nothing from neighbours.
    for (int x = 0; x < w.mWidth; ++x) {
        EXPECT_EQ(pixels[static_cast<size_t>((w.mY - 1) * page->GetWidth() + w.mX + x)] >> 24, 0u);
    }
}

TEST(FontsTest, TableReadsEntriesAndRejectsMalformedOnes) {
    std::vector<FontEntry> entries;
    std::string error;
    const std::string good = R"(<fonts>
  <font name="button" family="DejaVu Sans" size="16" bold="true"/>
  <font name="menu" file="fonts/menu.ttf" size="20" italic="1" shadow="true"
        shadow-color="0x80102030" shadow-x="2" shadow-y="-1" line-spacing="26"
        ascent-padding="2"/>
</fonts>)";
    ASSERT_TRUE(Fonts::ParseEntries(&good, "properties/fonts.xml", &entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mStyle, TrueTypeFont::kBold);
    EXPECT_EQ(entries[0].mFamily, "DejaVu Sans");
    EXPECT_FALSE(entries[0].mShadow.mEnabled);
    EXPECT_EQ(entries[1].mStyle, TrueTypeFont::kItalic);
    EXPECT_EQ(entries[1].mLine, 3);
    EXPECT_TRUE(entries[1].mShadow.mEnabled);
    EXPECT_EQ(entries[1].mShadow.mColor, Color(0x10, 0x20, 0x30, 0x80));
    EXPECT_EQ(entries[1].mShadow.mOffsetY, -1);
    EXPECT_EQ(entries[1].mLineSpacing, 26);
    EXPECT_EQ(entries[1].mAscentPadding, 2);

    struct Case {
        const char* text;
        int line;
        const char* words;
    };
    const Case cases[] = {
        {"<fonts>\n<font name=\"a\" size=\"10\"/></fonts>", 2, "either"},
        {"<fonts>\n<font name=\"a\" file=\"f\" family=\"g\" size=\"10\"/></fonts>", 2, "either"},
        {"<fonts>\n<font name=\"a\" file=\"f\"/></fonts>", 2, "\"size\""},
        {"<fonts>\n<font name=\"a\" file=\"f\" size=\"0\"/></fonts>", 2, "\"size\""},
        {"<fonts>\n<font name=\"a\" file=\"f\" size=\"12px\"/></fonts>", 2, "\"size\""},
        {"<fonts>\n<font name=\"a\" file=\"f\" size=\"9\" bold=\"yes\"/></fonts>", 2, "\"bold\""},
        {"<fonts>\n<font name=\"a\" file=\"f\" size=\"9\" shadow-color=\"red\"/></fonts>", 2,
         "\"shadow-color\""},
        {"<fonts><font name=\"a\" file=\"f\" size=\"9\"/>\n<font name=\"a\" file=\"f\" "
         "size=\"9\"/></fonts>",
         2, "used twice"},
        {"<fonts>\n<face name=\"a\"/></fonts>", 2, "Unknown element"},
        {"<fonts>\n<font name=\"a\" file=\"f\" size=\"9\">\n</fonts>", 3, ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        std::vector<FontEntry> unchanged = entries;
        EXPECT_FALSE(Fonts::ParseEntries(&text, "properties/fonts.xml", &unchanged, &error))
            << c.text;
        EXPECT_NE(error.find(" on Line " + std::to_string(c.line)), std::string::npos) << error;
        EXPECT_NE(error.find("in File 'properties/fonts.xml'"), std::string::npos) << error;
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
        EXPECT_EQ(unchanged.size(), 2u);
    }
}

TEST(FontsTest, TableLoadsFontsAndMissingFilesFallBack) {
    Fonts::Clear();
    std::string error;
    ASSERT_TRUE(Fonts::ReadTableText(R"(<fonts>
  <font name="big" family="DejaVu Sans" size="30" shadow="true"/>
  <font name="gone" file="fonts/no_such_font.ttf" size="12"/>
</fonts>)",
                                     "properties/fonts.xml", &error))
        << error;
    EXPECT_EQ(Fonts::GetEntryCount(), 2u);
    EXPECT_EQ(Fonts::Find("big"), nullptr);  // not made until loaded
    int done = 0;
    Fonts::LoadFonts([&] { ++done; });
    EXPECT_EQ(done, 2);
    Font* big = Fonts::Find("big");
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(static_cast<TrueTypeFont*>(big)->GetShadow().mEnabled);
    Font* gone = Fonts::Find("gone");
    ASSERT_NE(gone, nullptr);
    EXPECT_GT(gone->StringWidth("x"), 0);  // the stand-in still shows text
    EXPECT_GT(big->GetHeight(), gone->GetHeight());
    EXPECT_EQ(Fonts::Find("absent"), nullptr);
    Fonts::Clear();
    EXPECT_EQ(Fonts::Find("big"), nullptr);
}

}  // namespace

TEST(FontsTest, Utf8TextIsMeasuredAndLookedUpByCodePoint) {
    SysFont font("DejaVu Sans", 18, 0);
    const GlyphSet& glyphs = font.GetGlyphs();
    // é (U+00E9) is one character of its own width, not two garbled Windows-1252 ones.
    const int e = glyphs.Glyph(0xE9).mAdvance;
    ASSERT_GT(e, 0);
    EXPECT_EQ(font.StringWidth("\xC3\xA9"), e);
    EXPECT_EQ(font.StringWidth("Jos\xC3\xA9"), font.StringWidth("Jos") + e);
    // Letters beyond Latin-1 (Latin Extended-A) and the euro sign above U+017F are in the set.
    EXPECT_GT(glyphs.Glyph(0x0142).mAdvance, 0);  // ł
    EXPECT_EQ(font.StringWidth("\xC5\x82"), glyphs.Glyph(0x0142).mAdvance);
    EXPECT_EQ(font.StringWidth("\xE2\x82\xAC"), glyphs.Glyph(0x20AC).mAdvance);
    EXPECT_GT(glyphs.Glyph(0x20AC).mAdvance, 0);
    // Older text written byte by byte in Windows-1252 still reads: a lone 0xE9 is é.
    EXPECT_EQ(font.StringWidth("Jos\xE9"), font.StringWidth("Jos\xC3\xA9"));
    // Outside the set nothing is drawn and nothing advances.
    EXPECT_EQ(glyphs.Glyph(0x4E00).mAdvance, 0);
    EXPECT_EQ(glyphs.Glyph(0x4E00).mPage, -1);
}

// A font file cut off after its tables of contents still opens, but its glyphs don't: it is
// refused with its name, so the table's stand-in shows the text instead of blank buttons.
TEST(FontsTest, ACutOffFontFileIsRefusedWithItsName) {
    std::ifstream in(std::string(P7_SOURCE_DIR) + "/content/fonts/Lato-Regular.ttf",
                     std::ios::binary);
    std::ostringstream whole;
    whole << in.rdbuf();
    ASSERT_GT(whole.str().size(), 4096u);
    TempFolder temp;
    const std::string path = temp.Path() + "cut.ttf";
    std::ofstream(path, std::ios::binary) << whole.str().substr(0, whole.str().size() / 2);
    std::string error;
    EXPECT_EQ(TrueTypeFont::FromFile(path, 0, 20, 0, &error), nullptr);
    EXPECT_NE(error.find("font file '" + path + "'"), std::string::npos) << error;
}

// The largest size the font table allows makes glyphs wider than the usual page: the pages grow
// to hold them rather than refusing the font.
TEST(FontsTest, TheLargestAllowedSizeLoads) {
    const std::string path = std::string(P7_SOURCE_DIR) + "/content/fonts/Lato-Regular.ttf";
    std::string error;
    std::unique_ptr<TrueTypeFont> font = TrueTypeFont::FromFile(path, 0, 512, 0, &error);
    ASSERT_NE(font, nullptr) << error;
    const GlyphSet& glyphs = font->GetGlyphs();
    const GlyphInfo& w = glyphs.Glyph('W');
    ASSERT_GE(w.mPage, 0);
    EXPECT_GT(w.mWidth, 400);
    const ImageSurface* page = glyphs.GetPageImage(w.mPage);
    ASSERT_NE(page, nullptr);
    EXPECT_LE(w.mX + w.mWidth, page->GetWidth());
    EXPECT_LE(w.mY + w.mHeight, page->GetHeight());
}
