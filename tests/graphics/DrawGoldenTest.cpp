// Golden-image and pixel tests of the render device and the drawing context, rendered headless.

#include <cmath>
#include <numeric>
#include <thread>

#include "graphics/Color.h"
#include "graphics/ImageAtlasPiece.h"
#include "support/GLTestSupport.h"

namespace {

// An opaque backdrop: red grows to the right, green downwards, blue constant.
void FillBackdrop(ImageSurface* target) {
    int w = target->GetWidth(), h = target->GetHeight();
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t r = uint32_t(x * 255 / (w - 1)), g = uint32_t(y * 255 / (h - 1));
            pixels[size_t(y * w + x)] = 0xFF000000u | (r << 16) | (g << 8) | 0x80u;
        }
    }
    target->SetPixels(w, h, std::move(pixels));
}

// A 32x32 disc of the colour: opaque to radius 10, fading out by radius 15.
std::unique_ptr<ImageSurface> MakeDisc(uint32_t rgb) {
    std::vector<uint32_t> pixels(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            float d = std::hypot(float(x) - 15.5f, float(y) - 15.5f);
            float a = std::clamp((15.0f - d) / 5.0f, 0.0f, 1.0f);
            pixels[size_t(y * 32 + x)] = (uint32_t(a * 255.0f + 0.5f) << 24) | rgb;
        }
    }
    auto image = std::make_unique<ImageSurface>();
    image->SetName("disc");
    image->SetPixels(32, 32, std::move(pixels));
    return image;
}

std::unique_ptr<ImageSurface> MakeSolid(int w, int h, uint32_t argb) {
    auto image = std::make_unique<ImageSurface>();
    image->SetPixels(w, h, std::vector<uint32_t>(size_t(w) * size_t(h), argb));
    return image;
}

// An 8x8-cell checker of two colours with a red marker cell at the top left.
std::unique_ptr<ImageSurface> MakeChecker(int size, int cell) {
    std::vector<uint32_t> pixels(size_t(size) * size_t(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            bool dark = ((x / cell) + (y / cell)) % 2 == 1;
            uint32_t c = dark ? 0xFF203040u : 0xFFE0E0D0u;
            if (x < cell && y < cell) {
                c = 0xFFFF2020u;
            }
            pixels[size_t(y * size + x)] = c;
        }
    }
    auto image = std::make_unique<ImageSurface>();
    image->SetPixels(size, size, std::move(pixels));
    return image;
}

int Channel(uint32_t p, int shift) {
    return int((p >> shift) & 0xFF);
}

}  // namespace

class DrawGoldenTest : public GLTest {};

TEST_F(DrawGoldenTest, EachDrawModeOverAKnownBackdrop) {
    auto disc = MakeDisc(0xFFC83C);
    const int modes[] = {kDrawNormal,    kDrawAdditive,    kDrawMultiply, kDrawOverlay,
                         kDrawSoftLight, kDrawSubtractive, kDrawNone};
    for (int mode : modes) {
        auto target = MakeTarget(48, 48);
        FillBackdrop(target.get());
        uint32_t before = target->GetPixel(24, 24);
        uint32_t cornerBefore = target->GetPixel(9, 9);
        {
            Graphics g(target.get());
            g.SetDrawMode(mode);
            g.DrawImage(disc.get(), 8, 8);
        }
        SCOPED_TRACE(mode);
        ExpectGolden(target.get(), "mode_" + std::to_string(mode));
        uint32_t after = target->GetPixel(24, 24);
        uint32_t corner = target->GetPixel(9, 9);  // the disc is transparent there
        int br = Channel(before, 16), bg = Channel(before, 8), bb = Channel(before, 0);
        switch (mode) {
            case kDrawNormal:
                EXPECT_EQ(after, 0xFFFFC83Cu);
                EXPECT_EQ(corner, cornerBefore);
                break;
            case kDrawAdditive:
                EXPECT_EQ(Channel(after, 16), 255);
                EXPECT_EQ(Channel(after, 8), std::min(255, bg + 200));
                break;
            case kDrawMultiply:
                EXPECT_NEAR(Channel(after, 16), br * 255 / 255, 2);
                EXPECT_NEAR(Channel(after, 8), bg * 200 / 255, 2);
                EXPECT_NEAR(Channel(after, 0), bb * 60 / 255, 2);
                break;
            case kDrawSubtractive:
                EXPECT_EQ(Channel(after, 16), 0);
                EXPECT_EQ(Channel(after, 8), std::max(0, bg - 200));
                EXPECT_EQ(Channel(after, 24), 255);
                break;
            case kDrawNone:
                EXPECT_EQ(after, 0xFFFFC83Cu);
                EXPECT_EQ(corner >> 24, 0u) << "mode none replaces alpha too";
                break;
            default:
                EXPECT_EQ(Channel(after, 24), 255);
                break;
        }
    }
}

