#include "graphics/ImageSurface.h"

#include <algorithm>

#include "core/expr/MainThread.h"
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
    SetSize(width, height);
    mPixels.assign(size_t(mWidth) * size_t(mHeight), 0u);
    mDevice.mMemoryStale = false;
    mDevice.mTextureStale = true;
    // A fresh surface is fully transparent: every cell's bounding box is empty.
    mCelBounds.assign(size_t(GetCelCount()), Rect());
}

void ImageSurface::SetPixels(int width, int height, std::vector<uint32_t> pixels) {
    DeleteTextureData();
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
    return mPixels;
}

std::vector<uint32_t>& ImageSurface::EditPixelData() {
    GetPixelData();
    return mPixels;
}

void ImageSurface::MarkPixelsChanged() {
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
    mRenderTarget = renderTarget;
}
