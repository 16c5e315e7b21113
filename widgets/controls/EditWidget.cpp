#include "widgets/controls/EditWidget.h"

#include <algorithm>
#include <cstdlib>

#include "core/expr/ExprValue.h"
#include "core/util/Utf8.h"
#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/SysFont.h"
#include "platform/CursorNumbers.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyEnd = 35;
constexpr int kKeyHome = 36;
constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kKeyDelete = 46;

constexpr char kCopy = 3;
constexpr char kCut = 24;
constexpr char kPaste = 22;
constexpr char kUndo = 26;

}  // namespace

EditWidget::EditWidget(EditListener* listener)
    : DynamicWidget(0, 0, nullptr, 1.0f),
      mColors{Color(255, 255, 255), Color(0, 0, 0), Color(0, 0, 0), Color(0, 0, 0),
              Color(255, 255, 255)} {
    mListener.Set(listener);
    mMouseVisible = true;
}

EditWidget::~EditWidget() = default;

Font* EditWidget::EnsureFont() {
    if (mFont == nullptr) {
        mFont = std::make_unique<SysFont>("Arial Unicode MS", 10);
    }
    return mFont.get();
}

std::string EditWidget::GetShownText() const {
    if (mPasswordChar != 0) {
        return std::string(Utf8Length(mText), mPasswordChar);
    }
    return mText;
}

int EditWidget::ShownIndex(int textPos) const {
    textPos = std::clamp(textPos, 0, static_cast<int>(mText.size()));
    if (mPasswordChar == 0) {
        return textPos;
    }
    return static_cast<int>(
        Utf8Length(std::string_view(mText).substr(0, static_cast<size_t>(textPos))));
}

int EditWidget::NextChar(int pos) const {
    return static_cast<int>(Utf8NextBoundary(mText, static_cast<size_t>(std::max(0, pos))));
}

int EditWidget::PrevChar(int pos) const {
    return static_cast<int>(Utf8PrevBoundary(mText, static_cast<size_t>(std::max(0, pos))));
}

bool EditWidget::IsWordByte(char c) const {
    // Every byte of a character beyond ASCII belongs to a word: such characters are letters
    // (accented or of other scripts) in the names and words typed here.
    return static_cast<unsigned char>(c) >= 0x80 || IsWordChar(c);
}

int EditWidget::ShownWidth(const std::string& shown, int textPos) {
    const int n = std::clamp(ShownIndex(textPos), 0, static_cast<int>(shown.size()));
    return EnsureFont()->StringWidth(std::string_view(shown).substr(0, static_cast<size_t>(n)));
}

void EditWidget::SetColor(int index, const Color& color) {
    if (index < 0) {
        return;
    }
    if (static_cast<size_t>(index) >= mColors.size()) {
        mColors.resize(static_cast<size_t>(index) + 1);
    }
    mColors[static_cast<size_t>(index)] = color;
    MarkDirty();
}

void EditWidget::SetText(const std::string& text, bool keepScroll) {
    mText = text;
    mCursor = static_cast<int>(mText.size());
    mAnchor = 0;
    if (keepScroll) {
        mScrollOffset = 0;
    } else {
        ScrollToCursor(true);
    }
    MarkDirty();
}

void EditWidget::SetFont(const Font* font, bool addAsWidthFont) {
    mFont = font != nullptr ? font->Duplicate() : nullptr;
    mWidthFonts.clear();
    if (addAsWidthFont && font != nullptr) {
        mWidthFonts.emplace_back(font->Duplicate(), -1);
    }
    MarkDirty();
}

bool EditWidget::IsWordChar(char c) const {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == 0;
}

int EditWidget::GetCharAt(int x, int y) {
    (void)y;
    const std::string shown = GetShownText();
    const int base = ShownWidth(shown, mScrollOffset);
    int result = 0;
    // Over the characters (not bytes) from the first one shown; positions are byte offsets.
    const int length = static_cast<int>(mText.size());
    for (int i = mScrollOffset; i < length; i = NextChar(i)) {
        const int next = NextChar(i);
        const int before = ShownWidth(shown, i) - base;
        const int after = ShownWidth(shown, next) - base;
        const float boundary = static_cast<float>(before + after) * 0.5f + 5.0f;
        if (static_cast<float>(x) >= boundary) {
            result = next;
        }
    }
    return result;
}

