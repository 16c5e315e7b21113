#pragma once
// The image interface: a named picture of width by height pixels divided into cols x rows equal
// cells (frames), kept on a base surface (the image itself, or an atlas page it is a piece of).
// Images register in the live-object table, so script values that hold one read as none once it
// is gone. An image owned through shared pointers (the asset tables, widgets' own pictures) hands
// a share of itself to whatever else shows it, so it lives as long as anything shows it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/expr/ExtendedPropertyInterface.h"
#include "graphics/FRect.h"
#include "graphics/Point.h"
#include "graphics/Rect.h"

class ImageSurface;

class Image : public ExtendedPropertyInterface, public std::enable_shared_from_this<Image> {
public:
    // Image flag bit 0: the image may be tessellated and crossfaded through a scratch surface.
    static constexpr uint32_t kFlagComposable = 0x1;

    Image();
    ~Image() override;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    const std::string& GetName() const { return mName; }
    void SetName(const std::string& name) { mName = name; }
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetCols() const { return mCols; }
    int GetRows() const { return mRows; }
    // Sets the cell grid; values below 1 count as 1. Recomputes the cell bounding boxes.
    void SetCells(int cols, int rows);
    int GetCelCount() const { return mCols * mRows; }
    int GetCelWidth() const { return mWidth / mCols; }
    int GetCelHeight() const { return mHeight / mRows; }
    // The rectangle of a cell in the image's own pixels; cells out of range are clamped.
    Rect GetCelRect(int cell) const;
    // The bounding box of the visible (alpha > 0) pixels of each cell, relative to the cell;
    // empty when the image keeps no pixels.
    const std::vector<Rect>& GetCelBounds() const { return mCelBounds; }

    uint32_t GetFlags() const { return mFlags; }
    void SetFlags(uint32_t flags) { mFlags = flags; }

    // The surface holding the pixels; null when an atlas piece outlived its page.
    virtual ImageSurface* GetBaseSurface() const = 0;
    // Where this image's (0, 0) lies on the base surface.
    virtual Point GetBaseOffset() const { return Point(); }
    // Straight 0xAARRGGBB of the pixel (x, y) of a cell; 0 outside, or when no pixels are kept.
    // Main thread for render targets (a stale memory copy is read back first).
    uint32_t GetPixel(int x, int y, int cell = 0) const;
    // The alpha (0..255) of the pixel (x, y) of a cell, for hit tests; 0 outside or without
    // pixels. Unlike GetPixel it does not bring a dropped decoded copy back whole.
    int GetAlpha(int x, int y, int cell = 0) const;
    // True when the image keeps no pixels in memory, so pixel hit tests cannot be made.
    bool IsListEmpty() const;

    // A new image, owned by the caller, standing for this image's pixels on the same surface.
    // It draws nothing once the surface is gone.
    virtual std::unique_ptr<Image> CreateChild() const;

    // The alpha (0..255) that a mask cell gives the point (x, y) of an image it is drawn over,
    // the mask cell stretched over the rectangle place (image pixels); 0 outside it.
    int GetMaskAlphaAt(int maskCell, const FRect& place, float x, float y) const;

    // "name", "cols", "rows", "frames", "frame_width", "frame_height". Any thread.
    bool GetProperty(const std::string& name, ExprValue* out) const override;

    uint32_t GetLiveId() const { return mLiveId; }

protected:
    void SetSize(int width, int height);
    void ComputeCelBounds();

    std::string mName;
    int mWidth = 0;
    int mHeight = 0;
    int mCols = 1;
    int mRows = 1;
    uint32_t mFlags = 0;
    std::vector<Rect> mCelBounds;
    uint32_t mLiveId = 0;
};
