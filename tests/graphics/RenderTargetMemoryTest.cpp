// A render target keeps its picture in its texture alone once uploaded: whatever reads it (a hit
// test, a copy, a device that goes) sees what the texture holds.

#include <memory>

#include "support/GLTestSupport.h"

namespace {

class RenderTargetMemoryTest : public GLTest {};

// The memory copy goes with the upload, and each way of filling the target reads back the same.
TEST_F(RenderTargetMemoryTest, TheMemoryCopyGoesAndReadersSeeTheTexture) {
    struct Case {
        const char* name;
        bool fillInMemory;  // filled before its first upload, else drawn into on the GPU
    };
    for (const Case& c : {Case{"filled in memory", true}, Case{"drawn into", false}}) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ImageSurface> target = MakeTarget(8, 8);
        if (c.fillInMemory) {
            target->Fill(Color(0, 0, 255));
        }
        {
            // Drawn from (uploads it) into another target; and, as asked, drawn into.
            std::unique_ptr<ImageSurface> other = MakeTarget(8, 8);
            Graphics g(other.get());
            g.DrawImage(target.get(), 0, 0);
            g.FlushBatch();
        }
        if (!c.fillInMemory) {
            Graphics g(target.get());
            g.SetColor(Color(0, 0, 255));
            g.FillRect(0, 0, 4, 8);
            g.FlushBatch();
        }
        sDevice->Flush();
        EXPECT_FALSE(target->HoldsPixels());
        EXPECT_EQ(target->GetPixel(1, 1), 0xFF0000FFu);
        EXPECT_EQ(target->GetPixel(6, 1), c.fillInMemory ? 0xFF0000FFu : 0u);
    }
}

}  // namespace

// A device that goes leaves each render target its picture in memory.
TEST(RenderTargetDeviceTest, ADeviceThatGoesLeavesRenderTargetsTheirPicture) {
    SetMainThread();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    D3DInterface::SetContextAttributes();
    SDL_Window* window =
        SDL_CreateWindow("render target test", 0, 0, 32, 32, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        SDL_Quit();
        GTEST_SKIP() << "no window: " << SDL_GetError();
    }
    auto device = std::make_unique<D3DInterface>();
    if (!device->Init(window, 32, 32)) {
        SDL_DestroyWindow(window);
        SDL_Quit();
        GTEST_SKIP() << "no OpenGL 3.3 device: " << GetRuntimeError();
    }
    auto target = std::make_unique<ImageSurface>(true);
    target->Create(4, 4);
    {
        Graphics g(target.get());
        g.SetColor(Color(255, 0, 0));
        g.FillRect(0, 0, 2, 4);
        g.FlushBatch();
    }
    device->Flush();
    device.reset();
    EXPECT_EQ(target->GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(target->GetPixel(3, 0), 0u);
    target.reset();
    Graphics::FreeScratchPool();
    SDL_DestroyWindow(window);
    SDL_Quit();
}
