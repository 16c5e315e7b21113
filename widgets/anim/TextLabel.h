#pragma once
// A block of word-wrapped text in one font, anchored at the widget's position: anchor -1 puts the
// block's left (top) edge there, 0 centres it, 1 puts its right (bottom) edge there. It moves,
// scales, fades and tints like any animated widget; colour components above 1.0 draw extra
// passes that add light. Main thread only.

#include <string>

#include "widgets/anim/DynamicWidget.h"

class Font;

class TextLabel : public DynamicWidget {
public:
    // fontName is looked up in the font table (no font: nothing is drawn or measured).
    // wrapWidth <= 0 wraps at 10000. justification: 0 centre, 1 right, else left.
    TextLabel(const std::string& text, int x, int y, const std::string& fontName, int wrapWidth,
              int justification, int anchorX, int anchorY);
    ~TextLabel() override;

    // Each stores the value and lays the block out again.
    void SetText(const std::string& text);
    void SetFont(const std::string& fontName);
    // The font itself (not owned; the font table or the caller keeps it).
    void SetFontObject(Font* font);
    void SetJustification(int justification);

    const std::string& GetText() const { return mText; }
    Font* GetFont() const { return mFont; }
    int GetJustification() const { return mJustification; }
    int GetTextWidth() const { return mTextWidth; }
    // The width the text wraps at (10000 for a label made without one).
    int GetWrapWidth() const { return mWrapWidth; }
    int GetTextHeight() const { return mTextHeight; }
    int GetOffsetX() const { return mOffsetX; }
    int GetOffsetY() const { return mOffsetY; }

    void Draw(Graphics* g) override;
    // The text block with a margin of one line height for glyphs reaching out of it; a label
    // with children cannot say.
    bool GetDrawnArea(FRect* area) const override;
    // Inside the text block (coordinates truncated to integers).
    bool Contains(float x, float y) const override;
    const PropertyTable& GetPropertyTable() const override;
    static const PropertyTable& Properties();

protected:
    // Measures the block and places it by the anchors; marks the old and the new block dirty.
    void Layout();

private:
    int mJustification;
    std::string mText;
    Font* mFont = nullptr;
    int mWrapWidth;
    int mAnchorX;
    int mAnchorY;
    int mOffsetX = 0;
    int mOffsetY = 0;
    int mTextWidth = 0;
    int mTextHeight = 0;
};
