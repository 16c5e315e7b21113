#include "game/board/ArtTiles.h"

#include "core/expr/NamedConstants.h"
#include "core/util/Log.h"
#include "graphics/Color.h"
#include "graphics/FRect.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"
#include "widgets/NameLookups.h"

namespace {

ArtTileSheet gSheet;

}  // namespace

void LoadArtTiles() {
    gSheet = ArtTileSheet();
    gSheet.image = LookupAssetTableA("ArtTiles");
    gSheet.shades = LookupConstant("shades");
    if (gSheet.image == nullptr) {
        LogWarning("The picture-tile sheet \"ArtTiles\" is missing: pictures are not drawn");
        return;
    }
    if (gSheet.shades <= 0) {
        LogWarning("The named constant \"shades\" is %d: pictures are not drawn", gSheet.shades);
        gSheet.shades = 0;
        return;
    }
    gSheet.cols = gSheet.image->GetCols();
    gSheet.rows = gSheet.image->GetRows();
    gSheet.codeCount = gSheet.shades * gSheet.cols;
}

const ArtTileSheet& GetArtTiles() {
    return gSheet;
}

int ArtShadeGrey(int shade, int shades) {
    if (shades <= 0) {
        return 255;
    }
    return ((2 * shades - shade) * 255) / (2 * shades);
}

void DrawArtTile(Graphics* g, float size, int code, int a, int b, int alpha) {
    if (code < 0 || code >= gSheet.codeCount || gSheet.image == nullptr) {
        return;
    }
    const int grey = ArtShadeGrey(code % gSheet.shades, gSheet.shades);
    const int cell = code / gSheet.shades;
    const float cw = static_cast<float>(gSheet.image->GetCelWidth());
    const float ch = static_cast<float>(gSheet.image->GetCelHeight());
    if (cw <= 0.0f) {
        return;
    }
    // The sheet's cells touch: filtered sampling at a cell's rim blends in the neighbour's edge
    // (an empty corner of a round or triangle tile), which showed as a faint seam beside a full
    // tile. One texel of the rim is left out, so every sample stays inside the cell.
    Rect source = gSheet.image->GetCelRect(cell);
    if (source.mWidth > 2 && source.mHeight > 2) {
        source = Rect(source.mX + 1, source.mY + 1, source.mWidth - 2, source.mHeight - 2);
    }
    const float s = size / cw;
    const float cx = size * (static_cast<float>(a) + 0.5f);
    const float cy = size * (static_cast<float>(b) + 0.5f);
    const bool wasColorizing = g->GetColorizeImages();
    const Color previous = g->GetColor();
    g->SetColorizeImages(true);
    g->SetColor(Color(grey, grey, grey, alpha));
    g->DrawImageStretchedSrc(gSheet.image, source,
                             FRect(cx - cw * s * 0.5f, cy - ch * s * 0.5f, cw * s, ch * s));
    g->SetColorizeImages(wasColorizing);
    g->SetColor(previous);
}
