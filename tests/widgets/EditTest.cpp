// Text entry: typing, caret moves, selection, clipboard, undo grouping, limits, the listener's
// vetoes and scrolling.

#include <string>
#include <vector>

#include "core/expr/ExprValue.h"
#include "support/UiHarness.h"
#include "widgets/controls/EditWidget.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kShift = 16;
constexpr int kControl = 17;
constexpr int kHome = 36;
constexpr int kLeft = 37;
constexpr int kRight = 39;
constexpr int kDelete = 46;

class Owner : public EditListener {
public:
    void EditWidgetText(uint32_t, const std::string& text) override { entered.push_back(text); }
    bool AllowChar(uint32_t, char c) override { return c != '#'; }
    bool AllowText(uint32_t, const std::string& text) override {
        return text.find("xx") == std::string::npos;
    }
    void EditGotFocus(EditWidget*) override { ++focusChanges; }
    void EditLostFocus(EditWidget*) override { ++focusChanges; }
    std::vector<std::string> entered;
    int focusChanges = 0;
};

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = h.Add(new EditWidget(&owner), 10, 10, 200, 24);
        const HarnessFont font;
        edit->SetFont(&font, false);
        h.Click(20, 20);  // takes the focus
    }
    std::string Selected() const {
        if (!edit->HasSelection()) {
            return "";
        }
        const int lo = std::min(edit->mAnchor, edit->mCursor);
        const int hi = std::max(edit->mAnchor, edit->mCursor);
        return edit->GetText().substr(static_cast<size_t>(lo), static_cast<size_t>(hi - lo));
    }
    Owner owner;
    WidgetHarness h;
    EditWidget* edit = nullptr;
};

}  // namespace

TEST_F(EditTest, TypingIsUndoneInOneStepAndRedone) {
    EXPECT_EQ(h.manager->GetFocusWidget(), edit);
    EXPECT_EQ(owner.focusChanges, 1);
    h.Type("abc");
    EXPECT_EQ(edit->GetText(), "abc");
    h.Char(26);  // Control+Z
    EXPECT_EQ(edit->GetText(), "");
    h.Char(26);
    EXPECT_EQ(edit->GetText(), "abc");
    EXPECT_EQ(edit->mCursor, 3);

    // Three backspaces in a row are undone together.
    h.Type("def");
    h.Key(kBackspace);
    h.Key(kBackspace);
    h.Key(kBackspace);
    EXPECT_EQ(edit->GetText(), "abc");
    h.Char(26);
    EXPECT_EQ(edit->GetText(), "abcdef");
    h.Key(kEnter);
    EXPECT_EQ(owner.entered, (std::vector<std::string>{"abcdef"}));
}

// Typing after a deletion at the end of the text is an edit of its own: undo takes back only it.
TEST_F(EditTest, TypingAfterADeletionAtTheEndStartsANewUndoStep) {
    h.Type("abcd");
    h.Key(kBackspace);
    h.Type("x");
    EXPECT_EQ(edit->GetText(), "abcx");
    h.Char(26);
    EXPECT_EQ(edit->GetText(), "abc");

    edit->SetText("hello", false);  // all of it selected
    h.Key(kDelete);
    h.Type("x");
    h.Char(26);
    EXPECT_EQ(edit->GetText(), "");
    h.Char(26);
    EXPECT_EQ(edit->GetText(), "x");
}

TEST_F(EditTest, CaretMovesStopAtBothEnds) {
    h.Key(kBackspace);  // empty field: nothing
    h.Key(kLeft);
    EXPECT_EQ(edit->mCursor, 0);
    h.Type("ab cd");
    h.Key(kHome);
    h.Key(kBackspace);  // caret at 0 without a selection: nothing
    EXPECT_EQ(edit->GetText(), "ab cd");
    h.KeyWith(kControl, kLeft);
    EXPECT_EQ(edit->mCursor, 0);
    h.KeyWith(kControl, kRight);
    EXPECT_EQ(edit->mCursor, 3);  // over the word and the gap: the start of the next word
    h.KeyWith(kControl, kRight);
    EXPECT_EQ(edit->mCursor, 5);
    h.KeyWith(kControl, kRight);
    EXPECT_EQ(edit->mCursor, 5);
    h.KeyWith(kControl, kLeft);
    EXPECT_EQ(edit->mCursor, 3);
    h.Key(kDelete);
    EXPECT_EQ(edit->GetText(), "ab d");
    h.Key(kRight);
    h.Key(kRight);
    h.Key(kDelete);  // at the end: nothing
    EXPECT_EQ(edit->GetText(), "ab d");
}

TEST_F(EditTest, ShiftedLettersAreTypedAndNotLeftSelected) {
    // A capital comes as Shift down, the letter's key, its character and Shift up; the capital
    // must stay when the next letter follows.
    h.KeyDown(kShift);
    h.KeyDown('A');
    h.Char('A');
    h.KeyUp('A');
    h.KeyUp(kShift);
    EXPECT_FALSE(edit->HasSelection());
    h.Type("nn");
    EXPECT_EQ(edit->GetText(), "Ann");
    h.KeyDown(kShift);
    h.Char('B');
    h.Key(kBackspace);  // Shift+Backspace deletes and selects nothing
    h.Char('C');
    h.KeyUp(kShift);
    EXPECT_EQ(edit->GetText(), "AnnC");
    EXPECT_FALSE(edit->HasSelection());
}

