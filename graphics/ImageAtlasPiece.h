#pragma once
// A rectangle of an atlas page drawn as an image of its own. The piece does not own the page:
// it finds it through the live-object table on every use, so a piece that outlives its page
// draws nothing instead of reading freed memory.

#include "graphics/Image.h"

class ImageAtlasPiece : public Image {
public:
    // rect is in the page's pixels; cols and rows divide it into cells.
    ImageAtlasPiece(const ImageSurface* page, const Rect& rect, int cols = 1, int rows = 1);

    ImageSurface* GetBaseSurface() const override;
    Point GetBaseOffset() const override { return Point(mRect.mX, mRect.mY); }
    const Rect& GetPieceRect() const { return mRect; }

private:
    uint32_t mPageId = 0;
    Rect mRect;
};
