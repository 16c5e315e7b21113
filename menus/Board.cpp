#include "menus/Board.h"

#include "app/GameApp.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/expr/MainThread.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/data/PlayerState.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"

namespace {

GameApp* App() {
    return dynamic_cast<GameApp*>(gApp);
}

}  // namespace

Board::Board() {
    const int width = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int height = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    Resize(0.0f, 0.0f, width, height);
}

Board::~Board() {
    GameApp* app = App();
    if (app != nullptr && app->GetPauseListener() == this) {
        app->SetPauseListener(nullptr);
    }
}

void Board::SetPaused(bool paused) {
    mPaused = paused;
    mDrawPriority = paused ? kPausedOrder : 0;
    mZOrder = paused ? kPausedOrder : 0;
    if (mParent != nullptr && mParent->IsWalkingChildren()) {
        // Restacking under a running walk of the same children would disturb it; the board
        // takes its place before the next update instead.
        const uint32_t liveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, this);
        PostToMainThread([liveId] {
            if (auto* board = dynamic_cast<Board*>(LiveObjectRegistry::ResolveWidget(liveId))) {
                board->Restack();
            }
        });
    } else {
        Restack();
    }
    MarkDirty();
}

void Board::Restack() {
    if (mParent == nullptr) {
        return;
    }
    if (mPaused) {
        mParent->MoveChildToEnd(this);
    } else {
        mParent->MoveChildToStart(this);
    }
    MarkDirty();
}

void Board::Update() {
    // The total is time spent in the game, the paused cover included; a puzzle's own clock is
    // what leaves out the pauses.
    if (BasicPlayerState* state = GetCurrentBasicPlayerState()) {
        state->AddPlayTick();
    }
}

void Board::Draw(Graphics* g) {
    if (!mPaused) {
        return;
    }
    g->SetColor(Color(0, 0, 0, 128));
    g->FillRect(0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight));
    g->SetFont(Fonts::Find("large"));
    g->SetColor(Color(255, 255, 255));
    g->WriteString(LocalizedTexts::Lookup("paused"), static_cast<float>(mWidth / 2),
                   static_cast<float>(mHeight / 2), 0, 0);
}

void Board::AddedToManager(WidgetManager* manager) {
    Widget::AddedToManager(manager);
    if (GameApp* app = App()) {
        app->SetPauseListener(this);
    }
    ShowFirstScreen();
}

void Board::RemovedFromManager(WidgetManager* manager) {
    if (const BasicPlayerState* state = GetCurrentBasicPlayerState()) {
        WriteLogLine(StrFormat("Total play time: %d:%02d:%02d", state->mHours, state->mMinutes,
                               state->mCentiseconds / 100));
    }
    GameApp* app = App();
    if (app != nullptr && app->GetPauseListener() == this) {
        app->SetPauseListener(nullptr);
    }
    Widget::RemovedFromManager(manager);
}
