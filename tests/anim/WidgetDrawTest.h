#pragma once
// Shared by the drawing tests of this folder: a GL test that draws widget trees into one target
// over a dark grey background (40, 40, 48), as the widget pass does, and reads its pixels back.

#include <cstdint>
#include <memory>

#include "graphics/Color.h"
#include "support/GLTestSupport.h"
#include "widgets/anim/DynamicWidget.h"

class WidgetDrawTest : public GLTest {
protected:
    // The fixture's set-up, called from SetUp: false when the test is skipped (no GL device),
    // otherwise the target of width x height is made.
    bool SetUpTarget(int width, int height) {
        GLTest::SetUp();
        if (IsSkipped()) {
            return false;
        }
        mTarget = MakeTarget(width, height);
        return true;
    }
    void TearDown() override {
        mTarget.reset();
        Graphics::FreeScratchPool();
    }

    // Fills the whole target with the background.
    void ClearTarget() {
        Graphics g(mTarget.get());
        FillBackground(g);
    }
    // Draws the tree rooted at root at the root's position, over a fresh background when clear.
    void DrawTree(DynamicWidget* root, bool clear) {
        Graphics g(mTarget.get());
        if (clear) {
            FillBackground(g);
        }
        g.Translate(root->mX, root->mY);
        WidgetFlagState state;
        root->DrawAll(state, &g);
    }
    // The target's pixel once everything drawn so far has reached it.
    uint32_t PixelAt(int x, int y) {
        sDevice->Flush();
        return mTarget->GetPixel(x, y);
    }

    std::unique_ptr<ImageSurface> mTarget;

private:
    void FillBackground(Graphics& g) {
        g.SetColor(Color(40, 40, 48));
        g.FillRect(0.0f, 0.0f, float(mTarget->GetWidth()), float(mTarget->GetHeight()));
    }
};
