#include "widgets/anim/MissingImage.h"

#include <memory>
#include <set>
#include <vector>

#include "core/util/Log.h"
#include "graphics/ImageSurface.h"

namespace {

constexpr int kSize = 32;
constexpr int kSquare = 8;
constexpr uint32_t kMagenta = 0xFFFF00FFu;
constexpr uint32_t kDark = 0xFF200020u;

}  // namespace

Image* GetMissingImagePlaceholder() {
    static const std::unique_ptr<ImageSurface> placeholder = [] {
        std::vector<uint32_t> pixels(size_t(kSize * kSize));
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const bool odd = ((x / kSquare) + (y / kSquare)) % 2 != 0;
                pixels[size_t(y * kSize + x)] = odd ? kDark : kMagenta;
            }
        }
        auto image = std::make_unique<ImageSurface>();
        image->SetName("missing_image");
        image->SetPixels(kSize, kSize, std::move(pixels));
        return image;
    }();
    return placeholder.get();
}

Image* MissingImageFor(const std::string& name) {
    static std::set<std::string> reported;
    if (reported.insert(name).second) {
        LogWarning("Image \"%s\" is not loaded; a placeholder is shown", name.c_str());
    }
    return GetMissingImagePlaceholder();
}