TEST_F(DrawGoldenTest, TintAndColorize) {
    auto white = MakeDisc(0xFFFFFF);
    auto target = MakeTarget(96, 40);
    target->Fill(Color(40, 40, 40));
    {
        Graphics g(target.get());
        g.SetColor(Color(255, 0, 0));
        g.DrawImage(white.get(), 0, 4);  // colourising off: drawn as it is
        g.SetColorizeImages(true);
        g.DrawImage(white.get(), 32, 4);
        g.SetColorizeImages(false);
        g.MultiplyTint(Color(0, 255, 0, 128));
        g.DrawImage(white.get(), 64, 4);
        EXPECT_TRUE(g.IsTinting());
    }
    ExpectGolden(target.get(), "tint_colorize");
    EXPECT_EQ(target->GetPixel(16, 20), 0xFFFFFFFFu);
    EXPECT_EQ(target->GetPixel(48, 20), 0xFFFF0000u);
    uint32_t tinted = target->GetPixel(80, 20);  // half-transparent green over dark grey
    EXPECT_NEAR(Channel(tinted, 16), 20, 2);
    EXPECT_NEAR(Channel(tinted, 8), 148, 2);
}

TEST_F(DrawGoldenTest, OverbrightPassesAddLight) {
    // The widget rule: red 2.5 draws three passes, the later ones with alpha 0.
    auto grey = MakeSolid(16, 16, 0xFF646464u);
    auto target = MakeTarget(40, 24);
    target->Fill(Color(10, 20, 30));
    {
        Graphics g(target.get());
        float red = 2.5f, green = 1.0f, blue = 1.0f, alpha = 1.0f;
        g.SetBatching(true);
        g.SetColorizeImages(true);
        for (int pass = 0; pass < 5; ++pass) {
            g.SetColor(Color::FromFloats(red, green, blue, alpha));
            g.DrawImage(grey.get(), 4, 4);
            if (red <= 1.0f && green <= 1.0f && blue <= 1.0f) {
                break;
            }
            red -= 1.0f;
            green -= 1.0f;
            blue -= 1.0f;
            alpha = 0.0f;
        }
        // A half-faded overbright draw: premultiplied colour, so it fades instead of glowing.
        g.SetColor(Color::FromFloats(0.5f, 0.5f, 0.5f, 0.5f));
        g.DrawImage(grey.get(), 22, 4);
    }
    ExpectGolden(target.get(), "overbright");
    uint32_t lit = target->GetPixel(10, 10);
    EXPECT_NEAR(Channel(lit, 16), 250, 2);  // 100 x 2.5
    EXPECT_NEAR(Channel(lit, 8), 100, 1);
    EXPECT_NEAR(Channel(lit, 0), 100, 1);
    uint32_t faded = target->GetPixel(28, 10);
    EXPECT_NEAR(Channel(faded, 16), 50 + 5, 2);  // half of 100 over half of the backdrop
}

TEST_F(DrawGoldenTest, WidgetTransformUnderPerspective) {
    auto checker = MakeChecker(40, 8);
    auto target = MakeTarget(128, 96);  // the device's design size: the same view as the screen
    target->Fill(Color(30, 30, 30));
    {
        Graphics g(target.get());
        Transform aboutY;
        aboutY.RotateDegrees(55.0f, 0.0f, 1.0f, 0.0f);
        g.DrawImageTransformed(checker.get(), aboutY, 0, 8, 28);
        Transform aboutX;
        aboutX.RotateDegrees(55.0f, 1.0f, 0.0f, 0.0f);
        g.DrawImageTransformed(checker.get(), aboutX, 0, 44, 28);
        Transform pushedBack;
        pushedBack.Translate(0.0f, 0.0f, 128.0f);
        g.DrawImageTransformed(checker.get(), pushedBack, 0, 84, 28);
    }
    ExpectGolden(target.get(), "turned_in_depth");
    // Turned about y, the near edge is taller than the far edge.
    auto columnHeight = [&](int x) {
        int n = 0;
        for (int y = 0; y < 96; ++y) {
            n += (target->GetPixel(x, y) & 0xFFFFFF) != 0x1E1E1E ? 1 : 0;
        }
        return n;
    };
    int left = -1, right = -1;
    for (int x = 0; x < 44; ++x) {
        if (columnHeight(x) > 0) {
            right = x;
            if (left < 0) {
                left = x;
            }
        }
    }
    ASSERT_GT(right, left);
    EXPECT_LT(right - left + 1, 40);
    EXPECT_NE(columnHeight(left + 1), columnHeight(right - 1));
    // Pushed away it is smaller than 40 pixels.
    int pushed = columnHeight(91);
    EXPECT_GT(pushed, 20);
    EXPECT_LT(pushed, 40);
}

