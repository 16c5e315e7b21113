#include "graphics/ImageAtlasPiece.h"

#include "core/expr/LiveObjectRegistry.h"
#include "graphics/ImageSurface.h"

ImageAtlasPiece::ImageAtlasPiece(const ImageSurface* page, const Rect& rect, int cols, int rows)
    : mRect(rect) {
    if (page != nullptr) {
        mPageId = page->GetLiveId();
        // Keep the piece inside its page so that no draw or pixel read leaves the page.
        mRect = rect.Intersection(Rect(0, 0, page->GetWidth(), page->GetHeight()));
    }
    SetSize(mRect.mWidth, mRect.mHeight);
    SetCells(cols, rows);
}

ImageSurface* ImageAtlasPiece::GetBaseSurface() const {
    if (mPageId == 0) {
        return nullptr;
    }
    return static_cast<ImageSurface*>(LiveObjectRegistry::ResolveImage(mPageId));
}
