// Glyph pages and other white-coverage surfaces keep their coverage alone in a one-channel
// texture, read back as the premultiplied white the full colour texture held: every way of
// drawing them gives the same pixels as the same picture uploaded in full colour.

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/FRect.h"
#include "graphics/RenderState.h"
#include "graphics/Transform.h"
#include "graphics/fonts/SysFont.h"
#include "support/GLTestSupport.h"

namespace {

struct TextureFormat {
    GLint mInternal = 0;
    GLint mRedBits = 0;
    GLint mAlphaBits = 0;
    GLint mSwizzle[4] = {0, 0, 0, 0};
};

class GlyphPageTextureTest : public GLTest {
protected:
    // The format of an image's texture, made by drawing it alone: the device leaves the texture
    // of its last draw bound on unit 0.
    static TextureFormat FormatOf(Image* image) {
        auto target = MakeTarget(4, 4);
        {
            Graphics g(target.get());
            g.DrawImage(image, 0, 0);
        }
        sDevice->Flush();
        TextureFormat format;
        glActiveTexture(GL_TEXTURE0);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format.mInternal);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &format.mRedBits);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &format.mAlphaBits);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format.mSwizzle);
        return format;
    }

    static void ExpectOneChannel(Image* image) {
        const TextureFormat format = FormatOf(image);
        EXPECT_EQ(format.mInternal, GL_R8);
        EXPECT_EQ(format.mRedBits, 8);
        EXPECT_EQ(format.mAlphaBits, 0);
        for (GLint channel : format.mSwizzle) {
            EXPECT_EQ(channel, GL_RED);
        }
    }

    // An opaque colour ramp with a half-transparent band, so that every blend has something
    // different to combine with in each channel.
    static std::unique_ptr<ImageSurface> MakeBackdrop(int width, int height) {
        std::vector<uint32_t> pixels(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t a = y >= height / 3 && y < height / 2 ? 0x80u : 0xFFu;
                const uint32_t r = uint32_t(x * 255 / width);
                const uint32_t g = uint32_t(y * 255 / height);
                pixels[size_t(y) * size_t(width) + size_t(x)] =
                    (a << 24) | (r << 16) | (g << 8) | 0x60u;
            }
        }
        auto target = std::make_unique<ImageSurface>(true);
        target->SetName("backdrop");
        target->SetPixels(width, height, std::move(pixels));
        return target;
    }

    // The same picture as a surface that is not marked: uploaded in full colour.
    static std::unique_ptr<ImageSurface> FullColourTwin(const ImageSurface& surface) {
        auto twin = std::make_unique<ImageSurface>();
        twin->SetName("full colour twin");
        twin->SetPixels(surface.GetWidth(), surface.GetHeight(), surface.GetPixelData());
        return twin;
    }
};

// A white surface of a width that is no multiple of 4, so rows of single bytes are not padded.
std::unique_ptr<ImageSurface> MakeOddWidthCoverage() {
    constexpr int kWidth = 13;
    constexpr int kHeight = 7;
    std::vector<uint32_t> pixels(size_t(kWidth * kHeight));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = (uint32_t((i * 37) % 256) << 24) | 0x00FFFFFFu;
    }
    auto surface = std::make_unique<ImageSurface>();
    surface->SetName("odd width coverage");
    surface->SetPixels(kWidth, kHeight, std::move(pixels));
    surface->SetWhiteCoverage(true);
    return surface;
}

TEST_F(GlyphPageTextureTest, EveryDrawOfACoveragePageMatchesItsFullColourUpload) {
    SysFont font("DejaVu Sans", 12, 0);
    const GlyphSet& glyphs = font.GetGlyphs();
    ASSERT_GE(glyphs.Glyph('W').mPage, 0);
    ImageSurface* page = glyphs.GetPageImage(glyphs.Glyph('W').mPage);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->IsWhiteCoverage());
    std::unique_ptr<ImageSurface> odd = MakeOddWidthCoverage();

    enum class Way { kStretched, kRotated, kMask };
    struct Case {
        const char* name;
        int mode;
        Way way;
    };
    const Case cases[] = {
        {"normal, stretched", kDrawNormal, Way::kStretched},
        {"normal, rotated", kDrawNormal, Way::kRotated},
        {"additive", kDrawAdditive, Way::kRotated},
        {"multiply", kDrawMultiply, Way::kStretched},
        {"overlay", kDrawOverlay, Way::kRotated},
        {"soft light", kDrawSoftLight, Way::kStretched},
        {"subtractive", kDrawSubtractive, Way::kStretched},
        {"replace", kDrawNone, Way::kRotated},
        {"as a mask", kDrawNormal, Way::kMask},
    };
    std::unique_ptr<ImageSurface> orange = std::make_unique<ImageSurface>();
    orange->SetPixels(40, 40, std::vector<uint32_t>(1600, 0xFFFF8020u));
    constexpr int kSize = 90;
    auto draw = [&](ImageSurface* image, const Case& c) {
        std::unique_ptr<ImageSurface> target = MakeBackdrop(kSize, kSize);
        {
            Graphics g(target.get());
            g.SetDrawMode(c.mode);
            g.SetColorizeImages(true);
            g.SetColor(Color(90, 200, 255, 210));
            switch (c.way) {
                case Way::kStretched:
                    // Scaled by an uneven factor, so that filtering mixes neighbouring texels.
                    g.DrawImageStretched(image, FRect(3.3f, 2.6f, 83.0f, 71.0f));
                    break;
                case Way::kRotated: {
                    // Fitted into the target, about its centre.
                    const float w = float(image->GetWidth());
                    const float h = float(image->GetHeight());
                    Transform t;
                    t.Scale(64.0f / w, 50.0f / h);
                    t.RotateDegrees(17.0f, 0, 0, 1);
                    g.DrawImageTransformed(image, t, 0, 45.0f - w / 2, 45.0f - h / 2);
                    break;
                }
                case Way::kMask:
                    // The whole page's alpha over a small image: shrunk, filtered.
                    g.DrawImageMasked(orange.get(), 0, image, 0, FRect(0, 0, 40, 40), nullptr, 20,
                                      20);
                    break;
            }
        }
        sDevice->Flush();
        return target->GetPixelData();
    };
    for (ImageSurface* image : {page, odd.get()}) {
        SCOPED_TRACE(image->GetName() + " " + std::to_string(image->GetWidth()) + "x" +
                     std::to_string(image->GetHeight()));
        std::unique_ptr<ImageSurface> twin = FullColourTwin(*image);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const std::vector<uint32_t> expected = draw(twin.get(), c);
            const std::vector<uint32_t> drawn = draw(image, c);
            ASSERT_EQ(drawn.size(), expected.size());
            size_t differing = 0;
            for (size_t i = 0; i < drawn.size(); ++i) {
                differing += drawn[i] != expected[i] ? 1 : 0;
            }
            EXPECT_EQ(differing, 0u);
            EXPECT_NE(drawn, MakeBackdrop(kSize, kSize)->GetPixelData()) << "nothing was drawn";
        }
        ExpectOneChannel(image);
        EXPECT_EQ(FormatOf(twin.get()).mInternal, GL_RGBA8);
    }
}

