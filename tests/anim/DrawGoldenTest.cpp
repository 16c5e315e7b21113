// The animated widget's drawing compared with golden images under tests/anim/golden/ (every
// channel within 3). Set P7_UPDATE_GOLDEN=1 to rewrite them; a mismatch writes the run's image
// into the build folder.

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "WidgetDrawTest.h"
#include "graphics/HlslTranslator.h"
#include "graphics/ShaderEffect.h"
#include "widgets/anim/DynamicWidget.h"

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;

uint32_t Argb(int a, int r, int g, int b) {
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// A cell of four coloured quarters (red, green / blue, yellow) so that every flip and turn shows.
std::unique_ptr<ImageSurface> MakeQuarters(int size) {
    std::vector<uint32_t> pixels(size_t(size * size));
    const int half = size / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint32_t c = y < half ? (x < half ? Argb(255, 230, 40, 40) : Argb(255, 40, 200, 40))
                                  : (x < half ? Argb(255, 40, 60, 230) : Argb(255, 240, 220, 40));
            pixels[size_t(y * size + x)] = c;
        }
    }
    auto image = std::make_unique<ImageSurface>();
    image->SetName("quarters");
    image->SetPixels(size, size, std::move(pixels));
    return image;
}

std::unique_ptr<ImageSurface> MakeSolid(int width, int height, uint32_t color, int cols = 1) {
    auto image = std::make_unique<ImageSurface>();
    image->SetName("solid");
    image->SetPixels(width, height, std::vector<uint32_t>(size_t(width * height), color));
    image->SetCells(cols, 1);
    return image;
}

// A render cache that a test can look into and pin in place.
class CachedWidget : public DynamicWidget {
public:
    using DynamicWidget::DynamicWidget;
    bool CacheRendered() const { return mCache && mCache->rendered; }
    int CacheCountdown() const { return mCache ? mCache->countdown : -1; }
    void StopFollowing() { mCache->followsPosition = false; }
};

class DynamicDraw : public WidgetDrawTest {
protected:
    void SetUp() override { SetUpTarget(kWidth, kHeight); }

    // Draws the tree rooted at root over a dark grey background, as the widget pass does.
    void Render(DynamicWidget* root, bool clear = true) { DrawTree(root, clear); }

    // Compares the target with tests/anim/golden/<name>.png.
    void ExpectGolden(const std::string& name) {
        ExpectGoldenIn("tests/anim/golden", mTarget.get(), name, 3, 0);
    }
};

TEST_F(DynamicDraw, TransformTurnsAndScalesAboutTheImageCentre) {
    auto image = MakeQuarters(32);
    // Left: untouched; middle: a quarter turn at 1.5 times; right: flipped sideways.
    DynamicWidget plain(8, 32, image.get(), 1.0f);
    Render(&plain);
    EXPECT_EQ(PixelAt(8, 32), Argb(255, 230, 40, 40));  // the image's corner on the widget's
    DynamicWidget turned(48, 32, image.get(), 1.0f);
    turned.mAngle = 90.0f;
    turned.mScaleX = turned.mScaleY = 1.5f;
    turned.PropertiesChanged(kChangedTransform);
    Render(&turned, false);
    // Grown about its centre (64, 48): 48 pixels across, from 40 to 88.
    EXPECT_NE(PixelAt(41, 26), Argb(255, 40, 40, 48));
    EXPECT_NE(PixelAt(86, 70), Argb(255, 40, 40, 48));
    EXPECT_EQ(PixelAt(90, 48), Argb(255, 40, 40, 48));
    DynamicWidget flipped(92, 32, image.get(), 1.0f);
    flipped.Flip(false);
    Render(&flipped, false);
    EXPECT_EQ(PixelAt(93, 33), Argb(255, 40, 200, 40));  // green now on the left
    ExpectGolden("transform_flip");
}