void EditWidget::ScrollToCursor(bool jump) {
    const int step = jump ? 10 : 1;
    while (mCursor < mScrollOffset) {
        for (int i = 0; i < step && mScrollOffset > 0; ++i) {
            mScrollOffset = PrevChar(mScrollOffset);
        }
        MarkDirty();
    }
    if (mWidth <= 8) {
        return;
    }
    const std::string shown = GetShownText();
    const int length = static_cast<int>(mText.size());
    // The offset never passes the caret (nor the last character), so a character wider than the
    // field ends the loop with the caret at the left edge instead of spinning.
    const int limit = std::max(0, std::min(mCursor, PrevChar(length)));
    while (mScrollOffset < limit &&
           ShownWidth(shown, mCursor) - ShownWidth(shown, mScrollOffset) >= mWidth - 8) {
        for (int i = 0; i < step && mScrollOffset < limit; ++i) {
            mScrollOffset = std::min(limit, NextChar(mScrollOffset));
        }
        MarkDirty();
    }
}

void EditWidget::Resize(float x, float y, int width, int height) {
    Widget::Resize(x, y, width, height);
    ScrollToCursor(false);
}

void EditWidget::DeleteSelection() {
    const int lo = std::min(mAnchor, mCursor);
    const int hi = std::max(mAnchor, mCursor);
    mText.erase(static_cast<size_t>(lo), static_cast<size_t>(hi - lo));
    mCursor = lo;
    mAnchor = -1;
}

void EditWidget::ApplyLimits() {
    // The limits count characters, not bytes, and never cut one in two.
    if (mMaxChars != -1 && static_cast<int>(Utf8Length(mText)) > mMaxChars) {
        mText.resize(Utf8OffsetOf(mText, static_cast<size_t>(std::max(0, mMaxChars))));
    }
    if (mWidthFonts.empty()) {
        if (mMaxPixelWidth >= 1) {
            // The limit is on the text itself, also in a password field: the name or code must
            // fit where it is later shown unmasked.
            while (!mText.empty() && EnsureFont()->StringWidth(mText) > mMaxPixelWidth) {
                mText.resize(static_cast<size_t>(PrevChar(static_cast<int>(mText.size()))));
            }
        }
        return;
    }
    for (const auto& [font, ownWidth] : mWidthFonts) {
        const int limit = ownWidth >= 1 ? ownWidth : mMaxPixelWidth;
        if (limit < 1) {
            continue;
        }
        while (!mText.empty() && font->StringWidth(mText) > limit) {
            mText.resize(static_cast<size_t>(PrevChar(static_cast<int>(mText.size()))));
        }
    }
}

void EditWidget::ProcessKey(int key, char c) {
    ProcessInput(key, c,
                 static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) < 0x80
                     ? std::string(1, c)
                     : std::string());
}