TEST_F(DrawGoldenTest, CullingDropsBackFaces) {
    auto checker = MakeChecker(16, 4);
    auto target = MakeTarget(128, 96);
    Transform flipped;
    flipped.RotateDegrees(180.0f, 0.0f, 1.0f, 0.0f);
    {
        Graphics g(target.get());
        g.SetCulling(true);
        g.DrawImageTransformed(checker.get(), flipped, 0, 10, 10);
        g.SetCulling(false);
        g.DrawImageTransformed(checker.get(), flipped, 0, 50, 10);
    }
    EXPECT_EQ(target->GetPixel(12, 12) >> 24, 0u);
    // Mirrored: the red marker cell is now at the top right.
    EXPECT_EQ(target->GetPixel(50 + 14, 11), 0xFFFF2020u);
}

TEST_F(DrawGoldenTest, ClippingAndTranslation) {
    auto target = MakeTarget(40, 40);
    {
        Graphics g(target.get());
        g.Translate(5, 5);
        g.SetClipRect(5, 5, 20, 10);  // (10, 10)-(30, 20) on the target
        g.SetColor(Color(0, 200, 255));
        g.FillRect(0, 0, 40, 40);
        g.ClearClipRect();
        g.SetColor(Color(255, 255, 0));
        g.DrawRect(0, 20, 10, 10);  // outline (5, 25)-(14, 34)
    }
    ExpectGolden(target.get(), "clip");
    EXPECT_EQ(target->GetPixel(10, 10), 0xFF00C8FFu);
    EXPECT_EQ(target->GetPixel(29, 19), 0xFF00C8FFu);
    EXPECT_EQ(target->GetPixel(30, 19) >> 24, 0u);
    EXPECT_EQ(target->GetPixel(9, 15) >> 24, 0u);
    EXPECT_EQ(target->GetPixel(5, 25), 0xFFFFFF00u);
    EXPECT_EQ(target->GetPixel(14, 34), 0xFFFFFF00u);
    EXPECT_EQ(target->GetPixel(10, 30) >> 24, 0u);
}

TEST_F(DrawGoldenTest, MaskedDraw) {
    auto red = MakeSolid(32, 32, 0xFFFF0000u);
    // Two mask cells of 8x8: the first opaque on its left half, the second everywhere.
    std::vector<uint32_t> maskPixels(16 * 8, 0xFFFFFFFFu);
    for (int y = 0; y < 8; ++y) {
        for (int x = 4; x < 8; ++x) {
            maskPixels[size_t(y * 16 + x)] = 0;
        }
    }
    ImageSurface mask;
    mask.SetPixels(16, 8, maskPixels);
    mask.SetCells(2, 1);
    auto target = MakeTarget(80, 40);
    target->Fill(Color(0, 0, 80));
    {
        Graphics g(target.get());
        g.DrawImageMasked(red.get(), 0, &mask, 0, FRect(0, 0, 32, 32), nullptr, 4, 4);
        // The whole second cell, placed over the image's lower right quarter only.
        g.DrawImageMasked(red.get(), 0, &mask, 1, FRect(16, 16, 16, 16), nullptr, 44, 4);
    }
    ExpectGolden(target.get(), "mask");
    EXPECT_EQ(target->GetPixel(6, 20), 0xFFFF0000u);
    EXPECT_EQ(target->GetPixel(30, 20), 0xFF000050u);
    EXPECT_EQ(target->GetPixel(46, 6), 0xFF000050u);
    EXPECT_EQ(target->GetPixel(70, 30), 0xFFFF0000u);
    // The same mask decides hit tests.
    EXPECT_EQ(mask.GetMaskAlphaAt(0, FRect(0, 0, 32, 32), 2.0f, 20.0f), 255);
    EXPECT_EQ(mask.GetMaskAlphaAt(0, FRect(0, 0, 32, 32), 30.0f, 20.0f), 0);
    EXPECT_EQ(mask.GetMaskAlphaAt(1, FRect(16, 16, 16, 16), 2.0f, 2.0f), 0);
}

TEST_F(DrawGoldenTest, TextureWrapPerDraw) {
    auto checker = MakeChecker(8, 4);
    auto target = MakeTarget(56, 24);
    {
        Graphics g(target.get());
        g.SetTextureWrap(true);
        g.DrawImageStretchedSrc(checker.get(), Rect(0, 0, 24, 24), FRect(0, 0, 24, 24));
        g.SetTextureWrap(false);
        g.DrawImageStretchedSrc(checker.get(), Rect(0, 0, 24, 24), FRect(32, 0, 24, 24));
    }
    ExpectGolden(target.get(), "wrap");
    EXPECT_EQ(target->GetPixel(9, 1), 0xFFFF2020u) << "the marker repeats every 8 pixels";
    EXPECT_EQ(target->GetPixel(17, 17), 0xFFFF2020u);
    EXPECT_EQ(target->GetPixel(32 + 20, 20), 0xFFE0E0D0u) << "clamped to the edge texel";
}

