// Multiply drawn by the blending unit gives the separable multiply composite over translucent
// destinations too, and soft-light draws that share one copy of the destination give the picture
// they give one by one.

#include <cmath>

#include "support/GLTestSupport.h"

namespace {

class BlendModeTest : public GLTest {};

uint32_t Pack(int a, int r, int g, int b) {
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}
int Channel(uint32_t p, int shift) {
    return int((p >> shift) & 0xFF);
}

// The composite of the backdrop program for multiply, in straight 0..1 colour: the source over
// the destination with the product where both are present.
double Composite(double cs, double as, double cb, double ab) {
    const double s = cs * as;
    const double b = cb * ab;
    return s * (1.0 - ab) + b * (1.0 - as) + as * ab * cs * cb;
}

TEST_F(BlendModeTest, MultiplyOverTranslucentDestinationsIsTheSeparableComposite) {
    const int alphas[] = {0, 64, 128, 200, 255};
    auto source = std::make_unique<ImageSurface>();
    for (int sourceAlpha : alphas) {
        for (int destAlpha : alphas) {
            source->SetPixels(4, 4, std::vector<uint32_t>(16, Pack(sourceAlpha, 200, 100, 30)));
            auto target = MakeTarget(4, 4);
            target->SetPixels(4, 4, std::vector<uint32_t>(16, Pack(destAlpha, 60, 180, 240)));
            target->UploadBits();
            {
                Graphics g(target.get());
                g.SetDrawMode(kDrawMultiply);
                g.DrawImage(source.get(), 0, 0);
            }
            const uint32_t got = target->GetPixel(1, 1);
            const double as = sourceAlpha / 255.0;
            const double ab = destAlpha / 255.0;
            const double alpha = as + ab * (1.0 - as);
            SCOPED_TRACE(testing::Message()
                         << "source alpha " << sourceAlpha << ", destination alpha " << destAlpha);
            EXPECT_NEAR(Channel(got, 24), std::lround(alpha * 255.0), 2);
            if (alpha < 0.2) {
                continue;  // straight colour of a nearly clear pixel is too coarse to compare
            }
            const int source3[] = {200, 100, 30};
            const int dest3[] = {60, 180, 240};
            const int shifts[] = {16, 8, 0};
            for (int c = 0; c < 3; ++c) {
                const double premultiplied =
                    Composite(source3[c] / 255.0, as, dest3[c] / 255.0, ab);
                EXPECT_NEAR(Channel(got, shifts[c]), std::lround(premultiplied / alpha * 255.0), 3)
                    << "channel " << c;
            }
        }
    }
}

TEST_F(BlendModeTest, SoftLightDrawsSharingACopyMatchTheOneByOnePicture) {
    auto sprite = std::make_unique<ImageSurface>();
    std::vector<uint32_t> pixels(16 * 16);
    for (int i = 0; i < 16 * 16; ++i) {
        pixels[size_t(i)] = Pack(255, (i * 7) & 0xFF, (i * 3) & 0xFF, 128);
    }
    sprite->SetPixels(16, 16, pixels);
    auto backdrop = std::make_unique<ImageSurface>();
    std::vector<uint32_t> gradient(64 * 48);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            gradient[size_t(y * 64 + x)] = Pack(255, x * 4, y * 5, 100);
        }
    }
    backdrop->SetPixels(64, 48, gradient);
    // Three apart and one over the first: the copy is shared by the three, then taken again.
    const int places[][2] = {{2, 2}, {24, 4}, {44, 20}, {8, 6}};
    auto draw = [&](bool batched) {
        auto target = MakeTarget(64, 48);
        {
            Graphics g(target.get());
            g.DrawImage(backdrop.get(), 0, 0);
            g.SetBatching(batched);
            g.SetDrawMode(kDrawSoftLight);
            for (const auto& place : places) {
                g.DrawImage(sprite.get(), float(place[0]), float(place[1]));
                if (!batched) {
                    sDevice->Flush();  // each draw sent, with its own copy, before the next
                }
            }
        }
        return target;
    };
    auto oneByOne = draw(false);
    auto shared = draw(true);
    EXPECT_EQ(oneByOne->GetPixelData(), shared->GetPixelData());
}

}  // namespace
