#include "game/board/Grid.h"

#include "core/util/Log.h"
#include "game/board/BoardAssets.h"
#include "game/data/GridSettings.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetHost.h"

Grid::Grid(const CellGrid& cells)
    : AnimationWidget(0, 0, FindGridImage("Grid%d_%s", static_cast<int>(cells.size())), 1.0f),
      mCells(cells),
      mSize(static_cast<int>(cells.size())) {
    if (Image* highlight = FindGridImage("G%dTileHighlight_%s", mSize)) {
        mTileSize = highlight->GetWidth();
    }
    if (const GridSettings* settings = FindGridSettings(mSize)) {
        mOffsetX = settings->mOffsetX;
        mOffsetY = settings->mOffsetY;
    } else {
        LogWarning("Grid size %d has no grid settings in game.xml", mSize);
    }
    const int side = mSize * mTileSize;
    WidgetHost* host = GetWidgetHost();
    const int screenHeight = host != nullptr ? host->GetDesignHeight() : 768;
    const int margin = (screenHeight - mOffsetY - side) / 2;
    Resize(static_cast<float>(mOffsetX + margin), static_cast<float>(mOffsetY + margin), side,
           side);
}

void Grid::Draw(Graphics* g) {
    g->Translate(static_cast<float>(-mOffsetX), static_cast<float>(-mOffsetY));
    DynamicWidget::Draw(g);
    g->Translate(static_cast<float>(mOffsetX), static_cast<float>(mOffsetY));
}

bool Grid::Contains(float x, float y) const {
    return Widget::Contains(x, y);
}
