#pragma once
// A button drawn as word-wrapped text in its label font, with no image. Clicks behave as for
// every button. Main thread only.

#include "widgets/controls/ButtonWidget.h"

class HyperlinkWidget : public ButtonWidget {
public:
    // listener receives the clicks; may be null.
    explicit HyperlinkWidget(ButtonListener* listener);

    // Sizes the link to its label word-wrapped in wrapWidth, centred on centreX, top at y. A link
    // without a label font keeps its size (it draws nothing).
    void SizeToLabel(int centreX, int y, int wrapWidth);

    void Draw(Graphics* g) override;

    int mTextJustification;  // the named constant "justification"
    int mLineSpacing = -1;   // -1: the font's own
};
