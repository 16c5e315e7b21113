#include "game/board/PuzzleIcon.h"

#include <memory>

#include "game/board/ArtGrid.h"
#include "game/board/ArtTiles.h"
#include "game/data/PuzzleRecord.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "widgets/anim/AnimationWidget.h"

PuzzleIcon::PuzzleIcon(int x, int y, const PuzzleRecord& record, bool isNew)
    : DynamicWidget(x, y, nullptr, 1.0f) {
    mWidth = kSide;
    mHeight = kSide;
    Move(mX - kSide / 2.0f, mY - kSide / 2.0f);

    auto surface = std::make_unique<ImageSurface>(true);
    surface->SetName("PuzzleIcon");
    surface->Create(kSide, kSide);
    const CellGrid picture = ArtGrid::SquaredPicture(record);
    const int n = static_cast<int>(picture.size());
    if (n > 0) {
        Graphics g(surface.get());
        g.SetBatching(true);
        g.Translate(static_cast<float>(kInset), static_cast<float>(kInset));
        const float cell = static_cast<float>(kSide - 2 * kInset) / static_cast<float>(n);
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b) {
                DrawArtTile(&g, cell, picture[static_cast<size_t>(a)][static_cast<size_t>(b)], a,
                            b);
            }
        }
        g.Translate(-static_cast<float>(kInset), -static_cast<float>(kInset));
        g.SetBatching(false);
    }
    SetOwnImageCopy(std::move(surface));

    if (isNew) {
        auto* sparkles = new AnimationWidget("new_puzzle_sparkles", 0, 0, false);
        sparkles->GetVariables().Set("width", ExprValue::FromInt(mWidth));
        sparkles->GetVariables().Set("height", ExprValue::FromInt(mHeight));
        AddWidget(sparkles);
    }
}