TEST_F(DynamicDraw, RotationAboutXAndYUnderThePerspectiveView) {
    auto image = MakeQuarters(32);
    DynamicWidget aboutY(16, 32, image.get(), 1.0f);
    aboutY.SetRotationAxis(0.0f, 1.0f, 0.0f);
    aboutY.mAngle = 50.0f;
    aboutY.PropertiesChanged(kChangedTransform);
    Render(&aboutY);
    DynamicWidget aboutX(80, 32, image.get(), 1.0f);
    aboutX.SetRotationAxis(1.0f, 0.0f, 0.0f);
    aboutX.mAngle = 50.0f;
    aboutX.PropertiesChanged(kChangedTransform);
    Render(&aboutX, false);
    ExpectGolden("rotate_x_y");
}

TEST_F(DynamicDraw, MaskedTessellatedAndWrapped) {
    auto image = MakeQuarters(32);
    // A mask that lets through a disc.
    std::vector<uint32_t> disc(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int dx = x - 16, dy = y - 16;
            disc[size_t(y * 32 + x)] = dx * dx + dy * dy < 14 * 14 ? 0xFFFFFFFFu : 0u;
        }
    }
    ImageSurface mask;
    mask.SetPixels(32, 32, std::move(disc));
    DynamicWidget masked(4, 8, image.get(), 1.0f);
    masked.SetMask(&mask);
    masked.mAngle = 30.0f;
    masked.PropertiesChanged(kChangedTransform);
    Render(&masked);

    DynamicWidget tessellated(48, 8, image.get(), 1.0f);
    tessellated.SetTessellation(4, 4);
    tessellated.mAngle = 30.0f;
    tessellated.PropertiesChanged(kChangedTransform);
    Render(&tessellated, false);

    // Texture wrap with the transform on the subtree: the image is stretched over its scaled
    // rectangle, and the subtree transform scales again about the middle.
    DynamicWidget wrapped(92, 56, image.get(), 1.0f);
    wrapped.SetTextureWrap(true);
    wrapped.SetTransformMode(true);
    wrapped.mScaleX = 0.75f;
    wrapped.PropertiesChanged(kChangedTransform);
    Render(&wrapped, false);
    ExpectGolden("masked_tessellated_wrapped");

    // The tessellated draw lands where the plain transformed draw does.
    mTarget = MakeTarget(kWidth, kHeight);
    Render(&tessellated);
    sDevice->Flush();
    const std::vector<uint32_t> grid = mTarget->GetPixelData();
    DynamicWidget single(48, 8, image.get(), 1.0f);
    single.mAngle = 30.0f;
    single.PropertiesChanged(kChangedTransform);
    Render(&single);
    sDevice->Flush();
    int differ = 0;
    for (size_t i = 0; i < grid.size(); ++i) {
        differ += grid[i] != mTarget->GetPixelData()[i] ? 1 : 0;
    }
    EXPECT_LT(differ, 8);  // edge pixels of the inner seams at most
}

// An effect that turns the picture into its negative (in premultiplied colour).
const char* kNegativeEffect = R"(float4x4 WorldViewProj;
sampler2D Picture;
struct VertexOut {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float4 color : COLOR0;
};
VertexOut VS(float4 position : POSITION, float2 uv : TEXCOORD0, float4 color : COLOR0) {
    VertexOut o;
    o.position = mul(position, WorldViewProj);
    o.uv = uv;
    o.color = color;
    return o;
}
float4 PS(float2 uv : TEXCOORD0, float4 color : COLOR0) : COLOR0 {
    float4 c = tex2D(Picture, uv) * color;
    return float4(c.a - c.rgb, c.a);
}
)";

