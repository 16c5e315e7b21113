#pragma once
// A single-line text field: caret, selection by Shift, mouse and double-click, clipboard copy,
// cut and paste through the application, a one-step undo that groups runs of typing, limits in
// characters and in pixels, an optional password character, and an EditListener that hears of
// Enter and focus changes and may refuse keys, characters or whole new texts. Text is UTF-8:
// the caret, the selection and the scroll offset are byte offsets that always fall between
// characters, and every step, deletion and limit counts characters. Main thread only.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/Color.h"
#include "widgets/ListenerLink.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/controls/EditListener.h"

class Font;

class EditWidget : public DynamicWidget {
public:
    // listener may be null; not owned.
    explicit EditWidget(EditListener* listener);
    ~EditWidget() override;

    // One key (key code, character 0) or one ASCII or control character (key 0). Shift and
    // Control are read from the manager's key table.
    virtual void ProcessKey(int key, char c);
    // Selects the word around the caret.
    virtual void SelectWord();
    // Keeps a copy of font for drawing and measuring; with addAsWidthFont it also becomes the one
    // width font (the earlier ones are dropped either way).
    virtual void SetFont(const Font* font, bool addAsWidthFont);
    // Replaces the text and selects all of it; keepScroll shows it from its start. No listener
    // call.
    virtual void SetText(const std::string& text, bool keepScroll);
    virtual bool IsWordChar(char c) const;
    // The caret index for a local point.
    virtual int GetCharAt(int x, int y);
    // Keeps the caret in view; jump scrolls ten characters at a time.
    virtual void ScrollToCursor(bool jump);
    // Resizes, then keeps the caret in view.
    void Resize(float x, float y, int width, int height) override;
    // Colours: 0 background, 1 outline, 2 text, 3 selection, 4 selected text.
    void SetColor(int index, const Color& color);
    const Color& GetColor(int index) const { return mColors[static_cast<size_t>(index)]; }
    void SetListener(EditListener* listener) { mListener.Set(listener); }

    const std::string& GetText() const { return mText; }
    // The text as drawn and copied: password characters when one is set.
    std::string GetShownText() const;
    bool HasSelection() const { return mAnchor >= 0 && mAnchor != mCursor; }
    Font* GetFont() const { return mFont.get(); }

    bool GetProperty(const std::string& name, ExprValue* out) const override;
    void TryUpdate() override;
    void Draw(Graphics* g) override;
    bool WantsFocus() override { return true; }
    void GotFocus() override;
    void LostFocus() override;
    void KeyChar(char c) override;
    void KeyDown(int key) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    bool mCaretVisible = false;
    bool mShowSelectionUnfocused = false;
    bool mWordSelectPending = false;
    int mCursor = 0;
    int mAnchor = -1;  // the selection's other end; -1 none
    int mCaretBlinkCounter = 0;
    int mCaretBlinkPeriod = 40;
    int mScrollOffset = 0;  // the first character shown
    int mMaxChars = -1;
    int mMaxPixelWidth = -1;
    char mPasswordChar = 0;
    std::string mUndoText;
    int mUndoCursor = 0;
    int mUndoAnchor = 0;
    int mUndoRunPosition = 0;

private:
    Font* EnsureFont();
    // ProcessKey with the typed character as UTF-8 text (empty for keys and control bytes).
    void ProcessInput(int key, char c, const std::string& typed);
    // Width of the shown text up to a caret position in the text.
    int ShownWidth(const std::string& shown, int textPos);
    // The offset in the shown text of a caret position in the text (they differ in a password
    // field, which shows one password character per character).
    int ShownIndex(int textPos) const;
    // The caret positions one character after and before pos.
    int NextChar(int pos) const;
    int PrevChar(int pos) const;
    // Whether a byte belongs to a word for word steps and selection.
    bool IsWordByte(char c) const;
    void DeleteSelection();
    void ApplyLimits();

    std::string mText;
    std::string mPendingChar;  // the first bytes of a typed character beyond ASCII
    std::unique_ptr<Font> mFont;
    std::vector<std::pair<std::unique_ptr<Font>, int>> mWidthFonts;
    ListenerSlot<EditListener> mListener;
    std::vector<Color> mColors;
};