void EditWidget::ProcessInput(int key, char c, const std::string& typed) {
    if (key == kKeyShift || key == kKeyControl) {
        return;
    }
    const bool shift = mManager != nullptr && mManager->IsKeyDown(kKeyShift);
    const bool control = mManager != nullptr && mManager->IsKeyDown(kKeyControl);
    // Shift extends a selection only with the caret keys; with a letter it makes a capital, and
    // anchoring there would leave the typed letter selected, to be replaced by the next one.
    const bool caretKey = key == kKeyLeft || key == kKeyRight || key == kKeyHome || key == kKeyEnd;
    const bool extend = shift && caretKey;
    if (extend && !HasSelection()) {
        mAnchor = mCursor;
    }
    const std::string oldText = mText;
    const int oldCursor = mCursor;
    const int oldAnchor = mAnchor;
    bool newUndoStep = false;
    bool keepSelection = false;
    EditListener* listener = mListener.Get();
    const int length = static_cast<int>(mText.size());

    if (c == kCopy || c == kCut) {
        if (HasSelection()) {
            const int lo = std::min(mAnchor, mCursor);
            const int hi = std::max(mAnchor, mCursor);
            if (WidgetHost* host = GetWidgetHost()) {
                const int shownLo = ShownIndex(lo);
                host->CopyToClipboard(GetShownText().substr(
                    static_cast<size_t>(shownLo), static_cast<size_t>(ShownIndex(hi) - shownLo)));
            }
            if (c == kCut) {
                DeleteSelection();
                newUndoStep = true;
            }
        }
        keepSelection = c == kCopy;
    } else if (c == kPaste) {
        WidgetHost* host = GetWidgetHost();
        const std::string clip = host != nullptr ? host->GetClipboard() : std::string();
        std::string insert;
        // Character by character; the listener judges a character beyond ASCII by its first
        // byte.
        for (size_t pos = 0; pos < clip.size();) {
            const size_t start = pos;
            pos = Utf8NextBoundary(clip, pos);
            const std::string ch = clip.substr(start, pos - start);
            if (ch == "\r" || ch == "\n") {
                continue;
            }
            if (EnsureFont()->StringWidth(ch) != 0 &&
                (listener == nullptr || listener->AllowChar(mId, ch[0]))) {
                insert += ch;
            }
            listener = mListener.Get();  // the listener may have left
        }
        if (HasSelection()) {
            DeleteSelection();
        }
        mText.insert(static_cast<size_t>(std::clamp(mCursor, 0, static_cast<int>(mText.size()))),
                     insert);
        mCursor += static_cast<int>(insert.size());
        newUndoStep = true;
    } else if (c == kUndo) {
        std::swap(mText, mUndoText);
        std::swap(mCursor, mUndoCursor);
        std::swap(mAnchor, mUndoAnchor);
        mUndoRunPosition = -1;
        keepSelection = true;
    } else if (key == kKeyLeft) {
        if (control) {
            while (mCursor > 0 && !IsWordByte(mText[static_cast<size_t>(mCursor - 1)])) {
                mCursor = PrevChar(mCursor);
            }
            while (mCursor > 0 && IsWordByte(mText[static_cast<size_t>(mCursor - 1)])) {
                --mCursor;
            }
        } else if (!shift && HasSelection()) {
            mCursor = std::min(mAnchor, mCursor);
        } else {
            mCursor = mCursor > 0 ? PrevChar(mCursor) : -1;
        }
    } else if (key == kKeyRight) {
        if (control) {
            // Over the rest of the word and the gap after it: the caret lands at the start of the
            // next word (at the end when none follows), as Control+Left lands at a word's start.
            while (mCursor < length && IsWordByte(mText[static_cast<size_t>(mCursor)])) {
                ++mCursor;
            }
            while (mCursor < length && !IsWordByte(mText[static_cast<size_t>(mCursor)])) {
                mCursor = NextChar(mCursor);
            }
        } else if (!shift && HasSelection()) {
            mCursor = std::max(mAnchor, mCursor);
        } else {
            mCursor = mCursor < length ? NextChar(mCursor) : length + 1;
        }
    } else if (key == kKeyBackspace && length > 0) {
        if (HasSelection()) {
            DeleteSelection();
            newUndoStep = true;
        } else if (mCursor > 0 && mCursor <= length) {
            // At the start there is nothing before the caret to delete.
            newUndoStep = mCursor != mUndoRunPosition;
            const int before = PrevChar(mCursor);
            mText.erase(static_cast<size_t>(before), static_cast<size_t>(mCursor - before));
            mCursor = before;
            mUndoRunPosition = mCursor;
        }
    } else if (key == kKeyDelete && length > 0) {
        if (HasSelection()) {
            DeleteSelection();
            newUndoStep = true;
        } else if (mCursor >= 0 && mCursor < length) {
            newUndoStep = mCursor != mUndoRunPosition;
            mText.erase(static_cast<size_t>(mCursor),
                        static_cast<size_t>(NextChar(mCursor) - mCursor));
            mUndoRunPosition = mCursor;
        }
    } else if (key == kKeyHome) {
        mCursor = 0;
    } else if (key == kKeyEnd) {
        mCursor = length;
    } else if (key == kKeyEnter) {
        if (listener != nullptr) {
            listener->EditWidgetText(mId, mText);
        }
    } else if (!typed.empty() && EnsureFont()->StringWidth(typed) > 0 &&
               (listener == nullptr || listener->AllowChar(mId, typed[0]))) {
        if (HasSelection()) {
            DeleteSelection();
            newUndoStep = true;
        } else {
            // A run of typing joins one undo step while each character follows the last. A run
            // position at or past the end is left from deleting there: no character follows it.
            newUndoStep = mUndoRunPosition < 0 || mUndoRunPosition >= length ||
                          mCursor != NextChar(mUndoRunPosition);
        }
        mCursor = std::clamp(mCursor, 0, static_cast<int>(mText.size()));
        mText.insert(static_cast<size_t>(mCursor), typed);
        mUndoRunPosition = mCursor;
        mCursor += static_cast<int>(typed.size());
        ScrollToCursor(false);
    }

    ApplyLimits();
    mCursor = std::clamp(mCursor, 0, static_cast<int>(mText.size()));
    if (mAnchor > static_cast<int>(mText.size())) {
        mAnchor = static_cast<int>(mText.size());
    }
    if (mCursor != oldCursor) {
        mCaretBlinkCounter = 0;
        mCaretVisible = true;
    }
    ScrollToCursor(true);
    if ((!extend && !keepSelection) || mAnchor == mCursor) {
        mAnchor = -1;
    }
    listener = mListener.Get();
    if (listener != nullptr && !listener->AllowText(mId, mText)) {
        mText = oldText;
        mCursor = oldCursor;
        mAnchor = oldAnchor;
        ScrollToCursor(true);
    } else if (newUndoStep) {
        mUndoText = oldText;
        mUndoCursor = oldCursor;
        mUndoAnchor = oldAnchor;
    }
    MarkDirty();
}