TEST_F(EditTest, SelectionAndClipboard) {
    h.Type("hello world");
    h.KeyDown(kShift);
    h.Key(kHome);  // Shift+Home selects from the caret to the start
    h.KeyUp(kShift);
    EXPECT_EQ(Selected(), "hello world");
    h.Char(3);  // copy keeps the selection
    EXPECT_EQ(h.app.GetClipboard(), "hello world");
    EXPECT_TRUE(edit->HasSelection());
    h.Key(kRight);  // to the selection's right end, selection dropped
    EXPECT_EQ(edit->mCursor, 11);
    EXPECT_FALSE(edit->HasSelection());

    h.KeyDown(kShift);
    h.Key(kLeft);
    h.Key(kLeft);
    h.KeyUp(kShift);
    h.Char(24);  // cut
    EXPECT_EQ(h.app.GetClipboard(), "ld");
    EXPECT_EQ(edit->GetText(), "hello wor");
    h.app.CopyToClipboard("a#b\r\nc");
    h.Char(22);  // paste: no line breaks, no refused characters
    EXPECT_EQ(edit->GetText(), "hello worabc");
    EXPECT_EQ(edit->mCursor, 12);
    h.Char(26);
    EXPECT_EQ(edit->GetText(), "hello wor");

    // A double click selects the word under the pointer; a drag selects a range.
    h.Press(10 + 4 + 8 * 2, 20, 1);
    h.Release(10 + 4 + 8 * 2, 20);
    h.Press(10 + 4 + 8 * 2, 20, 2);
    h.Release(10 + 4 + 8 * 2, 20);
    EXPECT_EQ(Selected(), "hello");
    // Character boundaries lie at 8 i + 9 local pixels (the mean of the edges plus 5).
    h.Drag(10 + 50, 20, 10 + 76, 20);
    EXPECT_EQ(Selected(), "wor");
    h.Char('X');  // typing replaces the selection
    EXPECT_EQ(edit->GetText(), "hello X");
}

TEST_F(EditTest, LimitsPasswordsAndVetoes) {
    edit->mMaxChars = 5;
    h.Type("abcdef");
    EXPECT_EQ(edit->GetText(), "abcde");
    edit->mMaxChars = -1;
    edit->mMaxPixelWidth = 8 * 7;
    h.Type("fghij");
    EXPECT_EQ(edit->GetText(), "abcdefg");

    // A refusing AllowText leaves text, caret and selection as they were.
    edit->SetText("ax", false);
    EXPECT_EQ(Selected(), "ax");
    h.Key(kRight);
    h.Char('x');
    EXPECT_EQ(edit->GetText(), "ax");
    EXPECT_EQ(edit->mCursor, 2);

    // With a password character, a copy copies password characters.
    edit->mPasswordChar = '*';
    edit->SetText("secret", false);
    h.Char(3);
    EXPECT_EQ(h.app.GetClipboard(), "******");
    ExprValue value;
    ASSERT_TRUE(edit->GetProperty("text", &value));
    EXPECT_EQ(value.AsString(), "secret");
    EXPECT_TRUE(h.Draw());
}

TEST_F(EditTest, ScrollingKeepsTheCaretInViewAndEnds) {
    // A resize through a plain Widget pointer re-scrolls too.
    h.Type("abcdefghijklmnop");
    EXPECT_EQ(edit->mScrollOffset, 0);
    static_cast<Widget*>(edit)->Resize(10, 10, 60, 24);
    EXPECT_GT(edit->mScrollOffset, 0);
    edit->SetText("", true);
    edit->Resize(10, 10, 60, 24);  // room for six characters
    h.Type("abcdefghijklmnop");
    EXPECT_GT(edit->mScrollOffset, 0);
    EXPECT_LE(edit->mScrollOffset, edit->mCursor);
    h.Key(kHome);
    EXPECT_EQ(edit->mScrollOffset, 0);
    // Clicking left of every character boundary gives index 0.
    EXPECT_EQ(edit->GetCharAt(0, 5), 0);
    EXPECT_EQ(edit->GetCharAt(4 + 8 + 1, 5), 1);

    // One character wider than the field: scrolling ends with the caret at the left edge.
    const HarnessFont wide(100);
    edit->SetFont(&wide, false);
    edit->SetText("", false);
    h.Type("WW");
    EXPECT_EQ(edit->mScrollOffset, 1);
    EXPECT_TRUE(h.Draw());

    // Blinking: the caret toggles after the blink period while focused.
    const bool before = edit->mCaretVisible;
    h.RunUpdates(edit->mCaretBlinkPeriod + 1);
    EXPECT_NE(edit->mCaretVisible, before);
    h.manager->SetFocus(nullptr);
    EXPECT_FALSE(edit->mCaretVisible);
    EXPECT_EQ(owner.focusChanges, 2);
}