TEST_F(DrawGoldenTest, TessellationMatchesThePlainTransformedDraw) {
    auto checker = MakeChecker(40, 8);
    auto plain = MakeTarget(128, 96);
    auto tessellated = MakeTarget(128, 96);
    Transform t;
    t.RotateDegrees(40.0f, 0.0f, 1.0f, 0.0f);
    t.RotateDegrees(15.0f, 0.0f, 0.0f, 1.0f);
    {
        Graphics g(plain.get());
        g.DrawImageTransformed(checker.get(), t, 0, 40, 28);
    }
    {
        Graphics g(tessellated.get());
        g.DrawImageTessellated(checker.get(), t, 0, 40, 28, 4, 3);
    }
    ExpectGolden(tessellated.get(), "tessellated");
    const auto& a = plain->GetPixelData();
    const auto& b = tessellated->GetPixelData();
    int differ = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            if (std::abs(Channel(a[i], shift) - Channel(b[i], shift)) > 24) {
                ++differ;
                break;
            }
        }
    }
    EXPECT_LT(differ, 40) << "only seam pixels may differ";
}

TEST_F(DrawGoldenTest, BatchingFlushesByPriorityInAStableOrder) {
    auto red = MakeSolid(20, 20, 0xFFFF0000u);
    auto green = MakeSolid(20, 20, 0xFF00FF00u);
    auto blue = MakeSolid(20, 20, 0xFF0000FFu);
    auto target = MakeTarget(64, 32);
    {
        Graphics g(target.get());
        g.SetBatching(true);
        Graphics high(g);  // copies share the batch
        high.AddBatchPriority(2);
        high.DrawImage(red.get(), 4, 4);
        g.DrawImage(green.get(), 8, 8);
        Graphics middle(g);
        middle.AddBatchPriority(1);
        middle.DrawImage(blue.get(), 12, 0);
        // Equal priorities keep the order drawn: blue then green at (40, 4).
        g.DrawImage(blue.get(), 36, 4);
        g.DrawImage(green.get(), 40, 8);
        EXPECT_EQ(target->GetPixel(14, 10) >> 24, 0u) << "nothing is drawn before the flush";
        g.FlushBatch();
    }
    ExpectGolden(target.get(), "batching");
    EXPECT_EQ(target->GetPixel(14, 10), 0xFFFF0000u);  // red, priority 2, on top
    EXPECT_EQ(target->GetPixel(14, 2), 0xFF0000FFu);   // blue over green's absence
    EXPECT_EQ(target->GetPixel(10, 26), 0xFF00FF00u);
    EXPECT_EQ(target->GetPixel(45, 14), 0xFF00FF00u);
}

TEST_F(DrawGoldenTest, BatchedDrawsOfOneImageShareADrawCall) {
    auto disc = MakeDisc(0xFFFFFF);
    auto target = MakeTarget(64, 64);
    sDevice->Flush();
    sDevice->ResetDrawCallCount();
    {
        Graphics g(target.get());
        g.SetBatching(true);
        for (int i = 0; i < 50; ++i) {
            g.DrawImage(disc.get(), float(i % 8) * 4.0f, float(i / 8) * 4.0f);
        }
    }
    sDevice->Flush();
    EXPECT_EQ(sDevice->GetDrawCallsThisFrame(), 1);
}

TEST_F(DrawGoldenTest, LayeredDrawingCompositesTheGroupOnce) {
    auto red = MakeSolid(20, 20, 0xFFC80000u);
    auto green = MakeSolid(20, 20, 0xFF00C800u);
    auto target = MakeTarget(48, 32);
    target->Fill(Color(0, 0, 100));
    {
        Graphics g(target.get());
        g.SetDrawMode(kDrawAdditive);
        g.SetLayered(true);
        EXPECT_TRUE(g.IsLayered());
        g.SetDrawMode(kDrawSubtractive);  // ignored while layered
        g.DrawImage(red.get(), 4, 4);
        g.DrawImage(green.get(), 14, 8);  // covers part of red inside the layer
        g.SetLayered(false);
        EXPECT_EQ(g.GetDrawMode(), kDrawAdditive);
    }
    ExpectGolden(target.get(), "layered");
    EXPECT_EQ(target->GetPixel(6, 6), 0xFFC80064u);
    EXPECT_EQ(target->GetPixel(20, 14), 0xFF00C864u) << "the group, not each draw, was added";
    EXPECT_EQ(target->GetPixel(40, 30), 0xFF000064u);
}

TEST_F(DrawGoldenTest, LayerEndsWhenAnOuterStateIsRestored) {
    auto red = MakeSolid(8, 8, 0xFFFF0000u);
    auto target = MakeTarget(16, 16);
    {
        Graphics g(target.get());
        Graphics saved(g);
        g.SetLayered(true);
        g.DrawImage(red.get(), 0, 0);
        g.CopyStateFrom(saved);
        EXPECT_FALSE(g.IsLayered());
    }
    EXPECT_EQ(target->GetPixel(2, 2), 0xFFFF0000u);
}

