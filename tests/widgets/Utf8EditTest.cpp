// The text field with typed text beyond ASCII: characters arrive as their UTF-8 bytes and are
// kept whole; the caret, deletion, limits, the password mask and copying count characters.

#include <string>
#include <vector>

#include "core/util/Utf8.h"
#include "support/UiHarness.h"
#include "widgets/controls/EditWidget.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kDelete = 46;
constexpr int kLeft = 37;
constexpr int kRight = 39;
constexpr int kShift = 16;
constexpr int kHome = 36;

// 8 pixels per character (not per byte), 16 high.
class CharacterFont : public HarnessFont {
public:
    int StringWidth(std::string_view text) const override {
        return 8 * static_cast<int>(Utf8Length(text));
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<CharacterFont>(); }
};

class Utf8EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = h.Add(new EditWidget(nullptr), 10, 10, 200, 24);
        const CharacterFont font;
        edit->SetFont(&font, false);
        h.Click(20, 20);
    }
    WidgetHarness h;
    EditWidget* edit = nullptr;
};

const std::string kJose = "Jos\xC3\xA9";  // José

}  // namespace

TEST_F(Utf8EditTest, TypedAccentedCharactersAreKeptWhole) {
    h.Type(kJose);
    EXPECT_EQ(edit->GetText(), kJose);
    EXPECT_EQ(edit->mCursor, 5);  // bytes: the caret stands after the whole é
    h.Type("\xE2\x82\xAC");       // €, three bytes
    EXPECT_EQ(edit->GetText(), kJose + "\xE2\x82\xAC");

    // One step left passes a whole character; Backspace takes a whole one.
    h.Key(kLeft);
    EXPECT_EQ(edit->mCursor, 5);
    h.Key(kLeft);
    EXPECT_EQ(edit->mCursor, 3);
    h.Key(kRight);
    EXPECT_EQ(edit->mCursor, 5);
    h.Key(kBackspace);
    EXPECT_EQ(edit->GetText(), "Jos\xE2\x82\xAC");
    h.Key(kDelete);
    EXPECT_EQ(edit->GetText(), "Jos");
    // Bytes that are no UTF-8 are dropped; a broken sequence leaves nothing behind.
    h.Char(static_cast<char>(0x80));
    h.Char(static_cast<char>(0xFF));
    h.Char(static_cast<char>(0xC3));
    h.Type("x");
    EXPECT_EQ(edit->GetText(), "Josx");
}

TEST_F(Utf8EditTest, LimitsCountCharactersAndNeverCutOneInTwo) {
    edit->mMaxChars = 4;
    h.Type("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");  // five é
    EXPECT_EQ(edit->GetText(), "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    edit->mMaxChars = -1;
    edit->SetText("", false);
    edit->mMaxPixelWidth = 8 * 3;
    h.Type("a\xC3\xA9\xC3\xBC\xC3\xB6");
    EXPECT_EQ(edit->GetText(), "a\xC3\xA9\xC3\xBC");
}

TEST_F(Utf8EditTest, PasswordMaskAndCopyCountCharacters) {
    edit->mPasswordChar = '*';
    h.Type(kJose);
    EXPECT_EQ(edit->GetShownText(), "****");
    // Select the last two characters and copy: two password characters.
    h.KeyDown(kShift);
    h.Key(kLeft);
    h.Key(kLeft);
    h.KeyUp(kShift);
    EXPECT_EQ(edit->mAnchor, 5);
    EXPECT_EQ(edit->mCursor, 2);
    h.Char(3);
    EXPECT_EQ(h.app.GetClipboard(), "**");
    // The pixel limit is on the text itself, not on its mask.
    edit->SetText("", false);
    edit->mPasswordChar = '#';
    const HarnessFont byteFont;  // 8 pixels a byte: é is 16 wide, its mask 8
    edit->SetFont(&byteFont, false);
    edit->mMaxPixelWidth = 8 * 4;
    h.Type(kJose);
    EXPECT_EQ(edit->GetText(), "Jos");
    edit->mPasswordChar = 0;
    EXPECT_TRUE(h.Draw());
}

TEST_F(Utf8EditTest, ClipboardTextAndClicksLandBetweenCharacters) {
    h.app.CopyToClipboard("\xC3\xBC\xC3\xB6\r\nx");
    h.Char(22);
    EXPECT_EQ(edit->GetText(), "\xC3\xBC\xC3\xB6x");
    h.Char(3);
    // A click right of the first character puts the caret after it, between bytes 2 and 3.
    h.Click(10 + 4 + 9, 20);
    EXPECT_EQ(edit->mCursor, 2);
    // Copy of a selection that starts mid-text takes whole characters.
    h.Key(kHome);
    h.KeyDown(kShift);
    h.Key(kRight);
    h.KeyUp(kShift);
    h.Char(3);
    EXPECT_EQ(h.app.GetClipboard(), "\xC3\xBC");
}
