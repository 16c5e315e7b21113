#include "graphics/ImageSurface.h"

#include <algorithm>
#include <cassert>

#include "core/expr/MainThread.h"
#include "core/util/Log.h"
#include "graphics/D3DInterface.h"

ImageSurface::ImageSurface(bool renderTarget) : mRenderTarget(renderTarget) {
    if (D3DInterface* device = D3DInterface::Get()) {
        device->RegisterSurface(this);
    }
}

ImageSurface::~ImageSurface() {
    if (D3DInterface* device = D3DInterface::Get()) {
        device->UnregisterSurface(this);
    }
}

void ImageSurface::Create(int width, int height) {
    DeleteTextureData();
    DropSource();
    SetSize(width, height);
    mPixels.assign(size_t(mWidth) * size_t(mHeight), 0u);
    mDevice.mMemoryStale = false;
    mDevice.mTextureStale = true;
    // A fresh surface is fully transparent: every cell's bounding box is empty.
    mCelBounds.assign(size_t(GetCelCount()), Rect());
}

void ImageSurface::SetPixels(int width, int height, std::vector<uint32_t> pixels) {
    DeleteTextureData();
    DropSource();
    SetSize(width, height);
    if (pixels.size() != size_t(mWidth) * size_t(mHeight)) {
        pixels.assign(size_t(mWidth) * size_t(mHeight), 0u);
    }
    mPixels = std::move(pixels);
    mDevice.mMemoryStale = false;
    mDevice.mTextureStale = true;
    SetCells(mCols, mRows);
}

void ImageSurface::Fill(const Color& color) {
    Color c = color;
    if (c.mPremultiplied && c.mAlpha > 0) {
        // Memory pixels are straight: undo the premultiplication.
        c.mRed = std::min(255, c.mRed * 255 / c.mAlpha);
        c.mGreen = std::min(255, c.mGreen * 255 / c.mAlpha);
        c.mBlue = std::min(255, c.mBlue * 255 / c.mAlpha);
    }
    uint32_t value = c.mAlpha == 0 ? 0u : c.ToARGB();
    DropSource();
    mPixels.assign(size_t(mWidth) * size_t(mHeight), value);
    mDevice.mMemoryStale = false;
    mDevice.mTextureStale = true;
    ComputeCelBounds();
}

const std::vector<uint32_t>& ImageSurface::GetPixelData() const {
    if (mDevice.mMemoryStale && IsMainThread()) {
        if (D3DInterface* device = D3DInterface::Get()) {
            device->ReadBackPixels(const_cast<ImageSurface*>(this));
        }
    }
    if (mPixels.empty() && mSource && !mRenderTarget) {
        ReloadPixels();
        // A reader of the whole picture after its upload (a copy, a saved file) may come back:
        // keep what it read.
        mKeepPixels = true;
    }
    return mPixels;
}

std::vector<uint32_t>& ImageSurface::EditPixelData() {
    GetPixelData();
    DropSource();
    return mPixels;
}

void ImageSurface::MarkPixelsChanged() {
    DropSource();
    mDevice.mTextureStale = true;
    mDevice.mMemoryStale = false;
}

void ImageSurface::UploadBits() {
    if (D3DInterface* device = D3DInterface::Get(); device != nullptr && IsMainThread()) {
        device->UploadBits(this);
    } else {
        mDevice.mTextureStale = true;
    }
}

void ImageSurface::DeleteTextureData() {
    if (mDevice.mTexture == 0 && mDevice.mFramebuffer == 0) {
        return;
    }
    if (mDevice.mMemoryStale) {
        // Keep what was drawn into a render target before its texture goes.
        GetPixelData();
    }
    if (D3DInterface* device = D3DInterface::Get()) {
        device->UnregisterSurface(this);
        device->RegisterSurface(this);
    }
}

void ImageSurface::SetRenderTarget(bool renderTarget) {
    assert((!renderTarget || !mWhiteCoverage) &&
           "a white-coverage surface (a glyph page) is never drawn into");
    if (renderTarget) {
        GetPixelData();
        DropSource();
    }
    mRenderTarget = renderTarget;
}

void ImageSurface::SetWhiteCoverage(bool whiteCoverage) {
    assert((!whiteCoverage || !mRenderTarget) &&
           "a render target cannot be a white-coverage surface: it is drawn into");
    mWhiteCoverage = whiteCoverage;
}

int ImageSurface::GetAlphaAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
        return 0;
    }
    const size_t index = size_t(y) * size_t(mWidth) + size_t(x);
    if (mRenderTarget || !mPixels.empty() || !mSource) {
        const std::vector<uint32_t>& pixels = mRenderTarget ? GetPixelData() : mPixels;
        return index < pixels.size() ? int(pixels[index] >> 24) : 0;
    }
    if (mAlpha.empty()) {
        // A quarter of the decoded copy, made once for images that are hit-tested.
        ReloadPixels();
        mAlpha.resize(mPixels.size());
        std::transform(mPixels.begin(), mPixels.end(), mAlpha.begin(),
                       [](uint32_t p) { return uint8_t(p >> 24); });
        std::vector<uint32_t>().swap(mPixels);
    }
    return index < mAlpha.size() ? mAlpha[index] : 0;
}

void ImageSurface::SetPixelSource(PixelSource source) {
    mSource = std::move(source);
    mKeepPixels = false;
    mAlpha.clear();
}

void ImageSurface::ReleaseMemory() {
    DeleteTextureData();
    if (mSource && !mRenderTarget) {
        std::vector<uint32_t>().swap(mPixels);
        std::vector<uint8_t>().swap(mAlpha);
        mKeepPixels = false;
    }
}

void ImageSurface::ReloadPixels() const {
    std::vector<uint32_t> pixels;
    const size_t count = size_t(mWidth) * size_t(mHeight);
    if (!mSource(mWidth, mHeight, &pixels) || pixels.size() != count) {
        LogWarning("Image '%s' could not be decoded again; it stays transparent", mName.c_str());
        pixels.assign(count, 0u);
    }
    mPixels = std::move(pixels);
}

void ImageSurface::DropSource() {
    mSource = nullptr;
    mWhiteCoverage = false;
    mKeepPixels = false;
    std::vector<uint8_t>().swap(mAlpha);
}