TEST_F(DrawGoldenTest, PixelsOfRenderTargetsAndSurfacesStayTrue) {
    // Drawing into a plain surface outside any frame (a subtree rendered into an image).
    ImageSurface surface;
    surface.SetPixels(8, 8, std::vector<uint32_t>(64, 0xFF102030u));
    {
        Graphics g(&surface);
        g.SetColor(Color(255, 255, 255, 128));
        g.FillRect(0, 0, 4, 8);
        g.ClearRect(Rect(6, 6, 2, 2));
    }
    EXPECT_TRUE(surface.IsRenderTarget());
    uint32_t half = surface.GetPixel(1, 1);
    EXPECT_NEAR(Channel(half, 16), (255 + 16) / 2, 2);
    EXPECT_EQ(surface.GetPixel(5, 5), 0xFF102030u);
    EXPECT_EQ(surface.GetPixel(7, 7), 0u);
    EXPECT_FALSE(surface.IsListEmpty());

    // The screen copy holds what the frame drew.
    {
        Graphics g(sDevice->GetScreenImage());
        g.SetColor(Color(1, 2, 3));
        g.FillRect(0, 0, 128, 96);
    }
    std::unique_ptr<ImageSurface> copy = sDevice->SnapshotCursorImage();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetWidth(), 128);
    EXPECT_EQ(copy->GetPixel(64, 50), 0xFF010203u);
    EXPECT_TRUE(sDevice->Present());
}