void EditWidget::KeyDown(int key) {
    // Letters arrive as characters; only Z passes as a key.
    if (key < 65 || key > 89) {
        EditListener* listener = mListener.Get();
        if (listener == nullptr || listener->AllowKey(mId, key)) {
            ProcessKey(key, 0);
        }
    }
    DynamicWidget::KeyDown(key);
}

void EditWidget::KeyChar(char c) {
    // Typed text arrives as UTF-8, one byte per call: a character beyond ASCII is gathered
    // whole before it is handled.
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
        mPendingChar.clear();
        ProcessKey(0, c);
        return;
    }
    if ((byte & 0xC0) == 0x80 && !mPendingChar.empty()) {
        mPendingChar.push_back(c);
    } else {
        mPendingChar.assign(1, c);
    }
    const auto lead = static_cast<unsigned char>(mPendingChar[0]);
    const size_t length = static_cast<size_t>(Utf8SequenceLength(lead));
    if (length == 1) {
        mPendingChar.clear();  // a byte that starts no character: not UTF-8, dropped
        return;
    }
    if (mPendingChar.size() < length) {
        return;
    }
    std::string character;
    character.swap(mPendingChar);
    size_t pos = 0;
    uint32_t codePoint = 0;
    if (Utf8Next(character, &pos, &codePoint)) {
        ProcessInput(0, 0, character);
    }
}

void EditWidget::SelectWord() {
    const int length = static_cast<int>(mText.size());
    if (mCursor < 0 || mCursor >= length) {
        return;
    }
    int start = mCursor;
    while (start > 0 && IsWordByte(mText[static_cast<size_t>(start - 1)])) {
        --start;
    }
    int end = mCursor;
    while (end < length && IsWordByte(mText[static_cast<size_t>(end)])) {
        ++end;
    }
    mAnchor = start;
    mCursor = end;
}

void EditWidget::MouseEnter() {
    if (WidgetHost* host = GetWidgetHost()) {
        host->SetCursor(cursor::kText);
    }
}

