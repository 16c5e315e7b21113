#include "widgets/controls/HyperlinkWidget.h"

#include "core/util/Log.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "widgets/NameLookups.h"

HyperlinkWidget::HyperlinkWidget(ButtonListener* listener)
    : ButtonWidget(0, 0, "", "", true), mTextJustification(LookupConstant("justification")) {
    SetButtonListener(listener);
    mHandCursor = true;
    mClipChildren = false;
}

void HyperlinkWidget::SizeToLabel(int centreX, int y, int wrapWidth) {
    if (mLabelFont == nullptr) {
        LogWarning("Hyperlink \"%s\" has no font to measure its label with.", mLabel.c_str());
        return;
    }
    Graphics measure;
    measure.SetFont(mLabelFont);
    int widest = 0;
    const int height = measure.GetWordWrappedHeight(wrapWidth, mLabel, mLineSpacing, &widest);
    Resize(static_cast<float>(centreX - widest / 2), static_cast<float>(y), widest, height);
}

void HyperlinkWidget::Draw(Graphics* g) {
    if (mLabelFont == nullptr) {
        return;
    }
    g->SetColor(Color(255, 255, 255));
    g->SetFont(mLabelFont);
    g->DrawStringWordWrapped(Rect(0, 0, mWidth, mHeight), mLabel, mLineSpacing, mTextJustification);
}