TEST_F(DrawGoldenTest, RebuildRemakesTexturesFromMemory) {
    auto red = MakeSolid(4, 4, 0xFFFF0000u);
    auto target = MakeTarget(8, 8);
    {
        Graphics g(target.get());
        g.DrawImage(red.get(), 0, 0);
    }
    EXPECT_EQ(target->GetPixel(1, 1), 0xFFFF0000u);
    ASSERT_TRUE(sDevice->Rebuild());
    EXPECT_EQ(target->GetPixel(1, 1), 0xFFFF0000u) << "render targets keep what they held";
    {
        Graphics g(target.get());
        g.DrawImage(red.get(), 4, 4);
    }
    EXPECT_EQ(target->GetPixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(target->GetPixel(1, 1), 0xFFFF0000u);
}

TEST_F(DrawGoldenTest, AtlasPiecesDrawTheirRectangle) {
    auto checker = MakeChecker(16, 4);
    ImageAtlasPiece piece(checker.get(), Rect(4, 0, 8, 4));  // two cells right of the marker
    auto target = MakeTarget(8, 4);
    {
        Graphics g(target.get());
        g.DrawImage(&piece, 0, 0);
    }
    EXPECT_EQ(target->GetPixel(1, 1), 0xFF203040u);
    EXPECT_EQ(target->GetPixel(5, 1), 0xFFE0E0D0u);
}

TEST_F(DrawGoldenTest, MatrixStretchedSourceAndBackdropForms) {
    auto checker = MakeChecker(16, 4);
    auto grey = MakeSolid(16, 8, 0xFF808080u);
    auto target = MakeTarget(96, 48);
    FillBackdrop(target.get());
    uint32_t behindGrey = target->GetPixel(80, 24);
    uint32_t besideGrey = target->GetPixel(74, 24);
    uint32_t behindMarker = target->GetPixel(15, 32);
    {
        Graphics g(target.get());
        g.DrawImageStretched(checker.get(), FRect(2, 2, 24, 12));
        // The marker cell alone, turned half a turn about its centre and doubled.
        Transform half;
        half.Scale(2.0f, 2.0f);
        half.RotateDegrees(180.0f, 0.0f, 0.0f, 1.0f);
        g.DrawImageTransformedSrc(checker.get(), half, Rect(0, 0, 4, 4), 8, 30);
        // Half size at (30, 2); the clipped form keeps the clip, the plain form ignores it.
        Matrix4 m;
        m.m[0][0] = m.m[1][1] = 0.5f;
        m.m[0][3] = 30.0f;
        m.m[1][3] = 2.0f;
        Graphics clipped(g);
        clipped.SetClipRect(0, 0, 36, 48);
        clipped.DrawImageMatrixClipped(checker.get(), m, Rect(0, 0, 16, 16));
        m.m[1][3] = 20.0f;
        clipped.DrawImageMatrix(checker.get(), m, Rect(0, 0, 16, 16));
        // A state matrix in the context's own coordinates: twice as wide after the translation.
        Graphics wide(g);
        wide.Translate(44, 0);
        Transform stretch;
        stretch.Scale(2.0f, 1.0f);
        wide.ApplyTransform(stretch);
        EXPECT_TRUE(wide.HasTransform());
        wide.SetColor(Color(255, 255, 255));
        wide.FillRect(0, 30, 8, 8);
        // Multiply reads the backdrop; turned a quarter about z the strip stands upright.
        g.SetDrawMode(kDrawMultiply);
        Transform quarter;
        quarter.RotateDegrees(90.0f, 0.0f, 0.0f, 1.0f);
        g.DrawImageWithBackdropTransformed(grey.get(), quarter, 0, 72, 20);
    }
    ExpectGolden(target.get(), "matrix_forms");
    // The marker cell stretched to (2, 2)-(8, 5), the third cell of the row light at x 14 to 20.
    EXPECT_GT(Channel(target->GetPixel(5, 3), 16), 200);
    EXPECT_LT(Channel(target->GetPixel(5, 3), 8), 60);
    EXPECT_EQ(target->GetPixel(17, 3), 0xFFE0E0D0u);
    EXPECT_EQ(target->GetPixel(10, 32), 0xFFFF2020u) << "the doubled marker cell, (6, 28)-(14, 36)";
    EXPECT_EQ(target->GetPixel(15, 32), behindMarker);
    EXPECT_EQ(target->GetPixel(31, 3), 0xFFFF2020u);
    EXPECT_NE(target->GetPixel(37, 9), 0xFFE0E0D0u) << "clipped at x = 36";
    EXPECT_NE(target->GetPixel(37, 9), 0xFF203040u);
    EXPECT_EQ(target->GetPixel(37, 21), 0xFF203040u) << "the plain form is not clipped";
    EXPECT_EQ(target->GetPixel(45, 31), 0xFFFFFFFFu);
    EXPECT_EQ(target->GetPixel(59, 37), 0xFFFFFFFFu);
    EXPECT_NE(target->GetPixel(61, 31), 0xFFFFFFFFu);
    uint32_t multiplied = target->GetPixel(80, 24);
    EXPECT_NEAR(Channel(multiplied, 16), Channel(behindGrey, 16) * 128 / 255, 2);
    EXPECT_NEAR(Channel(multiplied, 8), Channel(behindGrey, 8) * 128 / 255, 2);
    EXPECT_EQ(target->GetPixel(74, 24), besideGrey) << "upright: x 76 to 84 only";
}

TEST_F(DrawGoldenTest, TexturesFollowTheMemoryPixelsAndScratchSurfacesArePooled) {
    auto source = MakeSolid(4, 4, 0xFFFF0000u);
    auto target = MakeTarget(8, 4);
    auto drawAt = [&](float x) {
        Graphics g(target.get());
        g.DrawImage(source.get(), x, 0);
    };
    drawAt(0);
    EXPECT_EQ(target->GetPixel(1, 1), 0xFFFF0000u);
    // New memory pixels reach the texture through UploadBits...
    source->EditPixelData().assign(16, 0xFF00FF00u);
    source->UploadBits();
    drawAt(4);
    EXPECT_EQ(target->GetPixel(5, 1), 0xFF00FF00u);
    // ...and a dropped texture is remade from them on the next draw.
    source->DeleteTextureData();
    source->EditPixelData().assign(16, 0xFF0000FFu);
    source->MarkPixelsChanged();
    sDevice->EnsureImageTexture(source.get());
    drawAt(0);
    EXPECT_EQ(target->GetPixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(target->GetPixel(5, 1), 0xFF00FF00u);

    // Drawing into an atlas piece stays within the piece, also after the clip is cleared.
    auto page = MakeTarget(8, 8);
    ImageAtlasPiece piece(page.get(), Rect(4, 4, 4, 4));
    {
        Graphics g(&piece);
        g.ClearClipRect();
        g.SetColor(Color(255, 255, 255));
        g.FillRect(-4, -4, 16, 16);
    }
    EXPECT_EQ(page->GetPixel(5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(page->GetPixel(2, 2) >> 24, 0u);

    // Scratch surfaces come back from the pool, on any thread.
    ImageSurface* scratch = Graphics::AcquireScratchSurface(10, 6);
    ASSERT_NE(scratch, nullptr);
    EXPECT_TRUE(scratch->IsRenderTarget());
    Graphics::ReleaseScratchSurface(scratch);
    ImageSurface* again = nullptr;
    std::thread([&again] { again = Graphics::AcquireScratchSurface(10, 6); }).join();
    EXPECT_EQ(again, scratch);
    Graphics::ReleaseScratchSurface(again);
    ImageSurface* kept = nullptr;
    {
        Graphics g(target.get());
        kept = g.GetScratchTarget();
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->GetWidth(), 8);
        EXPECT_EQ(g.GetScratchTarget(), kept);
        EXPECT_EQ(Graphics().GetScratchTarget(), nullptr) << "a measuring context has none";
    }
    ImageSurface* reused = Graphics::AcquireScratchSurface(8, 4);
    EXPECT_EQ(reused, kept) << "a context's scratch target goes back to the pool";
    Graphics::ReleaseScratchSurface(reused);

    // A pool taken from since the last trim stays; one left alone for a whole period goes.
    EXPECT_EQ(Graphics::TrimScratchPool(), 0u);
    EXPECT_EQ(Graphics::TrimScratchPool(), size_t(10 * 6 * 4 + 8 * 4 * 4));
    EXPECT_EQ(Graphics::TrimScratchPool(), 0u) << "nothing left to free";
    ImageSurface* fresh = Graphics::AcquireScratchSurface(8, 4);
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->IsRenderTarget());
    Graphics::ReleaseScratchSurface(fresh);
    EXPECT_EQ(Graphics::TrimScratchPool(), 0u) << "taken again since the last trim";

    EXPECT_TRUE(D3DTestResult(0, "fine"));
    EXPECT_FALSE(D3DTestResult(0x0500, "Uploading"));
    EXPECT_NE(GetRuntimeError().find("Uploading"), std::string::npos);
}

TEST_F(DrawGoldenTest, DeviceUnprojectInvertsItsProjection) {
    float screen[3];
    sDevice->ProjectPoint(30.0f, 20.0f, 50.0f, screen);
    float back[3];
    sDevice->UnprojectPoint(screen[0], screen[1], screen[2], back);
    EXPECT_NEAR(back[0], 30.0f, 0.05f);
    EXPECT_NEAR(back[1], 20.0f, 0.05f);
    EXPECT_NEAR(back[2], 50.0f, 0.5f);
    sDevice->ProjectPoint(30.0f, 20.0f, 0.0f, screen);
    EXPECT_NEAR(screen[0], 30.0f, 1e-3f) << "the plane z = 0 lies on its pixels";
    EXPECT_NEAR(screen[1], 20.0f, 1e-3f);
}

// Batching may regroup draws of equal state only where no pixel can tell: the batched picture
// equals the one drawn one by one in priority order, destination-reading draws included.
TEST_F(DrawGoldenTest, BatchedFrameEqualsThePriorityOrderedFrame) {
    std::vector<std::unique_ptr<ImageSurface>> images;
    images.push_back(MakeDisc(0xFF8040));
    images.push_back(MakeDisc(0x40C0FF));
    images.push_back(MakeSolid(12, 12, 0xC0FFFFFFu));
    const int modes[] = {0, 1, 0, 5, 2, 0, 1, 4, 0, 3, 10, 0};
    struct Sprite {
        int priority, mode, image;
        float x, y;
    };
    std::vector<Sprite> sprites;
    for (int i = 0; i < 60; ++i) {
        sprites.push_back(
            {(i * 7) % 3, modes[i % 12], i % 3, float((i * 37) % 100), float((i * 23) % 60)});
    }
    auto draw = [&](ImageSurface* target, bool batching) {
        FillBackdrop(target);
        std::vector<size_t> order(sprites.size());
        std::iota(order.begin(), order.end(), size_t(0));
        if (!batching) {
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                return sprites[a].priority < sprites[b].priority;
            });
        }
        Graphics g(target);
        g.SetBatching(batching);
        for (size_t i : order) {
            const Sprite& s = sprites[i];
            Graphics one(g);
            one.AddBatchPriority(s.priority);
            one.SetDrawMode(s.mode);
            one.DrawImage(images[size_t(s.image)].get(), s.x, s.y);
        }
    };
    auto batched = MakeTarget(128, 96);
    auto ordered = MakeTarget(128, 96);
    sDevice->Flush();
    sDevice->ResetDrawCallCount();
    draw(batched.get(), true);
    int batchedCalls = sDevice->GetDrawCallsThisFrame();
    sDevice->ResetDrawCallCount();
    draw(ordered.get(), false);
    int orderedCalls = sDevice->GetDrawCallsThisFrame();
    EXPECT_LT(batchedCalls, orderedCalls);
    const auto& a = batched->GetPixelData();
    const auto& b = ordered->GetPixelData();
    ASSERT_EQ(a.size(), b.size());
    int differ = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        differ += a[i] != b[i] ? 1 : 0;
    }
    EXPECT_EQ(differ, 0);

    // Equal states join across draws they do not touch, never across one they overlap.
    auto red = MakeSolid(8, 8, 0xFFFF0000u);
    auto blue = MakeSolid(8, 8, 0xFF0000FFu);
    auto target = MakeTarget(64, 16);
    sDevice->Flush();
    sDevice->ResetDrawCallCount();
    {
        Graphics g(target.get());
        g.SetBatching(true);
        g.DrawImage(red.get(), 0, 0);
        g.DrawImage(blue.get(), 16, 0);
        g.DrawImage(red.get(), 32, 0);
        g.DrawImage(blue.get(), 48, 0);
    }
    EXPECT_EQ(sDevice->GetDrawCallsThisFrame(), 2);
    sDevice->ResetDrawCallCount();
    {
        Graphics g(target.get());
        g.SetBatching(true);
        g.DrawImage(red.get(), 0, 0);
        g.DrawImage(blue.get(), 4, 4);
        g.DrawImage(red.get(), 6, 6);
    }
    EXPECT_EQ(sDevice->GetDrawCallsThisFrame(), 3);
    EXPECT_EQ(target->GetPixel(7, 7), 0xFFFF0000u);
    EXPECT_EQ(target->GetPixel(5, 5), 0xFF0000FFu);
}

