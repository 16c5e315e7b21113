#include "game/board/PlayArtGrid.h"

#include "game/board/ArtTiles.h"
#include "game/board/PlayGridHost.h"
#include "game/board/PlayTileGrid.h"
#include "game/data/PuzzleRecord.h"
#include "graphics/Graphics.h"
#include "rules/CRandShuffle.h"
#include "widgets/NameLookups.h"

PlayArtGrid::PlayArtGrid(const PuzzleRecord& record, PlayTileGrid* playGrid) : ArtGrid(record) {
    mFadeLength = LookupConstant("art_reveal_speed");
    const int delay = LookupConstant("art_reveal_delay");
    if (playGrid != nullptr) {
        Move(playGrid->mX, playGrid->mY);
    }
    mPlayGrid.Set(playGrid);
    const int count = mSize * mSize;
    mRevealSteps.resize(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        mRevealSteps[static_cast<size_t>(k)] = (20 * (k + 1)) / mSize + delay;
    }
    mEndStep = mFadeLength + (count > 0 ? mRevealSteps.back() : delay);
    CRandShuffle(mRevealSteps);
}

int PlayArtGrid::GetRevealStep(int a, int b) const {
    if (a < 0 || b < 0 || a >= mSize || b >= mSize) {
        return 0;
    }
    return mRevealSteps[static_cast<size_t>(a * mSize + b)];
}

int PlayArtGrid::GetTileAlpha(int a, int b) const {
    const int age = mStep - GetRevealStep(a, b);
    if (age <= 0) {
        return 0;
    }
    // A fade length of 0 or less shows the tile at once instead of dividing by it.
    if (age <= mFadeLength) {
        return age * 255 / mFadeLength;
    }
    return 255;
}

bool PlayArtGrid::StepArtReveal() {
    if (mStep <= mEndStep) {
        return false;
    }
    if (!mFadeStarted) {
        mFadeStarted = true;
        if (PlayTileGrid* grid = mPlayGrid.Get()) {
            grid->FadeTiles();
        }
    }
    return true;
}

void PlayArtGrid::Update() {
    ArtGrid::Update();
    // Once every tile is whole the picture stands still; redrawing it on every update kept the
    // level-complete page painting a frame each update for as long as the player read it.
    if (mStep <= mEndStep) {
        ++mStep;
        MarkDirty();
    }
}

bool PlayArtGrid::HasScheduledWork() const {
    return mStep <= mEndStep || ScriptHasScheduledWork();
}

void PlayArtGrid::Draw(Graphics* g) {
    const bool wasBatching = g->GetBatching();
    g->SetBatching(true);
    const float tile = static_cast<float>(mTileSize);
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            const int alpha = GetTileAlpha(a, b);
            if (alpha > 0) {
                DrawArtTile(g, tile, GetCode(a, b), a, b, alpha);
            }
        }
    }
    g->SetBatching(wasBatching);
}