// A widget's mask cuts what it draws through a shader effect and in the modes that composite
// over a copy of the destination, as it cuts a plain draw.
TEST_F(DynamicDraw, MasksCutDrawsThroughEffectsAndBackdropModes) {
    auto image = MakeQuarters(32);
    // A mask that lets through the left half of a disc.
    std::vector<uint32_t> halfDisc(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int dx = x - 16, dy = y - 16;
            halfDisc[size_t(y * 32 + x)] = x < 16 && dx * dx + dy * dy < 14 * 14 ? 0xFFFFFFFFu : 0u;
        }
    }
    ImageSurface mask;
    mask.SetPixels(32, 32, std::move(halfDisc));
    auto code = std::make_shared<TranslatedEffect>();
    std::string error;
    ASSERT_TRUE(HlslTranslator::Translate(kNegativeEffect, "negative.hlsl", code.get(), &error))
        << error;
    DynamicWidget negative(8, 8, image.get(), 1.0f);
    negative.SetMask(&mask);
    negative.SetShader(std::make_unique<ShaderEffect>("negative.hlsl", code));
    Render(&negative);
    // Turned, so that the mask follows the widget's transform through the effect too.
    DynamicWidget turned(48, 8, image.get(), 1.0f);
    turned.SetMask(&mask);
    turned.SetShader(std::make_unique<ShaderEffect>("negative.hlsl", code));
    turned.mAngle = 30.0f;
    turned.PropertiesChanged(kChangedTransform);
    Render(&turned, false);
    DynamicWidget overlay(88, 8, image.get(), 1.0f);
    overlay.SetMask(&mask);
    overlay.SetBlendMode(3);
    Render(&overlay, false);
    const uint32_t background = Argb(255, 40, 40, 48);
    // Inside the half disc the negative of the red quarter; outside it nothing.
    EXPECT_EQ(PixelAt(8 + 10, 8 + 10), Argb(255, 255 - 230, 255 - 40, 255 - 40));
    EXPECT_EQ(PixelAt(8 + 24, 8 + 10), background);
    EXPECT_EQ(PixelAt(8 + 2, 8 + 2), background);
    EXPECT_EQ(PixelAt(88 + 24, 8 + 10), background);
    EXPECT_NE(PixelAt(88 + 10, 8 + 10), background);
    ExpectGolden("masked_effect_and_overlay");
}

TEST_F(DynamicDraw, CrossfadeAndOverbrightPasses) {
    // Two frames, red and blue, halfway through a crossfade: an even mix.
    auto strip = MakeSolid(64, 32, 0, 2);
    std::vector<uint32_t> pixels(64 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            pixels[size_t(y * 64 + x)] = x < 32 ? Argb(255, 220, 20, 20) : Argb(255, 20, 20, 220);
        }
    }
    strip->SetPixels(64, 32, std::move(pixels));
    strip->SetCells(2, 1);
    strip->SetFlags(Image::kFlagComposable);
    DynamicWidget fading(8, 8, strip.get(), 1.0f);
    fading.FadeToFrame(1, 10.0f);
    fading.mCrossfadeWeight = 0.5f;
    Render(&fading);
    const uint32_t mixed = PixelAt(24, 24);
    EXPECT_NEAR(int((mixed >> 16) & 0xFF), 120, 6);
    EXPECT_NEAR(int(mixed & 0xFF), 120, 6);

    // Grey lit by red 2.5: red saturates through the extra passes, the rest stays grey.
    auto grey = MakeSolid(32, 32, Argb(255, 100, 100, 100));
    DynamicWidget bright(48, 8, grey.get(), 1.0f);
    bright.mRed = 2.5f;
    Render(&bright, false);
    const uint32_t lit = PixelAt(64, 24);
    EXPECT_EQ((lit >> 16) & 0xFF, 250u);  // 100 + 100 x 1.5 (clamped) ... + 100 x 0.5
    EXPECT_NEAR(int((lit >> 8) & 0xFF), 100, 2);

    // Half opacity fades the own image.
    DynamicWidget faded(88, 8, grey.get(), 0.5f);
    Render(&faded, false);
    ExpectGolden("crossfade_overbright");
}

