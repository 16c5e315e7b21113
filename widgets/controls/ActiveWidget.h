#pragma once
// A button laid out around an anchor: built centred on x (or shifted further left for a place n
// in a row), it remembers where it was put so that it can go back there, draws one chosen cell
// of its image, and may come to the front of its siblings when pressed. The small puzzle
// previews are built on it. Main thread only.

#include <string>

#include "widgets/controls/ButtonWidget.h"

class ActiveWidget : public ButtonWidget {
public:
    // The button of image type at (x, y), moved left by ((n + 1) x width) / 2: n = 0 centres it
    // on x. The position it then has is its anchor.
    ActiveWidget(int x, int y, const std::string& type, int n);

    // Goes back to the anchor.
    virtual void MoveToAnchor();

    void SetRaiseOnPress(bool raise) { mRaiseOnPress = raise; }
    bool GetRaiseOnPress() const { return mRaiseOnPress; }
    int GetFrameIndex() const { return mFrameIndex; }
    float GetAnchorX() const { return mAnchorX; }
    float GetAnchorY() const { return mAnchorY; }

    // The chosen cell at the widget's origin; no label, no state look.
    void Draw(Graphics* g) override;
    // Raised to the end of its parent's children (when asked) before the button's press.
    void MouseDown(int x, int y, int clickCount) override;

private:
    bool mRaiseOnPress = false;
    int mFrameIndex = 0;
    float mAnchorX = 0.0f;
    float mAnchorY = 0.0f;
};
