#pragma once
// The board's widgets drawn through OpenGL: the GL tests' window and device, the board content
// of BoardTestSupport.h and a widget harness, whose widgets leave before the content goes.

#include "BoardTestSupport.h"
#include "support/GLTestSupport.h"

class BoardGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ASSERT_NO_FATAL_FAILURE(LoadBoardContent());
    }
    void TearDown() override {
        if (!IsSkipped()) {
            h.manager->RemoveAllWidgets(true, true);
            h.RunUpdates(1);
            ClearBoardContent();
        }
        Graphics::FreeScratchPool();
    }

    WidgetHarness h;
};
