#pragma once
// An image whose pixels are kept in memory as straight 0xAARRGGBB values, drawn from a GL texture
// that the render device makes lazily on the main thread. A render target is drawn into on the
// GPU; its memory copy is read back on the next pixel access so that GetPixel and hit tests
// see what was drawn. Pixels may be filled on any thread before the surface is first drawn.
//
// A surface decoded from a file can say how to decode it again (SetPixelSource): it then drops
// its memory pixels once they are in the texture, and the device may drop an unused texture
// too. Whatever reads the pixels afterwards gets them decoded again (and kept from then on);
// hit tests keep only an alpha plane. After the first draw, pixel reads are main-thread only.

#include <cstdint>
#include <functional>
#include <vector>

#include "graphics/Color.h"
#include "graphics/Image.h"

class D3DInterface;

class ImageSurface : public Image {
public:
    // Surface flag bits.
    static constexpr uint32_t kSurfaceTessellate = 0x1;  // drawn as a grid of sub-quads
    static constexpr uint32_t kSurfaceWrap = 0x80;       // sampled with wrapping when asked

    // Decodes the surface's pixels again: fills pixels with width * height straight ARGB values.
    // False when the file can no longer be read (the caller then sees a transparent surface).
    using PixelSource = std::function<bool(int width, int height, std::vector<uint32_t>* pixels)>;

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
    // True when pixels are in memory or can be decoded again from the source.
    bool HasPixelData() const { return !mPixels.empty() || static_cast<bool>(mSource); }
    // True when the decoded copy is in memory now (false once dropped after upload).
    bool HoldsPixels() const { return !mPixels.empty(); }
    // The alpha (0..255) of the surface pixel (x, y), for hit tests: from the memory pixels when
    // held, else from an alpha plane decoded once from the source. 0 outside or without pixels.
    int GetAlphaAt(int x, int y) const;

    // Sets how the pixels can be had again after they are dropped; the current pixels must be
    // what the source gives. Any thread before the first draw.
    void SetPixelSource(PixelSource source);
    bool HasPixelSource() const { return static_cast<bool>(mSource); }
    // Drops the texture and, when a source can give them back, the memory pixels (an image no
    // longer shown). Main thread.
    void ReleaseMemory();

    // Copies the memory pixels into the texture (main thread; no-op without a device).
    void UploadBits();
    // Frees the texture; the memory pixels stay and the texture is remade on the next draw.
    // Any thread (the GL objects are freed on the main thread).
    void DeleteTextureData();

    bool IsRenderTarget() const { return mRenderTarget; }
    // Makes the surface a render target; the memory pixels become its first content. Never a
    // white-coverage surface.
    void SetRenderTarget(bool renderTarget);

    // Says that every pixel is straight white with its coverage as alpha (a glyph page): the
    // texture then keeps the coverage alone, a quarter of the memory, and is sampled as the same
    // premultiplied colour. Set by the maker after filling the pixels; writing pixels drops it.
    // Never on a render target.
    void SetWhiteCoverage(bool whiteCoverage);
    bool IsWhiteCoverage() const { return mWhiteCoverage; }

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
        bool mWrap = false;          // the texture's current wrap mode
        bool mOneChannel = false;    // the texture holds the coverage alone
        bool mTextureStale = true;   // memory pixels newer than the texture
        bool mMemoryStale = false;   // GPU content newer than the memory pixels
        bool mUsed = false;          // drawn since the device last looked
        uint64_t mLastUseMs = 0;     // when the device last saw it drawn (0: not yet looked at)
        uint64_t mLastUseFrame = 0;  // the frame that last drew it
    };

    // Fills mPixels from the source (transparent when it fails). Main thread after first draw.
    void ReloadPixels() const;
    // Forgets the source and the white-coverage mark: the pixels no longer match either.
    void DropSource();
    // True when the memory pixels may go once the texture holds them.
    bool MayDropPixels() const { return mSource && !mKeepPixels && !mRenderTarget; }

    bool mRenderTarget = false;
    bool mWhiteCoverage = false;
    uint32_t mSurfaceFlags = 0;
    mutable std::vector<uint32_t> mPixels;
    mutable DeviceData mDevice;
    PixelSource mSource;
    mutable bool mKeepPixels = false;     // something read the pixels: keep them from then on
    mutable std::vector<uint8_t> mAlpha;  // hit-test plane of a surface without memory pixels
};