// A frame repainted under the screen limit: every pixel inside is the new frame's, every pixel
// outside the previous frame's, backdrop-reading draws included.
TEST_F(DrawGoldenTest, ScreenLimitRepaintsOnlyItsPartOfTheScreen) {
    ImageSurface* screen = sDevice->GetScreenImage();
    ASSERT_EQ(screen->GetWidth(), 128);
    auto disc = MakeDisc(0xFF8040);
    auto checker = MakeChecker(128, 8);
    auto frame = [&](float discX, uint32_t corner) {
        sDevice->ClearTarget(screen, Rect(0, 0, 128, 96), Color(0, 0, 0, 255));
        Graphics g(screen);
        g.SetBatching(true);
        g.DrawImage(checker.get(), 0.0f, 0.0f);
        g.DrawImage(disc.get(), discX, 20.0f);
        Graphics soft(g);
        soft.SetDrawMode(kDrawSoftLight);
        soft.DrawImage(disc.get(), discX + 10.0f, 30.0f);
        g.FlushBatch();
        soft.FlushBatch();
        auto mark = MakeSolid(8, 8, corner);
        g.DrawImage(mark.get(), 110.0f, 80.0f);  // outside the limit: must not change
        g.FlushBatch();
        sDevice->Flush();
        return std::vector<uint32_t>(screen->GetPixelData());
    };
    const std::vector<uint32_t> before = frame(10.0f, 0xFF0000FFu);
    const std::vector<uint32_t> after = frame(40.0f, 0xFF00FF00u);
    frame(10.0f, 0xFF0000FFu);
    const Rect limit(8, 18, 76, 58);  // both discs' places
    sDevice->SetScreenLimit(limit);
    const std::vector<uint32_t> partial = frame(40.0f, 0xFF00FF00u);
    sDevice->ClearScreenLimit();
    int wrong = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 128; ++x) {
            const size_t i = size_t(y * 128 + x);
            wrong += partial[i] != (limit.Contains(x, y) ? after[i] : before[i]) ? 1 : 0;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_NE(before, after);
}

