// The standard controls drawn on the real renderer and compared with committed images: a
// button's label laid out in each justification and pressed, and a text field's caret and
// selection. Set P7_UPDATE_GOLDEN=1 to rewrite the images after a deliberate change, and look
// at them before committing.

#include <gtest/gtest.h>

#include "graphics/fonts/SysFont.h"
#include "support/GLTestSupport.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/EditWidget.h"

namespace {

class ControlsGoldenTest : public GLTest {
protected:
    // Draws the widget at its own position, as the tree's draw pass does.
    static void DrawAt(Graphics& g, Widget& widget) {
        Graphics local(g);
        local.Translate(widget.mX, widget.mY);
        widget.Draw(&local);
        local.FlushBatch();
    }
};

}  // namespace

TEST_F(ControlsGoldenTest, ButtonLabelsInEachLayout) {
    constexpr int kWidth = 160;
    constexpr int kHeight = 120;
    std::unique_ptr<ImageSurface> target = MakeTarget(kWidth, kHeight);
    target->Fill(Color(30, 40, 70));
    SysFont font("DejaVu Sans", 10, 0);

    ButtonWidget centred(0, 0, "", "Play", false);
    ButtonWidget right(0, 0, "", "Options", false);
    ButtonWidget left(0, 0, "", "Two words wrap", false);
    ButtonWidget pressed(0, 0, "", "Down", false);
    for (ButtonWidget* b : {&centred, &right, &left, &pressed}) {
        b->SetDefaultVisual(&font);
    }
    centred.Resize(10, 6, 140, 24);
    right.Resize(10, 34, 140, 24);
    right.mJustification = 1;
    left.Resize(10, 62, 60, 40);
    left.mJustification = 2;
    left.mLabelOffsetX = 3;
    pressed.Resize(80, 62, 70, 24);
    pressed.mIsDown = true;  // drawn one pixel right and down

    {
        Graphics g(target.get());
        g.SetColor(Color(90, 90, 120));
        for (ButtonWidget* b : {&centred, &right, &left, &pressed}) {
            g.FillRect(b->mX, b->mY, static_cast<float>(b->mWidth), static_cast<float>(b->mHeight));
        }
        for (ButtonWidget* b : {&centred, &right, &left, &pressed}) {
            DrawAt(g, *b);
        }
    }
    ExpectGoldenIn("tests/widgets/golden", target.get(), "button_labels", 12,
                   kWidth * kHeight / 200);
}

TEST_F(ControlsGoldenTest, TextFieldCaretAndSelection) {
    constexpr int kWidth = 160;
    constexpr int kHeight = 64;
    std::unique_ptr<ImageSurface> target = MakeTarget(kWidth, kHeight);
    target->Fill(Color(200, 200, 200));
    SysFont font("DejaVu Sans", 10, 0);

    EditWidget caret(nullptr);
    caret.SetFont(&font, false);
    caret.Resize(8, 6, 144, 22);
    caret.SetText("Caret here", false);
    caret.mAnchor = -1;
    caret.mCursor = 5;
    caret.mCaretVisible = true;
    caret.mHasFocus = true;  // the caret bar shows in the focused field

    EditWidget selection(nullptr);
    selection.SetFont(&font, false);
    selection.Resize(8, 36, 144, 22);
    selection.SetText("Jos\xC3\xA9 selected", false);
    selection.mAnchor = 3;
    selection.mCursor = 14;  // from before the é to the end of "selected"
    selection.mShowSelectionUnfocused = true;
    selection.SetColor(3, Color(40, 80, 200));

    {
        Graphics g(target.get());
        DrawAt(g, caret);
        DrawAt(g, selection);
    }
    ExpectGoldenIn("tests/widgets/golden", target.get(), "text_field_caret_selection", 12,
                   kWidth * kHeight / 200);
}
