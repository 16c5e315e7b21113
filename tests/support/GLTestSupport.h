#pragma once
// Shared support of the GL tests: one hidden window and render device per test suite, and golden
// image comparison. Set P7_UPDATE_GOLDEN=1 to rewrite the expected images instead of comparing.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/expr/MainThread.h"
#include "graphics/D3DInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"

class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetMainThread();
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            return;
        }
        D3DInterface::SetContextAttributes();
        sWindow =
            SDL_CreateWindow("graphics test", 0, 0, 128, 96, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (sWindow == nullptr) {
            return;
        }
        sDevice = new D3DInterface();
        if (!sDevice->Init(sWindow, 128, 96)) {
            delete sDevice;
            sDevice = nullptr;
        }
    }
    static void TearDownTestSuite() {
        Graphics::FreeScratchPool();
        delete sDevice;
        sDevice = nullptr;
        if (sWindow != nullptr) {
            SDL_DestroyWindow(sWindow);
            sWindow = nullptr;
        }
        SDL_Quit();
    }
    void SetUp() override {
        if (sDevice == nullptr) {
            GTEST_SKIP() << "no OpenGL 3.3 device: " << GetRuntimeError() << SDL_GetError();
        }
        sDevice->ResetDrawCallCount();
    }

    static std::unique_ptr<ImageSurface> MakeTarget(int width, int height) {
        auto target = std::make_unique<ImageSurface>(true);
        target->SetName("target");
        target->Create(width, height);
        return target;
    }

    // Compares a surface with tests/graphics/golden/<name>.png: every channel within tolerance.
    static void ExpectGolden(ImageSurface* surface, const std::string& name, int tolerance = 3) {
        ExpectGoldenIn("tests/graphics/golden", surface, name, tolerance, 0);
    }

    // Compares a surface with <folder>/<name>.png below the source tree (folder without a
    // trailing slash): a pixel differs when a channel is off by more than tolerance, and at most
    // allowedBadPixels may differ. P7_UPDATE_GOLDEN=1 rewrites the expected image instead; a
    // mismatch writes this run's image into the build folder.
    static void ExpectGoldenIn(const std::string& folder, ImageSurface* surface,
                               const std::string& name, int tolerance, int allowedBadPixels) {
        sDevice->Flush();
        const std::vector<uint32_t>& pixels = surface->GetPixelData();
        int w = surface->GetWidth();
        int h = surface->GetHeight();
        const char* root = std::getenv("P7_SOURCE_DIR");
        std::string path =
            std::string(root != nullptr ? root : ".") + "/" + folder + "/" + name + ".png";
        const char* update = std::getenv("P7_UPDATE_GOLDEN");
        if (update != nullptr && std::string(update) == "1") {
            ASSERT_TRUE(WritePngFile(path, w, h, pixels));
            return;
        }
        const char* bin = std::getenv("P7_BINARY_DIR");
        std::string actual = std::string(bin != nullptr ? bin : ".") + "/" + name + ".png";
        DecodedImage expected;
        if (!ReadImageFile(path, &expected)) {
            WritePngFile(actual, w, h, pixels);
            FAIL() << "no expected image " << path << "; this run's image is " << actual;
        }
        ASSERT_EQ(expected.mWidth, w);
        ASSERT_EQ(expected.mHeight, h);
        int bad = 0;
        int firstX = -1, firstY = -1;
        for (int i = 0; i < w * h; ++i) {
            uint32_t a = pixels[size_t(i)], b = expected.mPixels[size_t(i)];
            // Fully transparent pixels carry no colour.
            if ((a >> 24) == 0 && (b >> 24) == 0) {
                continue;
            }
            for (int shift = 0; shift < 32; shift += 8) {
                int da = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
                if (da > tolerance || da < -tolerance) {
                    if (bad++ == 0) {
                        firstX = i % w;
                        firstY = i / w;
                    }
                    break;
                }
            }
        }
        if (bad > allowedBadPixels) {
            WritePngFile(actual, w, h, pixels);
            ADD_FAILURE() << name << ": " << bad << " pixels differ, first at (" << firstX << ", "
                          << firstY << "); this run's image is " << actual;
        }
    }

    static inline SDL_Window* sWindow = nullptr;
    static inline D3DInterface* sDevice = nullptr;
};
