// Text drawn on the real renderer (SDL's offscreen driver gives GL 3.3 through EGL), compared
// with a committed image. Set P7_UPDATE_GOLDEN=1 to rewrite the expected image after a deliberate
// change, and look at it before committing.

#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/fonts/SysFont.h"
#include "support/GLTestSupport.h"

namespace {

// The device and window come from the graphics tests' fixture; the expected image lives here.
class TextGoldenTest : public GLTest {};

TEST_F(TextGoldenTest, TwoFontsWrappedAndJustified) {
    constexpr int kWidth = 160;
    constexpr int kHeight = 120;
    std::unique_ptr<ImageSurface> surface = MakeTarget(kWidth, kHeight);
    ImageSurface& target = *surface;
    target.Fill(Color(20, 30, 60));

    SysFont sans("DejaVu Sans", 9, 0);
    SysFont serif("DejaVu Serif", 12, TrueTypeFont::kBold);
    FontShadow shadow;
    shadow.mEnabled = true;
    shadow.mColor = Color(0, 0, 0, 255);
    serif.SetShadow(shadow);
    {
        Graphics g(&target);
        g.SetFont(&sans);
        g.SetColor(Color(255, 255, 255));
        const int height = g.DrawStringWordWrapped(
            Rect(4, 14, 72, 100), "Left text wraps at spaces[br]and breaks.", -1, -1);
        EXPECT_GT(height, 3 * sans.GetLineSpacing());
        g.SetColor(Color(255, 220, 80));
        g.DrawStringWordWrapped(Rect(84, 14, 72, 100), "Right aligned words here.", -1, 1);
        g.SetFont(&serif);
        g.SetColor(Color(120, 255, 160, 200));
        g.DrawStringWordWrapped(Rect(0, 80, kWidth, 40), "Centred bold serif, shadowed", -1, 0);
        g.FlushBatch();
    }
    sDevice->Flush();
    const std::vector<uint32_t>& pixels = target.GetPixelData();
    ASSERT_EQ(pixels.size(), size_t(kWidth * kHeight));

    // Small differences in filtering and rounding between drivers are tolerated, a moved or
    // missing glyph is not.
    ExpectGoldenIn("tests/assets/golden", &target, "text_two_fonts", 12, kWidth * kHeight / 200);
    // Text was drawn at all: bright pixels exist in each region.
    auto brightIn = [&](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                count += ((pixels[size_t(y * kWidth + x)] >> 8) & 0xFF) > 150 ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_GT(brightIn(0, 0, 80, 75), 40);
    EXPECT_GT(brightIn(80, 0, 160, 75), 40);
    EXPECT_GT(brightIn(0, 75, 160, 120), 40);
}

}  // namespace
