#include "graphics/Image.h"

#include <algorithm>
#include <cmath>

#include "core/expr/ExprValue.h"
#include "core/expr/LiveObjectRegistry.h"
#include "graphics/ImageAtlasPiece.h"
#include "graphics/ImageSurface.h"

Image::Image() {
    mLiveId = LiveObjectRegistry::RegisterImage(this, this);
}

Image::~Image() {
    LiveObjectRegistry::Unregister(mLiveId);
}

void Image::SetSize(int width, int height) {
    mWidth = std::max(width, 0);
    mHeight = std::max(height, 0);
}

void Image::SetCells(int cols, int rows) {
    mCols = std::max(cols, 1);
    mRows = std::max(rows, 1);
    ComputeCelBounds();
}

Rect Image::GetCelRect(int cell) const {
    int count = GetCelCount();
    cell = std::clamp(cell, 0, count - 1);
    int w = GetCelWidth();
    int h = GetCelHeight();
    return Rect((cell % mCols) * w, (cell / mCols) * h, w, h);
}

uint32_t Image::GetPixel(int x, int y, int cell) const {
    ImageSurface* base = GetBaseSurface();
    if (base == nullptr) {
        return 0;
    }
    Rect cel = GetCelRect(cell);
    if (x < 0 || y < 0 || x >= cel.mWidth || y >= cel.mHeight) {
        return 0;
    }
    const std::vector<uint32_t>& pixels = base->GetPixelData();
    Point off = GetBaseOffset();
    int px = off.mX + cel.mX + x;
    int py = off.mY + cel.mY + y;
    if (px < 0 || py < 0 || px >= base->GetWidth() || py >= base->GetHeight() ||
        pixels.size() != size_t(base->GetWidth()) * size_t(base->GetHeight())) {
        return 0;
    }
    return pixels[size_t(py) * size_t(base->GetWidth()) + size_t(px)];
}

int Image::GetAlpha(int x, int y, int cell) const {
    ImageSurface* base = GetBaseSurface();
    Rect cel = GetCelRect(cell);
    if (base == nullptr || x < 0 || y < 0 || x >= cel.mWidth || y >= cel.mHeight) {
        return 0;
    }
    Point off = GetBaseOffset();
    return base->GetAlphaAt(off.mX + cel.mX + x, off.mY + cel.mY + y);
}

bool Image::IsListEmpty() const {
    ImageSurface* base = GetBaseSurface();
    return base == nullptr || !base->HasPixelData();
}

void Image::ComputeCelBounds() {
    mCelBounds.clear();
    ImageSurface* base = GetBaseSurface();
    if (base == nullptr || !base->HasPixelData() || mWidth <= 0 || mHeight <= 0 ||
        base->IsRenderTarget()) {
        return;
    }
    const int baseWidth = base->GetWidth();
    const Point off = GetBaseOffset();
    if (off.mX < 0 || off.mY < 0 || off.mX + mWidth > baseWidth ||
        off.mY + mHeight > base->GetHeight()) {
        return;
    }
    // Straight from the decoded copy when it is held; otherwise through the alpha plane, so that
    // cutting a piece from a dropped atlas does not bring its whole copy back.
    const bool held = base->HoldsPixels();
    const std::vector<uint32_t>* pixels = held ? &base->GetPixelData() : nullptr;
    if (held && pixels->size() != size_t(baseWidth) * size_t(base->GetHeight())) {
        return;
    }
    int count = GetCelCount();
    mCelBounds.reserve(size_t(count));
    for (int cell = 0; cell < count; ++cell) {
        Rect cel = GetCelRect(cell);
        int left = cel.mWidth, top = cel.mHeight, right = -1, bottom = -1;
        for (int y = 0; y < cel.mHeight; ++y) {
            const int py = off.mY + cel.mY + y;
            const int px = off.mX + cel.mX;
            const uint32_t* row =
                held ? &(*pixels)[size_t(py) * size_t(baseWidth) + size_t(px)] : nullptr;
            for (int x = 0; x < cel.mWidth; ++x) {
                if ((held ? row[x] >> 24 : uint32_t(base->GetAlphaAt(px + x, py))) != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        mCelBounds.push_back(right < 0 ? Rect()
                                       : Rect(left, top, right - left + 1, bottom - top + 1));
    }
}

std::unique_ptr<Image> Image::CreateChild() const {
    ImageSurface* base = GetBaseSurface();
    Point off = GetBaseOffset();
    auto child = std::make_unique<ImageAtlasPiece>(base, Rect(off.mX, off.mY, mWidth, mHeight),
                                                   mCols, mRows);
    child->SetName(mName);
    child->SetFlags(mFlags);
    return child;
}

int Image::GetMaskAlphaAt(int maskCell, const FRect& place, float x, float y) const {
    if (!place.Contains(x, y) || place.mWidth <= 0.0f || place.mHeight <= 0.0f) {
        return 0;
    }
    float mx = (x - place.mX) * float(GetCelWidth()) / place.mWidth;
    float my = (y - place.mY) * float(GetCelHeight()) / place.mHeight;
    return GetAlpha(int(std::floor(mx)), int(std::floor(my)), maskCell);
}

bool Image::GetProperty(const std::string& name, ExprValue* out) const {
    if (name == "name") {
        *out = ExprValue::FromString(mName);
    } else if (name == "cols") {
        *out = ExprValue::FromInt(mCols);
    } else if (name == "rows") {
        *out = ExprValue::FromInt(mRows);
    } else if (name == "frames") {
        *out = ExprValue::FromInt(mCols * mRows);
    } else if (name == "frame_width") {
        *out = ExprValue::FromInt(GetCelWidth());
    } else if (name == "frame_height") {
        *out = ExprValue::FromInt(GetCelHeight());
    } else {
        return ExtendedPropertyInterface::GetProperty(name, out);
    }
    return true;
}
