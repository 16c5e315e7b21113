#pragma once
// An image whose pixels are kept in memory as straight 0xAARRGGBB values, drawn from a GL texture
// that the render device makes lazily on the main thread. A render target is drawn into on the
// GPU; its memory copy is read back on the next pixel access so that GetPixel and hit tests
// see what was drawn. Pixels may be filled on any thread before the surface is first drawn.

#include <cstdint>
#include <vector>

#include "graphics/Color.h"
#include "graphics/Image.h"

class D3DInterface;

class ImageSurface : public Image {
public:
    // Surface flag bits.
    static constexpr uint32_t kSurfaceTessellate = 0x1;  // drawn as a grid of sub-quads
    static constexpr uint32_t kSurfaceWrap = 0x80;       // sampled with wrapping when asked

    explicit ImageSurface(bool renderTarget = false);
    ~ImageSurface() override;

    // Drops texture and pixels and makes a fully transparent surface of the new size.
    void Create(int width, int height);
    // Takes decoded pixels (straight ARGB, row by row); pixels.size() must be width * height.
    void SetPixels(int width, int height, std::vector<uint32_t> pixels);
    // Fills every pixel with a colour (straight).
    void Fill(const Color& color);

    // The memory pixels, read back first when the GPU copy is newer (main thread in that case).
    const std::vector<uint32_t>& GetPixelData() const;
    // Writable pixels; call MarkPixelsChanged after writing so the texture is refreshed.
    std::vector<uint32_t>& EditPixelData();
    void MarkPixelsChanged();
    bool HasPixelData() const { return !mPixels.empty(); }

    // Copies the memory pixels into the texture (main thread; no-op without a device).
    void UploadBits();
    // Frees the texture; the memory pixels stay and the texture is remade on the next draw.
    // Any thread (the GL objects are freed on the main thread).
    void DeleteTextureData();

    bool IsRenderTarget() const { return mRenderTarget; }
    // Makes the surface a render target; the memory pixels become its first content.
    void SetRenderTarget(bool renderTarget);

    uint32_t GetSurfaceFlags() const { return mSurfaceFlags; }
    void SetSurfaceFlags(uint32_t flags) { mSurfaceFlags = flags; }
    void AddSurfaceFlags(uint32_t flags) { mSurfaceFlags |= flags; }

    ImageSurface* GetBaseSurface() const override { return const_cast<ImageSurface*>(this); }

private:
    friend class D3DInterface;

    // GL objects and their freshness; touched by the device on the main thread.
    struct DeviceData {
        uint32_t mTexture = 0;
        uint32_t mFramebuffer = 0;
        int mTexWidth = 0;
        int mTexHeight = 0;
        bool mWrap = false;         // the texture's current wrap mode
        bool mTextureStale = true;  // memory pixels newer than the texture
        bool mMemoryStale = false;  // GPU content newer than the memory pixels
    };

    bool mRenderTarget = false;
    uint32_t mSurfaceFlags = 0;
    mutable std::vector<uint32_t> mPixels;
    mutable DeviceData mDevice;
};
