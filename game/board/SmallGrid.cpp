#include "game/board/SmallGrid.h"

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/data/PlayerState.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace {

// The preview image's name: its size and the current player's game.
std::string SmallGridImageName(int size) {
    const PlayerState* player = GetCurrentPlayerState();
    const std::string game = player != nullptr ? player->mCurrentGameName : std::string();
    return StrFormat("SmallGrid%d_%s", size, game.c_str());
}

}  // namespace

SmallGrid::SmallGrid(int size) : ActiveWidget(0, 0, SmallGridImageName(size), 0), mSize(size) {
    if (mImage == nullptr) {
        LogWarning("Small grid: image \"%s\" is missing", SmallGridImageName(size).c_str());
        return;
    }
    if (size > 0) {
        mCellSize = (mImage->GetCelWidth() - 6.0) / size;
    }
}

void SmallGrid::Draw(Graphics* g) {
    g->Translate(-3.0f, -3.0f);
    ActiveWidget::Draw(g);
    g->Translate(3.0f, 3.0f);
}
