// A full 1024x768 frame of a few hundred sprites in mixed draw modes, drawn headless through the
// real device; reports the time per frame and the GL draw calls per frame.

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/expr/MainThread.h"
#include "graphics/D3DInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"

namespace {

std::unique_ptr<ImageSurface> MakeSprite(int size, uint32_t rgb) {
    std::vector<uint32_t> pixels(size_t(size) * size_t(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float d = std::hypot(float(x - size / 2), float(y - size / 2)) / float(size / 2);
            uint32_t a = d >= 1.0f ? 0u : uint32_t((1.0f - d) * 255.0f);
            pixels[size_t(y * size + x)] = (a << 24) | rgb;
        }
    }
    auto s = std::make_unique<ImageSurface>();
    s->SetPixels(size, size, std::move(pixels));
    return s;
}

void BM_SpriteFrame(benchmark::State& state) {
    const int sprites = int(state.range(0));
    const bool batching = state.range(1) != 0;
    // A third argument of 1 draws the soft-light sprites in multiply instead: the same scene
    // with no mode that needs a copy of the destination.
    const bool noCopies = state.range(2) != 0;
    SetMainThread();
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError("no video");
        return;
    }
    D3DInterface::SetContextAttributes();
    SDL_Window* window =
        SDL_CreateWindow("bench", 0, 0, 1024, 768, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    {
        D3DInterface device;
        if (window == nullptr || !device.Init(window, 1024, 768)) {
            state.SkipWithError("no OpenGL 3.3 device");
            return;
        }
        std::vector<std::unique_ptr<ImageSurface>> images;
        images.push_back(MakeSprite(64, 0xFF8040));
        images.push_back(MakeSprite(48, 0x40C0FF));
        images.push_back(MakeSprite(96, 0xFFFFFF));
        auto background = std::make_unique<ImageSurface>();
        background->SetPixels(1024, 768, std::vector<uint32_t>(1024 * 768, 0xFF203040u));
        // Mostly normal, some additive and subtractive, a few that read the destination.
        const int modes[] = {0, 0, 0, 0, 1, 1, 0, 5, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 4};
        long frames = 0;
        long calls = 0;
        float phase = 0.0f;
        for (auto _ : state) {
            Graphics g(device.GetScreenImage());
            g.DrawImage(background.get(), 0, 0);
            g.SetBatching(batching);
            for (int i = 0; i < sprites; ++i) {
                Graphics sprite(g);
                const int mode = modes[i % 20];
                sprite.SetDrawMode(noCopies && mode == kDrawSoftLight ? kDrawMultiply : mode);
                sprite.AddBatchPriority(i % 3);
                ImageSurface* image = images[size_t(i % 3)].get();
                float x = float((i * 97) % 1000) + std::sin(phase + float(i)) * 10.0f;
                float y = float((i * 57) % 740) + std::cos(phase + float(i)) * 10.0f;
                if (i % 7 == 0) {
                    Transform t;
                    t.RotateDegrees(float(i) + phase * 40.0f, 0.0f, 0.0f, 1.0f);
                    sprite.DrawImageTransformed(image, t, 0, x, y);
                } else {
                    sprite.DrawImage(image, x, y);
                }
            }
            g.FlushBatch();
            device.Present();
            calls += device.GetDrawCallsLastFrame();
            ++frames;
            phase += 0.01f;
        }
        state.counters["draw_calls_per_frame"] = double(calls) / double(std::max(frames, 1L));
        Graphics::FreeScratchPool();
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
}

}  // namespace

BENCHMARK(BM_SpriteFrame)
    ->Args({300, 1, 0})
    ->Args({300, 0, 0})
    ->Args({600, 1, 0})
    ->Args({300, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