TEST_F(DrawGoldenTest, DecodedCopiesGoAfterUploadAndComeBackFromTheirFile) {
    // A shaped 8x8 picture "from a file": opaque green left half (cell 0), transparent right half
    // (cell 1).
    std::vector<uint32_t> file(64);
    for (size_t i = 0; i < file.size(); ++i) {
        file[i] = i % 8 < 4 ? 0xFF00C000u : 0u;
    }
    int decodes = 0;
    auto image = std::make_unique<ImageSurface>();
    image->SetPixels(8, 8, file);
    image->SetPixelSource([&](int w, int h, std::vector<uint32_t>* pixels) {
        ++decodes;
        *pixels = file;
        return w == 8 && h == 8;
    });
    image->SetCells(2, 1);
    auto target = MakeTarget(8, 8);
    auto drawn = [&]() {
        Graphics g(target.get());
        g.DrawImage(image.get(), 0, 0);
        sDevice->Flush();
        return target->GetPixel(2, 3);
    };
    EXPECT_EQ(drawn(), 0xFF00C000u);
    EXPECT_FALSE(image->HoldsPixels()) << "the texture holds the picture once uploaded";
    EXPECT_EQ(decodes, 0);

    // A shaped button's hit test reads an alpha plane, not the whole copy; cell bounds stay.
    EXPECT_EQ(image->GetAlpha(1, 1, 0), 255);
    EXPECT_EQ(image->GetAlpha(1, 1, 1), 0);
    EXPECT_EQ(image->GetMaskAlphaAt(0, FRect(0, 0, 4, 8), 2.0f, 2.0f), 255);
    EXPECT_FALSE(image->HoldsPixels());
    EXPECT_EQ(image->GetCelBounds()[0], Rect(0, 0, 4, 8));
    EXPECT_EQ(image->GetCelBounds()[1], Rect());
    EXPECT_EQ(decodes, 1);

    // A lost device, and an image unused for a while, come back from the file when drawn.
    ASSERT_TRUE(sDevice->Rebuild());
    target = MakeTarget(8, 8);
    EXPECT_EQ(drawn(), 0xFF00C000u);
    EXPECT_EQ(decodes, 2);
    const uint64_t t0 = 1'000'000'000;
    sDevice->ReleaseUnusedImages(t0);
    EXPECT_TRUE(sDevice->Present());
    EXPECT_EQ(sDevice->ReleaseUnusedImages(t0 + 6000), 0u) << "in the last frame: still shown";
    EXPECT_TRUE(sDevice->Present());
    EXPECT_EQ(sDevice->ReleaseUnusedImages(t0 + 7000), 256u);
    EXPECT_EQ(drawn(), 0xFF00C000u);
    EXPECT_EQ(decodes, 3);

    // A reader of the whole picture gets it exactly and keeps it.
    EXPECT_EQ(image->GetPixel(3, 0, 0), 0xFF00C000u);
    EXPECT_EQ(image->GetPixelData(), file);
    EXPECT_TRUE(image->HoldsPixels());
    EXPECT_EQ(decodes, 4);
}