// Text as the game draws it, from pages in one channel and from the same pages in full colour;
// a page released while unused, or lost with the device, comes back the same from its coverage.
TEST_F(GlyphPageTextureTest, TextDrawsTheSameFromEveryUploadOfItsPages) {
    SysFont font("DejaVu Serif", 11, TrueTypeFont::kItalic);
    const GlyphSet& glyphs = font.GetGlyphs();
    ASSERT_FALSE(glyphs.GetPages().empty());
    auto drawText = [&]() {
        std::unique_ptr<ImageSurface> target = MakeBackdrop(120, 60);
        {
            Graphics g(target.get());
            g.SetFont(&font);
            g.SetColor(Color(255, 240, 120));
            g.DrawString("Quartz glyph, 1234!", 3.0f, 18.0f);
            Transform t;
            t.RotateDegrees(-8.0f, 0, 0, 1);
            g.ApplyTransform(t);
            g.SetColor(Color(20, 40, 200, 180));
            g.DrawString("Wavy jumps", 10.0f, 48.0f);
        }
        sDevice->Flush();
        return target->GetPixelData();
    };
    const std::vector<uint32_t> drawn = drawText();
    ImageSurface* page = glyphs.GetPageImage(glyphs.Glyph('Q').mPage);
    EXPECT_FALSE(page->HoldsPixels()) << "the texture holds the page once uploaded";
    ExpectOneChannel(page);

    // Released as the device releases an image no longer shown: texture and pixels go.
    const uint64_t t0 = 2'000'000'000;
    sDevice->ReleaseUnusedImages(t0);
    EXPECT_TRUE(sDevice->Present());
    EXPECT_TRUE(sDevice->Present());
    EXPECT_GT(sDevice->ReleaseUnusedImages(t0 + 7000), 0u);
    EXPECT_FALSE(page->HoldsPixels());
    EXPECT_EQ(drawText(), drawn) << "after a release";
    ExpectOneChannel(page);

    ASSERT_TRUE(sDevice->Rebuild());
    EXPECT_EQ(drawText(), drawn) << "after the device was rebuilt";
    ExpectOneChannel(page);

    // A reader of the page gets its straight white pixels back.
    const std::vector<uint32_t>& pixels = page->GetPixelData();
    ASSERT_EQ(pixels.size(), size_t(page->GetWidth()) * size_t(page->GetHeight()));
    const GlyphInfo& q = glyphs.Glyph('Q');
    int covered = 0;
    for (int y = q.mY; y < q.mY + q.mHeight; ++y) {
        for (int x = q.mX; x < q.mX + q.mWidth; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(page->GetWidth()) + size_t(x)];
            EXPECT_EQ(p & 0xFFFFFFu, 0xFFFFFFu);
            covered += p >> 24 == 255 ? 1 : 0;
        }
    }
    EXPECT_GT(covered, 0);

    // The same pages in full colour draw the same text.
    for (const GlyphPage& each : glyphs.GetPages()) {
        each.mImage->SetWhiteCoverage(false);
    }
    EXPECT_EQ(drawText(), drawn) << "from full colour pages";
    EXPECT_EQ(FormatOf(page).mInternal, GL_RGBA8);
}

// Pixels written into a marked surface need not be white: the mark goes and the texture is made
// again in full colour.
TEST_F(GlyphPageTextureTest, WritingPixelsDropsTheMark) {
    std::unique_ptr<ImageSurface> surface = MakeOddWidthCoverage();
    ExpectOneChannel(surface.get());
    surface->EditPixelData()[0] = 0xFFFF0000u;
    surface->MarkPixelsChanged();
    EXPECT_FALSE(surface->IsWhiteCoverage());
    EXPECT_EQ(FormatOf(surface.get()).mInternal, GL_RGBA8);
    auto target = MakeTarget(13, 7);
    {
        Graphics g(target.get());
        g.SetDrawMode(kDrawNone);
        g.DrawImage(surface.get(), 0, 0);
    }
    sDevice->Flush();
    EXPECT_EQ(target->GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(target->GetPixel(12, 6), surface->GetPixel(12, 6));
}

}  // namespace