TEST_F(DynamicDraw, PostrenderTintsTheGroupAsOnePicture) {
    auto red = MakeSolid(32, 32, Argb(255, 230, 30, 30));
    auto green = MakeSolid(32, 32, Argb(255, 30, 230, 30));
    auto build = [&](DynamicWidget* parent, DynamicWidget* a, DynamicWidget* b) {
        parent->Resize(int(parent->mX), int(parent->mY), 64, 64);
        parent->AddWidget(a);
        parent->AddWidget(b);
    };
    // Left: draw mode 1 at half opacity: where the squares overlap only the green one shows.
    DynamicWidget group(4, 16, nullptr, 0.5f);
    DynamicWidget a1(0, 0, red.get(), 1.0f), b1(16, 16, green.get(), 1.0f);
    build(&group, &a1, &b1);
    group.SetDrawMode(DynamicWidget::kDrawPostrender);
    // Right: draw mode 2 tints each child on its own, so the red shows through the green.
    DynamicWidget inherit(68, 16, nullptr, 0.5f);
    DynamicWidget a2(0, 0, red.get(), 1.0f), b2(16, 16, green.get(), 1.0f);
    build(&inherit, &a2, &b2);
    inherit.SetDrawMode(DynamicWidget::kDrawInherit);
    Render(&group);
    Render(&inherit, false);
    const uint32_t grouped = PixelAt(4 + 24, 16 + 24);
    const uint32_t separate = PixelAt(68 + 24, 16 + 24);
    EXPECT_LT(int((grouped >> 16) & 0xFF), int((separate >> 16) & 0xFF) - 30);
    EXPECT_NEAR(int((grouped >> 8) & 0xFF), (230 + 40) / 2, 4);
    ExpectGolden("postrender_inherit");

    // Overbright colour through the group: brighter than the plain subtree, not dimmer.
    mTarget = MakeTarget(kWidth, kHeight);
    group.mOpacity = 1.0f;
    group.mGreen = 1.6f;
    group.mRed = group.mBlue = 1.0f;
    Render(&group);
    // The red square's green of 30, lit by 1.6: 30 + 0.6 x 30.
    EXPECT_NEAR(int((PixelAt(4 + 8, 16 + 8) >> 8) & 0xFF), 48, 2);
    // At opacity 0 nothing of the group is drawn.
    mTarget = MakeTarget(kWidth, kHeight);
    group.mOpacity = 0.0f;
    Render(&group);
    EXPECT_EQ(PixelAt(4 + 8, 16 + 8), Argb(255, 40, 40, 48));
    group.RemoveAllWidgets(false, false);
    inherit.RemoveAllWidgets(false, false);
}

TEST_F(DynamicDraw, RenderCacheStandsInForTheSubtree) {
    auto quarters = MakeQuarters(32);
    CachedWidget holder(20, 20, nullptr, 1.0f);
    holder.Resize(20, 20, 64, 48);
    DynamicWidget child(8, 4, quarters.get(), 1.0f);
    child.mAngle = 20.0f;
    child.PropertiesChanged(kChangedTransform);
    holder.AddWidget(&child);

    Render(&holder);
    ExpectGolden("render_cache");
    // The first draw finds the widget away from the remembered origin, so the countdown starts
    // at 30 whatever it was made with.
    holder.SetCache(true, true);
    for (int i = 0; i < 30; ++i) {
        Render(&holder);
        EXPECT_FALSE(holder.CacheRendered());
    }
    Render(&holder);
    EXPECT_TRUE(holder.CacheRendered());
    ExpectGolden("render_cache");  // the cached picture is the subtree's

    // The cache stands in: a change the widget is not told of does not show...
    child.mX = 24.0f;
    Render(&holder);
    ExpectGolden("render_cache");
    // ...until a change marks it dirty; it is drawn directly for 30 draws, then cached again.
    child.SetNamedFloat("angle", 0.0f);
    EXPECT_EQ(holder.CacheCountdown(), 30);
    for (int i = 0; i < 30; ++i) {
        Render(&holder);
        EXPECT_FALSE(holder.CacheRendered());
    }
    Render(&holder);
    EXPECT_TRUE(holder.CacheRendered());
    EXPECT_EQ(PixelAt(20 + 24 + 1, 20 + 4 + 1), Argb(255, 230, 40, 40));  // moved, upright

    // Following the widget: moving it every draw never renders; 30 still draws after the last
    // move it is rendered where the widget now stands.
    for (int i = 0; i < 40; ++i) {
        holder.mX = 21.0f - float(i % 2);
        Render(&holder);
        EXPECT_FALSE(holder.CacheRendered());
    }
    holder.mX = 30.0f;
    for (int i = 0; i < 31; ++i) {
        Render(&holder);
    }
    EXPECT_TRUE(holder.CacheRendered());
    EXPECT_EQ(PixelAt(30 + 24 + 1, 20 + 4 + 1), Argb(255, 230, 40, 40));
    holder.SetCache(false, false);
    EXPECT_EQ(holder.CacheCountdown(), -1);
    holder.RemoveAllWidgets(false, false);

    // A cache that does not follow holds the subtree at its own origin and is drawn wherever
    // the widget stands, without rendering again.
    CachedWidget still(10, 10, nullptr, 1.0f);
    still.Resize(10, 10, 64, 48);
    DynamicWidget inner(4, 4, quarters.get(), 1.0f);
    still.AddWidget(&inner);
    still.SetCache(true, true);
    still.StopFollowing();
    Render(&still);  // the countdown of 1 runs out: drawn directly
    EXPECT_FALSE(still.CacheRendered());
    Render(&still);
    EXPECT_TRUE(still.CacheRendered());
    still.mX = 50.0f;
    Render(&still);
    EXPECT_TRUE(still.CacheRendered());
    EXPECT_EQ(PixelAt(50 + 4 + 1, 10 + 4 + 1), Argb(255, 230, 40, 40));
    EXPECT_EQ(PixelAt(10 + 4 + 1, 10 + 4 + 1), Argb(255, 40, 40, 48));
    still.RemoveAllWidgets(false, false);
}