void EditWidget::MouseLeave() {
    if (WidgetHost* host = GetWidgetHost()) {
        host->SetCursor(cursor::kArrow);
    }
}

void EditWidget::MouseDownButton(int x, int y, int button, int clickCount) {
    (void)button;
    mAnchor = -1;
    mCursor = GetCharAt(x, y);
    if (clickCount > 1) {
        mWordSelectPending = true;
        SelectWord();
    }
    MarkDirty();
    ScrollToCursor(false);
}

void EditWidget::MouseDrag(int x, int y) {
    if (mAnchor < 0) {
        mAnchor = mCursor;
    }
    mCursor = GetCharAt(x, y);
    MarkDirty();
    ScrollToCursor(false);
}

void EditWidget::MouseUpButton(int x, int y, int button, int clickCount) {
    (void)button, (void)clickCount;
    if (mAnchor == mCursor) {
        mAnchor = -1;
    }
    if (mWordSelectPending) {
        mCursor = GetCharAt(x, y);
        SelectWord();
        mWordSelectPending = false;
    }
    MarkDirty();
}

void EditWidget::GotFocus() {
    DynamicWidget::GotFocus();
    if (EditListener* listener = mListener.Get()) {
        listener->EditGotFocus(this);
    }
    mCaretVisible = true;
    mCaretBlinkCounter = 0;
    MarkDirty();
}

void EditWidget::LostFocus() {
    DynamicWidget::LostFocus();
    if (EditListener* listener = mListener.Get()) {
        listener->EditLostFocus(this);
    }
    mCaretVisible = false;
    MarkDirty();
}

void EditWidget::TryUpdate() {
    DynamicWidget::TryUpdate();
    if (!mHasFocus) {
        return;
    }
    if (++mCaretBlinkCounter > mCaretBlinkPeriod) {
        MarkDirty();
        mCaretBlinkCounter = 0;
        mCaretVisible = !mCaretVisible;
    }
}

bool EditWidget::GetProperty(const std::string& name, ExprValue* out) const {
    if (name == "text") {
        *out = ExprValue::FromString(mText);
        return true;
    }
    return DynamicWidget::GetProperty(name, out);
}

void EditWidget::Draw(Graphics* g) {
    Font* font = EnsureFont();
    g->SetColor(mColors[0]);
    g->FillRect(0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight));
    g->SetFont(font);
    const std::string shown = GetShownText();
    const std::string visible = shown.substr(static_cast<size_t>(
        std::clamp(ShownIndex(mScrollOffset), 0, static_cast<int>(shown.size()))));
    const int top = (mHeight - font->GetHeight()) / 2;
    const float baseline = static_cast<float>(top) + font->GetAscent();
    const Graphics kept(*g);

    g->SetClipRect(0, 0, mWidth, mHeight);
    g->SetColor(mColors[2]);
    g->DrawString(visible, 4.0f, baseline);
    g->CopyStateFrom(kept);

    const int base = ShownWidth(shown, mScrollOffset);
    int caretX = ShownWidth(shown, mCursor) - base;
    int otherX = HasSelection() ? ShownWidth(shown, mAnchor) - base : caretX + 2;
    if (!mCaretVisible) {
        caretX += 2;
    }
    const int maxX = std::max(0, mWidth - 8);
    caretX = std::clamp(caretX, 0, maxX);
    otherX = std::clamp(otherX, 0, maxX);
    const int left = std::min(caretX, otherX) + 4;
    const int span = std::abs(otherX - caretX);
    g->SetClipRect(left, top, span, font->GetHeight());
    if (mHasFocus || mShowSelectionUnfocused) {
        g->SetColor(mColors[3]);
        g->FillRect(static_cast<float>(left), static_cast<float>(top), static_cast<float>(span),
                    static_cast<float>(font->GetHeight()));
        g->SetColor(mColors[4]);
    } else {
        g->SetColor(mColors[2]);
    }
    g->DrawString(visible, 4.0f, baseline);
    g->CopyStateFrom(kept);

    g->SetColor(mColors[1]);
    g->DrawRect(0, 0, mWidth, mHeight);
}
