// The application's road to the window: the window system makes the GL context, the device draws
// through it (InitOnContext), the window system clears the window at the start of a frame, the
// frame is drawn into the screen image and copied into the letterboxed place (PresentInto).

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <memory>
#include <vector>

#include "core/expr/MainThread.h"
#include "graphics/D3DInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"

namespace {

constexpr int kWindowWidth = 200;
constexpr int kWindowHeight = 100;
constexpr int kDesignWidth = 64;
constexpr int kDesignHeight = 48;

class PresentTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        // As the window system asks for its context.
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        mWindow = SDL_CreateWindow("present test", 0, 0, kWindowWidth, kWindowHeight,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (mWindow == nullptr) {
            GTEST_SKIP() << "no window: " << SDL_GetError();
        }
        mContext = SDL_GL_CreateContext(mWindow);
        if (mContext == nullptr) {
            GTEST_SKIP() << "no OpenGL 3.3 context: " << SDL_GetError();
        }
        SDL_GL_MakeCurrent(mWindow, mContext);
    }
    void TearDown() override {
        Graphics::FreeScratchPool();
        if (mContext != nullptr) {
            SDL_GL_DeleteContext(mContext);
        }
        if (mWindow != nullptr) {
            SDL_DestroyWindow(mWindow);
        }
        SDL_Quit();
    }

    // What the window system does at the start of every frame.
    void ClearWindow() {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(mWindow, &w, &h);
        glViewport(0, 0, w, h);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // 0xRRGGBB of a window pixel, row 0 at the top.
    uint32_t WindowPixel(int x, int y) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(mWindow, &w, &h);
        uint8_t rgba[4] = {};
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadPixels(x, h - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | rgba[2];
    }

    SDL_Window* mWindow = nullptr;
    SDL_GLContext mContext = nullptr;
};

TEST_F(PresentTest, FrameDrawnThroughTheWindowSystemsContext) {
    auto device = std::make_unique<D3DInterface>();
    ASSERT_TRUE(device->InitOnContext(mWindow, mContext, kDesignWidth, kDesignHeight))
        << GetRuntimeError();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(mWindow, &dw, &dh);
    if (dw != kWindowWidth || dh != kWindowHeight) {
        GTEST_SKIP() << "the offscreen window has no drawable of its own size";
    }

    // Between frames: a picture drawn into a surface, then read (a pixel hit test).
    ImageSurface picture(true);
    picture.Create(16, 16);
    {
        Graphics g(&picture);
        g.SetColor(Color(255, 0, 0));
        g.FillRect(0, 0, 16, 16);
    }
    EXPECT_EQ(picture.GetPixel(3, 3), 0xFFFF0000u);

    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE(frame);
        ClearWindow();
        ImageSurface* screen = device->GetScreenImage();
        device->ClearTarget(screen, Rect(0, 0, kDesignWidth, kDesignHeight), Color(0, 0, 0));
        {
            Graphics g(screen);
            g.DrawImage(&picture, 0, 0);
            g.SetColor(Color(0, 255, 0));
            g.FillRect(32, 24, 32, 24);
            g.FlushBatch();
            // The design picture fitted into the window: 133 by 100 at x = 33.
            ASSERT_TRUE(device->PresentInto(33, 0, 133, 100));
        }
        // The picture drawn between frames survived the window system's clear.
        EXPECT_EQ(WindowPixel(33 + 10, 10), 0xFF0000u);
        EXPECT_EQ(WindowPixel(33 + 100, 80), 0x00FF00u);
        EXPECT_EQ(WindowPixel(33 + 100, 10), 0x000000u);
        // The bars keep what the window system drew there.
        EXPECT_EQ(WindowPixel(10, 50), 0x0000FFu);
        EXPECT_EQ(WindowPixel(190, 50), 0x0000FFu);
        SDL_GL_SwapWindow(mWindow);
    }

    // The device leaves the window system's context alive.
    device.reset();
    EXPECT_EQ(D3DInterface::Get(), nullptr);
    EXPECT_EQ(SDL_GL_MakeCurrent(mWindow, mContext), 0) << SDL_GetError();
    ClearWindow();
    EXPECT_EQ(WindowPixel(100, 50), 0x0000FFu);
}

// At its own size a part of the picture goes to the window alone, where the window system keeps
// the last frame; a scaled picture is copied whole, as its filtered edges depend on neighbours.
TEST_F(PresentTest, APartOfThePictureAtItsOwnSizeIsCopiedAlone) {
    auto device = std::make_unique<D3DInterface>();
    ASSERT_TRUE(device->InitOnContext(mWindow, mContext, kDesignWidth, kDesignHeight))
        << GetRuntimeError();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(mWindow, &dw, &dh);
    if (dw != kWindowWidth || dh != kWindowHeight) {
        GTEST_SKIP() << "the offscreen window has no drawable of its own size";
    }
    ImageSurface* screen = device->GetScreenImage();
    const Rect all(0, 0, kDesignWidth, kDesignHeight);
    ClearWindow();
    device->ClearTarget(screen, all, Color(255, 0, 0));
    Rect shown;
    ASSERT_TRUE(device->PresentInto(10, 20, kDesignWidth, kDesignHeight, nullptr, &shown));
    EXPECT_EQ(shown, Rect(10, 20, kDesignWidth, kDesignHeight));

    device->ClearTarget(screen, all, Color(0, 255, 0));
    const Rect part(8, 4, 16, 8);
    ASSERT_TRUE(device->PresentInto(10, 20, kDesignWidth, kDesignHeight, &part, &shown));
    EXPECT_EQ(shown, Rect(18, 24, 16, 8));
    EXPECT_EQ(WindowPixel(18, 24), 0x00FF00u);
    EXPECT_EQ(WindowPixel(18 + 15, 24 + 7), 0x00FF00u);
    EXPECT_EQ(WindowPixel(17, 24), 0xFF0000u);
    EXPECT_EQ(WindowPixel(18 + 16, 24 + 8), 0xFF0000u);
    EXPECT_EQ(WindowPixel(5, 5), 0x0000FFu);

    ASSERT_TRUE(device->PresentInto(33, 0, 133, 100, &part, &shown));
    EXPECT_EQ(shown, Rect(33, 0, 133, 100));
    EXPECT_EQ(WindowPixel(33 + 2, 2), 0x00FF00u);
}

}  // namespace