TEST_F(DynamicDraw, ClippingOwnImageOrWholeSubtree) {
    auto quarters = MakeQuarters(32);
    // Left: the clip applies to the own image only; the child sticks out.
    DynamicWidget own(8, 24, quarters.get(), 1.0f);
    own.mRelClipX1 = 4.0f;
    own.mRelClipY1 = 4.0f;
    own.mRelClipX2 = 20.0f;
    own.mRelClipY2 = 28.0f;
    DynamicWidget child1(16, 16, quarters.get(), 1.0f);
    own.AddWidget(&child1);
    Render(&own);
    // Right: clipping on: the child is cut at the same rectangle; the absolute rectangle is
    // taken in destination pixels.
    DynamicWidget whole(72, 24, quarters.get(), 1.0f);
    whole.mRelClipX1 = 4.0f;
    whole.mRelClipY1 = 4.0f;
    whole.mRelClipX2 = 28.0f;
    whole.mRelClipY2 = 40.0f;
    whole.mAbsClipX2 = 96.0f;
    whole.SetClipping(true);
    DynamicWidget child2(16, 16, quarters.get(), 1.0f);
    whole.AddWidget(&child2);
    Render(&whole, false);
    EXPECT_EQ(PixelAt(8 + 3, 24 + 10), Argb(255, 40, 40, 48));    // left of the clip
    EXPECT_NE(PixelAt(8 + 40, 24 + 40), Argb(255, 40, 40, 48));   // the child outside it
    EXPECT_EQ(PixelAt(72 + 26, 24 + 20), Argb(255, 40, 40, 48));  // past the absolute edge
    EXPECT_EQ(PixelAt(72 + 20, 24 + 42), Argb(255, 40, 40, 48));  // the child below the clip
    ExpectGolden("clipping");
    own.RemoveAllWidgets(false, false);
    whole.RemoveAllWidgets(false, false);
}

TEST_F(DynamicDraw, TransformModeTurnsTheSubtree) {
    auto quarters = MakeQuarters(32);
    DynamicWidget parent(32, 16, nullptr, 1.0f);
    parent.Resize(32, 16, 64, 64);
    DynamicWidget left(0, 16, quarters.get(), 1.0f), right(32, 16, quarters.get(), 1.0f);
    parent.AddWidget(&left);
    parent.AddWidget(&right);
    parent.SetTransformMode(true);
    parent.mAngle = 45.0f;
    parent.PropertiesChanged(kChangedTransform);
    Render(&parent);
    ExpectGolden("transform_mode");
    parent.RemoveAllWidgets(false, false);
}

}  // namespace
