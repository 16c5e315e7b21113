#include "widgets/anim/CursorPicture.h"

#include <algorithm>
#include <cmath>

#include "graphics/Image.h"
#include "widgets/anim/DynamicWidget.h"

namespace {

// Larger pictures are no pointer: window systems refuse or crop them.
constexpr int kMaxSide = 256;

struct Layer {
    Image* image;
    int frame;
    int x;
    int y;
    float opacity;
};

void CollectLayers(const Widget& widget, int x, int y, bool root, std::vector<Layer>* out) {
    if (!root && !widget.mVisible) {
        return;
    }
    if (const auto* dynamic = dynamic_cast<const DynamicWidget*>(&widget)) {
        Image* image = dynamic->GetImage();
        if (image != nullptr && dynamic->mOpacity > 0.0f && image->GetCelWidth() > 0 &&
            image->GetCelHeight() > 0) {
            out->push_back(
                {image, dynamic->mFrames.mFrame, x, y, std::min(dynamic->mOpacity, 1.0f)});
        }
    }
    for (const Widget* child : widget.GetChildren()) {
        CollectLayers(*child, x + static_cast<int>(std::lround(child->mX)),
                      y + static_cast<int>(std::lround(child->mY)), false, out);
    }
}

// Straight-alpha "over": src laid on dst.
uint32_t Over(uint32_t dst, uint32_t src, float opacity) {
    const float sa = static_cast<float>(src >> 24) / 255.0f * opacity;
    if (sa <= 0.0f) {
        return dst;
    }
    const float da = static_cast<float>(dst >> 24) / 255.0f;
    const float oa = sa + da * (1.0f - sa);
    uint32_t result = static_cast<uint32_t>(std::lround(oa * 255.0f)) << 24;
    for (int shift : {16, 8, 0}) {
        const float s = static_cast<float>((src >> shift) & 0xFF);
        const float d = static_cast<float>((dst >> shift) & 0xFF);
        const float c = (s * sa + d * da * (1.0f - sa)) / oa;
        result |= static_cast<uint32_t>(std::clamp(std::lround(c), 0L, 255L)) << shift;
    }
    return result;
}

}  // namespace

CursorPicture CursorPicture::FromWidget(const Widget& widget) {
    std::vector<Layer> layers;
    CollectLayers(widget, 0, 0, true, &layers);
    CursorPicture picture;
    if (layers.empty()) {
        return picture;
    }
    int left = layers[0].x;
    int top = layers[0].y;
    int right = left;
    int bottom = top;
    for (const Layer& layer : layers) {
        left = std::min(left, layer.x);
        top = std::min(top, layer.y);
        right = std::max(right, layer.x + layer.image->GetCelWidth());
        bottom = std::max(bottom, layer.y + layer.image->GetCelHeight());
    }
    if (right - left > kMaxSide || bottom - top > kMaxSide) {
        return picture;
    }
    const int width = right - left;
    const int height = bottom - top;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    bool any = false;
    for (const Layer& layer : layers) {
        const int w = layer.image->GetCelWidth();
        const int h = layer.image->GetCelHeight();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t src = layer.image->GetPixel(x, y, layer.frame);
                if ((src >> 24) == 0) {
                    continue;
                }
                uint32_t& dst = pixels[static_cast<size_t>(layer.y - top + y) * width +
                                       static_cast<size_t>(layer.x - left + x)];
                dst = Over(dst, src, layer.opacity);
                any = true;
            }
        }
    }
    if (!any) {
        return picture;
    }
    picture.mPixels = std::move(pixels);
    picture.mWidth = width;
    picture.mHeight = height;
    // The widget's origin is where it would be drawn at the pointer.
    picture.mHotX = std::clamp(-left, 0, width - 1);
    picture.mHotY = std::clamp(-top, 0, height - 1);
    return picture;
}
