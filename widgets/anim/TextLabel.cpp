#include "widgets/anim/TextLabel.h"

#include <algorithm>

#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/anim/OverbrightPasses.h"

TextLabel::TextLabel(const std::string& text, int x, int y, const std::string& fontName,
                     int wrapWidth, int justification, int anchorX, int anchorY)
    : DynamicWidget(x, y, nullptr, 1.0f),
      mJustification(justification),
      mText(text),
      mFont(Fonts::Find(fontName)),
      mWrapWidth(wrapWidth > 0 ? wrapWidth : 10000),
      mAnchorX(anchorX),
      mAnchorY(anchorY) {
    Layout();
}

TextLabel::~TextLabel() = default;

void TextLabel::SetText(const std::string& text) {
    mText = text;
    Layout();
}

void TextLabel::SetFont(const std::string& fontName) {
    SetFontObject(Fonts::Find(fontName));
}

void TextLabel::SetFontObject(Font* font) {
    mFont = font;
    Layout();
}

void TextLabel::SetJustification(int justification) {
    mJustification = justification;
    MarkDirty();
}

void TextLabel::Layout() {
    MarkDirty();  // the block as it was
    Graphics measure(nullptr);
    measure.SetFont(mFont);
    int widest = 0;
    mTextHeight =
        mFont != nullptr ? measure.GetWordWrappedHeight(mWrapWidth, mText, -1, &widest) : 0;
    mTextWidth = widest;
    mOffsetX = -(((mAnchorX + 1) * mTextWidth) / 2);
    const float ascent = mFont != nullptr ? mFont->GetAscent() : 0.0f;
    mOffsetY = static_cast<int>(ascent + static_cast<float>(-(((mAnchorY + 1) * mTextHeight) / 2)));
    mWidth = mTextWidth;
    mHeight = mTextHeight;
    MarkDirty();
}

bool TextLabel::GetDrawnArea(FRect* area) const {
    if (!mChildren.empty()) {
        return false;
    }
    const float margin =
        mFont != nullptr ? static_cast<float>(std::max(mFont->GetHeight(), 8)) : 0.0f;
    *area = FRect(static_cast<float>(mOffsetX) - margin, static_cast<float>(mOffsetY) - margin,
                  static_cast<float>(mTextWidth) + 2.0f * margin,
                  static_cast<float>(mTextHeight) + 2.0f * margin);
    return true;
}

void TextLabel::Draw(Graphics* g) {
    if (mFont == nullptr || mText.empty()) {
        return;
    }
    g->SetFont(mFont);
    const Rect box(mOffsetX, mOffsetY, mTextWidth, mTextHeight);
    DrawOverbrightPasses(g, mRed * mOpacity, mGreen * mOpacity, mBlue * mOpacity, mAlpha * mOpacity,
                         nullptr, true,
                         [&] { g->DrawStringWordWrapped(box, mText, -1, mJustification); });
}

bool TextLabel::Contains(float x, float y) const {
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    return mOffsetX <= ix && ix < mOffsetX + mTextWidth && mOffsetY <= iy &&
           iy < mOffsetY + mTextHeight;
}

const PropertyTable& TextLabel::Properties() {
    static const PropertyTable table(
        &DynamicWidget::Properties(),
        {
            PropertyEntry{"text", nullptr,
                          [](const DynamicWidget& w) {
                              return ExprValue::FromString(
                                  static_cast<const TextLabel&>(w).GetText());
                          }},
            PropertyEntry{"text_width", nullptr,
                          [](const DynamicWidget& w) {
                              return ExprValue::FromInt(
                                  static_cast<const TextLabel&>(w).GetTextWidth());
                          }},
            PropertyEntry{"text_height", nullptr,
                          [](const DynamicWidget& w) {
                              return ExprValue::FromInt(
                                  static_cast<const TextLabel&>(w).GetTextHeight());
                          }},
        });
    return table;
}

const PropertyTable& TextLabel::GetPropertyTable() const {
    return Properties();
}
