#include "game/board/PlayTileGrid.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "app/QuorAppBase.h"
#include "core/expr/NamedConstants.h"
#include "core/util/Log.h"
#include "core/util/Random.h"
#include "core/util/StringUtil.h"
#include "game/board/BoardAssets.h"
#include "game/board/PlayGridHost.h"
#include "game/board/TrailWidget.h"
#include "game/data/GridSettings.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetHost.h"

namespace {

const PuzzleRecord& FindRecord(const std::string& game, const PuzzleId& id) {
    static const PuzzleRecord empty;
    const PuzzleRecord* record = FindPuzzle(game, id);
    if (record == nullptr) {
        LogWarning("No puzzle %d of set %d, mode %d of game \"%s\"", id.mIndex, id.mSet, id.mMode,
                   game.c_str());
        return empty;
    }
    return *record;
}

int AllowedMistakes(int size) {
    const GridSettings* settings = FindGridSettings(size);
    return settings != nullptr ? settings->mMistakes : 0;
}

float ConstantFloat(const char* name) {
    return static_cast<float>(GetConstantValue(name).AsReal());
}

// The image of a tile kind: what the cell turned out to be, and the miss mark of a mistake.
const char* TileImageFormat(const std::string& kind) {
    return kind == "solid" || kind == "invalid_solid" ? "G%dTileSolid_%s" : "G%dTileMark_%s";
}

}  // namespace

PlayTileGrid::PlayTileGrid(const std::string& game, const PuzzleId& id)
    : TileGrid(FindRecord(game, id),
               AllowedMistakes(static_cast<int>(FindRecord(game, id).mSolution.size()))) {
    mTileWidgets.assign(mSize, std::vector<WeakWidget<AnimationWidget>>(mSize));
    mRevealHighlight = FindGridImage("G%dTileHighlight_%s", mSize);
    mMarkHighlight = FindGridImage("G%dMarkHighlight_%s", mSize);
    mCursorHighlight = FindGridImage("G%dCursorHighlight_%s", mSize);
    mNumbers = FindBoardImage("GridNumbers");
    mHighlightColor =
        Color(LookupConstant("highlight_color_red"), LookupConstant("highlight_color_green"),
              LookupConstant("highlight_color_blue"), LookupConstant("highlight_color_alpha"));
    const int k = std::max(1, std::min(LookupConstant("max_number_count"), (mSize + 1) / 2));
    mNumberWidth = std::min(mTileSize, mOffsetX / k);
    mNumberHeight = std::min(mTileSize, mOffsetY / k);
    mMaxSparkles = LookupConstant("max_trails_count");
    mMouseVisible = true;
    // The tiles take the pointer wherever the background picture is transparent.
    SetCheckPixels(false);
    GetVariables().Set("c_device", ExprValue::FromString(CurrentDeviceWord()));
    SetDisabled(true);
}

PlayTileGrid::~PlayTileGrid() = default;

void PlayTileGrid::SetMeters(HintMeter* hintMeter, MistakeMeter* mistakeMeter) {
    mHintMeter.Set(hintMeter);
    mMistakeMeter.Set(mistakeMeter);
}

void PlayTileGrid::SetHost(PlayGridHost* host) {
    mHost.Set(host);
}

void PlayTileGrid::SetCursorWidgets(Widget* revealCursor, Widget* markCursor) {
    mCursors[0].Set(revealCursor);
    mCursors[1].Set(markCursor);
}

AnimationWidget* PlayTileGrid::GetTileWidget(int a, int b) const {
    if (!mModel->IsInside(a, b)) {
        return nullptr;
    }
    return mTileWidgets[a][b].Get();
}

// --- start of play ---

void PlayTileGrid::ResolveEmptyLines() {
    for (const CellPos& cell : mModel->ResolveEmptyLines()) {
        StartTileAnimation(cell.a, cell.b, "init_hole", 0);
    }
}

void PlayTileGrid::CreateClueNumbers() {
    const int perRow = mNumbers != nullptr ? std::max(1, mNumbers->GetCols()) : 25;
    const int sheetRow = mSize > 15 ? 5 : 1;
    const ClueLists& clues = GetClues();
    for (int kind = 0; kind < 2; ++kind) {
        const std::vector<ClueLine>& lines = kind == 0 ? clues.columns : clues.rows;
        for (int i = 0; i < mSize; ++i) {
            const int m = static_cast<int>(lines[i].size());
            for (int j = 0; j < m; ++j) {
                const FPoint at = CluePosition(kind, i, j, m);
                const float x = at.mX, y = at.mY;
                auto* number = new AnimationWidget("intro_number", 0, 0, false);
                number->SetImage(mNumbers);
                VariableTable& vars = number->GetVariables();
                vars.Set("x", ExprValue::FromFloat(x));
                vars.Set("y", ExprValue::FromFloat(y));
                vars.Set("frame", ExprValue::FromInt(sheetRow * perRow + lines[i][j].run - 1));
                vars.Set("delay", ExprValue::FromInt(Rand(150) + 10));
                number->SetFrame(sheetRow * perRow + lines[i][j].run - 1);
                number->Move(x, y);
                AnimationListener::ListenTo(number);
                mClueNumbers.emplace_back(number);
                mFlyingNumbers.insert(number->mId);
                mTracked[number->mId].Set(number);
                AddWidget(number);
            }
        }
    }
    SetDisabled(true);
    if (mFlyingNumbers.empty()) {
        OnTileAnimationDone(0);
    }
}

// --- acting on cells ---

bool PlayTileGrid::IsActionAllowed(int a, int b, int bit) {
    (void)a, (void)b;
    return (mModel->GetAction() & bit) != 0;
}

void PlayTileGrid::ActOnCell(int a, int b, int& delay) {
    if (!mModel->IsInside(a, b) || mModel->IsResolved(a, b)) {
        return;
    }
    int action;
    if (IsActionAllowed(a, b, PlayModel::kReveal)) {
        action = PlayModel::kReveal;
    } else if (IsActionAllowed(a, b, PlayModel::kMark)) {
        action = PlayModel::kMark;
    } else {
        return;
    }
    mModel->SetAction(action);
    const PlayModel::Outcome outcome = mModel->Apply(a, b, action);
    const CellPos centre = CellCentreInParent(a, b);
    std::string kind;
    TrailWidget* trail = nullptr;
    bool hintTrail = false;
    HintMeter* hintMeter = mHintMeter.Get();
    MistakeMeter* mistakeMeter = mMistakeMeter.Get();
    const bool mistake =
        outcome == PlayModel::Outcome::kRevealedHole || outcome == PlayModel::Outcome::kMarkedSolid;
    switch (outcome) {
        case PlayModel::Outcome::kRevealedSolid:
            kind = "solid";
            if (hintMeter != nullptr) {
                const Point target = hintMeter->GetTrailTarget();
                trail = new TrailWidget("revealed_tile", centre.a, centre.b, target.mX, target.mY,
                                        delay);
                mHintTrails.insert(trail->mId);
                hintTrail = true;
            }
            break;
        case PlayModel::Outcome::kRevealedHole:
            kind = "invalid_hole";
            break;
        case PlayModel::Outcome::kMarkedHole:
            kind = "hole";
            break;
        case PlayModel::Outcome::kMarkedSolid:
            kind = "invalid_solid";
            break;
        case PlayModel::Outcome::kNothing:
            return;
    }
    if (mistake) {
        if (mistakeMeter != nullptr) {
            const Point target = mistakeMeter->GetMarkTarget(mModel->GetMistakes() - 1);
            trail = new TrailWidget(outcome == PlayModel::Outcome::kRevealedHole
                                        ? "incorrectly_revealed_hole"
                                        : "incorrectly_revealed_tile",
                                    centre.a, centre.b, target.mX, target.mY, delay);
            mMistakeTrails.insert(trail->mId);
        }
        PlayerState* player = GetCurrentPlayerState();
        if (mModel->GetMistakes() < mModel->GetAllowedMistakes() && player != nullptr &&
            !player->mMadeMistake) {
            player->mMadeMistake = true;
            ShowBoardNotice("mistake_intro", "menu");
        }
    }
    StartTileAnimation(a, b, kind, delay);
    if (trail != nullptr) {
        LaunchTrail(trail, hintTrail);
    }
    delay += 11;
    CheckEnd();
}

void PlayTileGrid::CheckEnd() {
    if (mEnded || mModel->IsPlaying()) {
        return;
    }
    mEnded = true;
    SetDisabled(true);
    if (PlayGridHost* host = mHost.Get()) {
        host->ClearToolHighlights();
    }
}

bool PlayTileGrid::IsLost() {
    if (mLost) {
        return true;
    }
    if (mModel->GetMistakes() < mModel->GetAllowedMistakes() || !mMistakeTrails.empty()) {
        return false;
    }
    // Without a meter to watch, the used-up mistakes decide alone.
    MistakeMeter* meter = mMistakeMeter.Get();
    mLost = meter == nullptr || meter->GetShownMarks() >= meter->GetAllowedMistakes();
    return mLost;
}

void PlayTileGrid::StartTileAnimation(int a, int b, const std::string& kind, int delay) {
    auto* tile = new AnimationWidget("tile_" + kind, a * mTileSize + mTileSize / 2,
                                     b * mTileSize + mTileSize / 2, false);
    VariableTable& vars = tile->GetVariables();
    vars.Set("delay", ExprValue::FromInt(delay));
    vars.Set("dim", ExprValue::FromInt(mSize));
    vars.Set("c_device", ExprValue::FromString(CurrentDeviceWord()));
    AnimationListener::ListenTo(tile);
    AddWidget(tile);
    // The tile's pictures are script objects, so that fading and the collapse find them.
    auto addPicture = [&](const char* name, const char* format) {
        auto* picture = new DynamicWidget(0, 0, FindGridImage(format, mSize), 1.0f);
        picture->Move(-mTileSize / 2.0f, -mTileSize / 2.0f);
        tile->RegisterObject(name, picture);
    };
    addPicture("tile", TileImageFormat(kind));
    if (kind == "invalid_hole" || kind == "invalid_solid") {
        addPicture("markmiss", "G%dTileMiss_%s");
    }
    mTileAnimations.insert(tile->mId);
    mTracked[tile->mId].Set(tile);
    mTileWidgets[a][b].Set(tile);
}

void PlayTileGrid::LaunchTrail(TrailWidget* trail, bool hintTrail) {
    if (hintTrail) {
        const bool sparkles = mSparkles < mMaxSparkles;
        trail->GetVariables().Set("show_sparkles", ExprValue::FromBool(sparkles));
        if (sparkles) {
            ++mSparkles;
        }
    }
    AnimationListener::ListenTo(trail);
    mTracked[trail->mId].Set(trail);
    WidgetContainer* layer = nullptr;
    if (PlayGridHost* host = mHost.Get()) {
        layer = host->GetTrailLayer();
    }
    if (layer == nullptr) {
        layer = GetParent() != nullptr ? GetParent() : static_cast<WidgetContainer*>(this);
    }
    layer->AddWidget(trail);
}

CellPos PlayTileGrid::CellCentreInParent(int a, int b) const {
    return {static_cast<int>(mX) + a * mTileSize + mTileSize / 2,
            static_cast<int>(mY) + b * mTileSize + mTileSize / 2};
}

int PlayTileGrid::RevealHintTiles(int sx, int sy, int count) {
    int delay = 0;
    const std::vector<CellPos> cells =
        mModel->ChooseHintCells(count, [this](int a, int b) { return MayHintReveal(a, b); });
    for (const CellPos& cell : cells) {
        const CellPos centre = CellCentreInParent(cell.a, cell.b);
        auto* trail = new TrailWidget("revealed_tile", sx, sy, centre.a, centre.b, delay);
        mHintRevealTrails[trail->mId] = cell;
        LaunchTrail(trail, true);
        delay += 11;
    }
    return static_cast<int>(cells.size());
}

void PlayTileGrid::OnTrailArrived(uint32_t id) {
    if (mHintTrails.erase(id) > 0) {
        if (HintMeter* meter = mHintMeter.Get()) {
            meter->AddFill(1);
        }
        mSparkles = std::max(0, mSparkles - 1);
    } else if (mMistakeTrails.erase(id) > 0) {
        if (MistakeMeter* meter = mMistakeMeter.Get()) {
            meter->AdvanceMark();
        }
    } else if (auto it = mHintRevealTrails.find(id); it != mHintRevealTrails.end()) {
        const CellPos cell = it->second;
        mHintRevealTrails.erase(it);
        // The hint's own reveal sends no trail back to the meter.
        const WeakWidget<HintMeter> meter = mHintMeter;
        mHintMeter.Clear();
        const int saved = mModel->GetAction();
        mModel->SetAction(PlayModel::kReveal);
        int delay = 0;
        ActOnCell(cell.a, cell.b, delay);
        // A hint that ended the game leaves no stroke to go on with.
        mModel->SetAction(mModel->IsPlaying() ? saved : PlayModel::kNoAction);
        mHintMeter = meter;
        mSparkles = std::max(0, mSparkles - 1);
    }
}

void PlayTileGrid::AnimationEnded(uint32_t id) {
    // Only a widget leaving the tree has ended: a property set at once also reports an ending.
    if (auto it = mTracked.find(id); it != mTracked.end()) {
        Widget* widget = it->second.Get();
        if (widget != nullptr && widget->GetParent() != nullptr) {
            return;
        }
        mTracked.erase(it);
    }
    if (mHintTrails.count(id) != 0 || mMistakeTrails.count(id) != 0 ||
        mHintRevealTrails.count(id) != 0) {
        OnTrailArrived(id);
        return;
    }
    // A tile or number removed before it settled no longer counts as running.
    if (mTileAnimations.count(id) != 0 || mFlyingNumbers.count(id) != 0) {
        OnTileAnimationDone(id);
        return;
    }
    AnimationWidget::AnimationEnded(id);
}

void PlayTileGrid::AnimationPersisted(uint32_t id) {
    OnTileAnimationDone(id);
}

void PlayTileGrid::OnTileAnimationDone(uint32_t id) {
    if (mTileAnimations.erase(id) > 0) {
        return;
    }
    if (mFlyingNumbers.erase(id) == 0 && id != 0) {
        return;
    }
    if (!mFlyingNumbers.empty()) {
        return;
    }
    for (auto& number : mClueNumbers) {
        if (AnimationWidget* widget = number.Get()) {
            widget->MarkForRemoval();
        }
    }
    mClueNumbers.clear();
    mNumberOpacity = 1.0f;
    SetDisabled(false);
    MarkDirty();
}

void PlayTileGrid::AnimationEvent(uint32_t id, const std::string& message) {
    if (message == "explode") {
        Explode();
        return;
    }
    AnimationWidget::AnimationEvent(id, message);
}

// --- the end ---

void PlayTileGrid::StartMistakeExplosion() {
    mFading = true;
    if (MistakeMeter* meter = mMistakeMeter.Get()) {
        mExplosion.Set(meter->SpawnExplosion(this));
    }
}

void PlayTileGrid::Explode() {
    mRestX = static_cast<int>(mX);
    mRestY = static_cast<int>(mY);
    mVelocityX = -ConstantFloat("explosion_grid_speed_horiz");
    mVelocityY = -ConstantFloat("explosion_grid_speed_vert");
    mSpringX = ConstantFloat("explosion_grid_spring_horiz");
    mSpringY = ConstantFloat("explosion_grid_spring_vert");
    mDamping = ConstantFloat("explosion_grid_dampening");
    mSpringActive = true;
    PlayGridHost* host = mHost.Get();
    WidgetHost* widgetHost = GetWidgetHost();
    const float screenHeight =
        static_cast<float>(widgetHost != nullptr ? widgetHost->GetDesignHeight() : 768);
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            AnimationWidget* tile = mTileWidgets[a][b].Get();
            if (tile == nullptr || !mModel->IsSolid(a, b)) {
                continue;
            }
            const ExprValue* value = tile->GetVariables().Find("tile");
            auto* picture =
                value != nullptr ? dynamic_cast<DynamicWidget*>(value->AsObject()) : nullptr;
            if (picture != nullptr && host != nullptr) {
                const FPoint at = picture->LocalToGlobal();
                auto* thrown = new DynamicWidget(static_cast<int>(at.mX), static_cast<int>(at.mY),
                                                 picture->GetImage(), 1.0f);
                thrown->SetFrame(picture->mFrames.mFrame);
                const float side = Rand(2) == 0 ? -1.0f : 1.0f;
                const float targetX = at.mX + side * (Rand(4) + 4) * 25.0f;
                const int ticks =
                    static_cast<int>(RandRange(25, 40) + (screenHeight - at.mY) / 10.0);
                host->AddExplosionTile(thrown, targetX, screenHeight, ticks);
            }
            tile->MarkForRemoval();
        }
    }
    if (host != nullptr) {
        host->FailPuzzle();
    }
}

void PlayTileGrid::FadeTiles() {
    const float tileSize = ConstantFloat(StrFormat("tileSize%d", mSize).c_str());
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            AnimationWidget* tile = mTileWidgets[a][b].Get();
            if (tile == nullptr) {
                continue;
            }
            for (const char* name : {"tile", "markmiss"}) {
                const ExprValue* value = tile->GetVariables().Find(name);
                auto* picture =
                    value != nullptr ? dynamic_cast<DynamicWidget*>(value->AsObject()) : nullptr;
                if (picture == nullptr) {
                    continue;
                }
                // The script runs on the tile widget, so it reads the values there.
                VariableTable& vars = tile->GetVariables();
                vars.Set("fade-delay", ExprValue::FromInt(0));
                vars.Set("tile_image", ExprValue::FromString(picture->GetImage() != nullptr
                                                                 ? picture->GetImage()->GetName()
                                                                 : std::string()));
                vars.Set("tile_size", ExprValue::FromFloat(tileSize));
                vars.Set("Gdim", ExprValue::FromInt(mSize));
                vars.Set("tile_x", ExprValue::FromInt(a));
                vars.Set("tile_y", ExprValue::FromInt(b));
                tile->PlayAnimationRef("fade_tile");
            }
        }
    }
}

// --- updates ---

void PlayTileGrid::Update() {
    AnimationWidget::Update();
    if (mFading) {
        mNumberOpacity -= 0.01f;
        if (mNumberOpacity <= 0.0f) {
            mFading = false;
        }
        MarkDirty();
    }
}

void PlayTileGrid::UpdateF(float elapsed) {
    AnimationWidget::UpdateF(elapsed);
    if (!mSpringActive) {
        return;
    }
    const float beforeX = mX;
    const double dt = elapsed;
    const float x = static_cast<float>(mX + mVelocityX * dt);
    const float y = static_cast<float>(mY + mVelocityY * dt);
    mVelocityX = (mVelocityX + (mRestX - x) * mSpringX * dt) * mDamping;
    mVelocityY = (mVelocityY + (mRestY - y) * mSpringY * dt) * mDamping;
    if (static_cast<int>(beforeX) > mRestX && x <= mRestX && mVelocityX < 0.0) {
        mSpringActive = false;
        Move(static_cast<float>(mRestX), static_cast<float>(mRestY));
        return;
    }
    Move(x, y);
}

bool PlayTileGrid::HasScheduledWork() const {
    return mFading || mSpringActive || ScriptHasScheduledWork();
}

void PlayTileGrid::SetDisabled(bool disabled) {
    AnimationWidget::SetDisabled(disabled);
    MarkDirty();
}

// --- pointer ---

bool PlayTileGrid::CellAt(int x, int y, int* a, int* b) const {
    if (mTileSize <= 0) {
        return false;
    }
    *a = x / mTileSize;
    *b = y / mTileSize;
    return true;
}

void PlayTileGrid::RefreshCursor() {
    Widget* cursor = nullptr;
    if (mHover && gApp != nullptr && gApp->mCustomCursors) {
        const int action = mModel->GetAction();
        const bool reveal = action == PlayModel::kReveal ||
                            (action == PlayModel::kNoAction && mModel->GetTool() == 0);
        cursor = mCursors[reveal ? 0 : 1].Get();
    }
    if (gApp != nullptr) {
        gApp->SetCursorImage(cursor);
    }
    MarkDirty();
}

void PlayTileGrid::MouseEnter() {
    AnimationWidget::MouseEnter();
    mHover = true;
    RefreshCursor();
}

void PlayTileGrid::MouseLeave() {
    AnimationWidget::MouseLeave();
    mHover = false;
    RefreshCursor();
}

void PlayTileGrid::MouseMove(int x, int y) {
    AnimationWidget::MouseMove(x, y);
    int a, b;
    const CellPos before = mModel->GetStroke().GetCurrent();
    const std::vector<CellPos> beforeCells = mModel->StrokeCells();
    if (CellAt(x, y, &a, &b) && mModel->Hover(a, b)) {
        MarkCursorChange(before, beforeCells);
    }
}

void PlayTileGrid::MarkCursorChange(CellPos before, const std::vector<CellPos>& beforeCells) {
    const CellPos now = mModel->GetStroke().GetCurrent();
    const std::vector<CellPos> cells = mModel->StrokeCells();
    const float t = static_cast<float>(mTileSize);
    const float side = static_cast<float>(mSize) * t;
    // The clue margins as the drawn area counts them; a tile's width more for the filter.
    FRect whole;
    if (!GetDrawnArea(&whole)) {
        MarkDirty();
        return;
    }
    const float top = whole.mY;
    const float left = whole.mX;
    // The brass edges of the line stand half outside it (DrawOverlay).
    const float edge = std::max(2.0f, t / 24.0f);
    auto column = [&](int a) {
        MarkDirtyPart(FRect(a * t - edge, top, t + 2.0f * edge, side - top + edge));
    };
    auto row = [&](int b) {
        MarkDirtyPart(FRect(left, b * t - edge, side - left + edge, t + 2.0f * edge));
    };
    auto cell = [&](CellPos c) { MarkDirtyPart(FRect(c.a * t, c.b * t, t, t)); };
    if (before.a != now.a) {
        column(before.a);
        column(now.a);
    }
    if (before.b != now.b) {
        row(before.b);
        row(now.b);
    }
    cell(before);
    cell(now);
    // A cell's picture and number follow its place in the stroke.
    for (size_t i = 0; i < std::max(cells.size(), beforeCells.size()); ++i) {
        const bool inBoth = i < cells.size() && i < beforeCells.size();
        if (inBoth && cells[i] == beforeCells[i]) {
            continue;
        }
        if (i < cells.size()) {
            cell(cells[i]);
        }
        if (i < beforeCells.size()) {
            cell(beforeCells[i]);
        }
    }
}

void PlayTileGrid::MouseDown(int x, int y, int clickCount) {
    const int side = mSize * mTileSize;
    if (x < 0 || y < 0 || x >= side || y >= side) {
        return;
    }
    AnimationWidget::MouseDown(x, y, clickCount);
    int a, b;
    if (!CellAt(x, y, &a, &b)) {
        return;
    }
    const PlayerState* player = GetCurrentPlayerState();
    PlayModel::PressOptions options;
    options.disabled = mDisabled;
    options.toggleMode = player != nullptr && player->mToggleMode;
    options.rightClickOff = mRightClickOff;
    const PlayModel::PressResult result = mModel->Press(a, b, clickCount, options);
    if (mModel->GetAction() != PlayModel::kNoAction) {
        SetBoardStrokeHeld(true);
    }
    if (result.switchTool) {
        if (PlayGridHost* host = mHost.Get()) {
            host->NextTool();
        }
    }
    RefreshCursor();
}

void PlayTileGrid::MouseDrag(int x, int y) {
    AnimationWidget::MouseDrag(x, y);
    int a, b;
    const CellPos before = mModel->GetStroke().GetCurrent();
    const std::vector<CellPos> beforeCells = mModel->StrokeCells();
    if (CellAt(x, y, &a, &b) && mModel->Drag(a, b)) {
        MarkCursorChange(before, beforeCells);
    }
}

void PlayTileGrid::MouseUp(int x, int y) {
    AnimationWidget::MouseUp(x, y);
    int a, b;
    if (!CellAt(x, y, &a, &b)) {
        SetBoardStrokeHeld(false);
        return;
    }
    mModel->Drag(a, b);
    if (mModel->GetAction() == PlayModel::kNoAction) {
        SetBoardStrokeHeld(false);
        return;
    }
    const Stroke& stroke = mModel->GetStroke();
    const CellPos step = stroke.Step();
    OnStroke(stroke.GetStart().a, stroke.GetStart().b, stroke.GetCurrent().a, stroke.GetCurrent().b,
             step.a, step.b);
    int delay = 0;
    for (const CellPos& cell : mModel->StrokeCells()) {
        ActOnCell(cell.a, cell.b, delay);
    }
    mModel->EndStroke();
    RefreshCursor();
    OnStrokeEnded();
    // The notices of this stroke and of any that came while it was held open now.
    SetBoardStrokeHeld(false);
}

void PlayTileGrid::RemovedFromManager(WidgetManager* manager) {
    if (mIsDown) {
        SetBoardStrokeHeld(false);
    }
    if (AnimationWidget* explosion = mExplosion.Get()) {
        explosion->ClearAnimationListener();
    }
    if (gApp != nullptr && mHover) {
        gApp->SetCursorImage(nullptr);
    }
    AnimationWidget::RemovedFromManager(manager);
}

// --- drawing ---

bool PlayTileGrid::ShowsCursor() const {
    if (mIsDown) {
        return mModel->GetAction() != PlayModel::kNoAction;
    }
    return mHover && !mDisabled;
}

void PlayTileGrid::Draw(Graphics* g) {
    Grid::Draw(g);
    if (ShowsCursor()) {
        QueueDeferredDraw(mDrawPriority + 1);
    }
    if (mNumberOpacity <= 0.0f || mNumbers == nullptr) {
        return;
    }
    float shiftX = 0.0f, shiftY = 0.0f;
    if (mSpringActive) {
        shiftX = mRestX - mX;
        shiftY = mRestY - mY;
    }
    const bool highlight = ShowsCursor();
    const CellPos current = mModel->GetStroke().GetCurrent();
    if (mNumberOpacity < 1.0f) {
        g->SetColorizeImages(true);
        g->SetColor(Color(255, 255, 255, static_cast<int>(mNumberOpacity * 255)));
    }
    const ClueLists& clues = GetClues();
    for (int i = 0; i < mSize; ++i) {
        const int mc = static_cast<int>(clues.columns[i].size());
        for (int j = 0; j < mc; ++j) {
            const FPoint at = CluePosition(0, i, j, mc);
            DrawClueNumber(g, at.mX + shiftX, at.mY + shiftY, 0, i, j, highlight && i == current.a);
        }
        const int mr = static_cast<int>(clues.rows[i].size());
        for (int j = 0; j < mr; ++j) {
            const FPoint at = CluePosition(1, i, j, mr);
            DrawClueNumber(g, at.mX + shiftX, at.mY + shiftY, 1, i, j, highlight && i == current.b);
        }
    }
    if (mNumberOpacity < 1.0f) {
        g->SetColorizeImages(false);
    }
}

FPoint PlayTileGrid::CluePosition(int kind, int line, int index, int count) const {
    const int cw = mNumbers != nullptr ? mNumbers->GetCelWidth() : 0;
    const int ch = mNumbers != nullptr ? mNumbers->GetCelHeight() : 0;
    if (kind == 0) {
        // The gap comes out of the margin that the line's clues leave free.
        const int gap = std::clamp(mOffsetY - count * mNumberHeight, 0, mNumberHeight / 4);
        return FPoint(
            static_cast<float>(line * mTileSize + (mTileSize - cw) / 2),
            static_cast<float>((mNumberHeight - ch) / 2 - (count - index) * mNumberHeight - gap));
    }
    const int gap = std::clamp(mOffsetX - count * mNumberWidth, 0, mNumberWidth / 4);
    return FPoint(
        static_cast<float>((mNumberWidth - cw) / 2 - (count - index) * mNumberWidth - gap),
        static_cast<float>(line * mTileSize + (mTileSize - ch) / 2));
}

bool PlayTileGrid::GetDrawnArea(FRect* area) const {
    // Flying clue numbers and the spring after an explosion draw away from the grid; the
    // tutorial's grid draws more of its own.
    if (typeid(*this) != typeid(PlayTileGrid) || mSpringActive || !mClueNumbers.empty() ||
        !mFlyingNumbers.empty()) {
        return false;
    }
    size_t rowClues = 0;
    size_t columnClues = 0;
    for (const auto& row : GetClues().rows) {
        rowClues = std::max(rowClues, row.size());
    }
    for (const auto& column : GetClues().columns) {
        columnClues = std::max(columnClues, column.size());
    }
    const float left = static_cast<float>(
        std::max(mOffsetX, static_cast<int>(rowClues) * std::max(mNumberWidth, 1)));
    const float top = static_cast<float>(
        std::max(mOffsetY, static_cast<int>(columnClues) * std::max(mNumberHeight, 1)));
    float right = static_cast<float>(mSize * mTileSize);
    float bottom = right;
    if (const Image* background = GetImage()) {
        right = std::max(right, static_cast<float>(background->GetWidth() - mOffsetX));
        bottom = std::max(bottom, static_cast<float>(background->GetHeight() - mOffsetY));
    }
    const float margin = static_cast<float>(std::max(mTileSize, 16));
    *area = FRect(-left - margin, -top - margin, left + right + 2.0f * margin,
                  top + bottom + 2.0f * margin);
    return true;
}

void PlayTileGrid::DrawClueNumber(Graphics* g, float x, float y, int kind, int line, int index,
                                  bool lineHighlighted) {
    const ClueRun& clue = (kind == 0 ? GetClues().columns : GetClues().rows)[line][index];
    const int state = clue.done ? 2 : (lineHighlighted ? 0 : 1);
    const int perRow = std::max(1, mNumbers->GetCols());
    g->DrawImage(mNumbers, x, y, (state + (mSize > 15 ? 4 : 0)) * perRow + clue.run - 1);
}

void PlayTileGrid::DrawOverlay(Graphics* g) {
    if (!ShowsCursor() || mTileSize <= 0) {
        return;
    }
    const CellPos cell = mModel->GetStroke().GetCurrent();
    const float t = static_cast<float>(mTileSize);
    const float side = mSize * t;
    // The line's clues stand in a lamplit band; over the tiles the line is only edged, so that
    // no tile takes a colour that could pass for another tile state.
    g->SetColor(mHighlightColor);
    g->FillRect(-static_cast<float>(mOffsetX), cell.b * t, static_cast<float>(mOffsetX), t);
    g->FillRect(cell.a * t, -static_cast<float>(mOffsetY), t, static_cast<float>(mOffsetY));
    const float edge = std::max(2.0f, t / 24.0f);
    g->SetColor(Color(239, 197, 110, 255));  // brass light
    g->FillRect(0.0f, cell.b * t - edge / 2, side, edge);
    g->FillRect(0.0f, (cell.b + 1) * t - edge / 2, side, edge);
    g->FillRect(cell.a * t - edge / 2, 0.0f, edge, side);
    g->FillRect((cell.a + 1) * t - edge / 2, 0.0f, edge, side);
    const int action = mModel->GetAction();
    Image* strokeImage = action == PlayModel::kReveal
                             ? mRevealHighlight
                             : (action == PlayModel::kMark ? mMarkHighlight : mCursorHighlight);
    const bool wasBatching = g->GetBatching();
    g->SetBatching(true);
    const std::vector<CellPos> cells = mModel->StrokeCells();
    const PlayerState* player = GetCurrentPlayerState();
    const bool numbers = action != PlayModel::kNoAction && player != nullptr &&
                         player->mShowNumbers && mNumbers != nullptr;
    for (size_t i = 0; i < cells.size(); ++i) {
        Image* image = cells[i] == cell ? mCursorHighlight : strokeImage;
        if (image != nullptr) {
            g->DrawImage(image, cells[i].a * t, cells[i].b * t);
        }
        if (numbers) {
            const int perRow = std::max(1, mNumbers->GetCols());
            const int row = mSize > 15 ? 7 : 3;
            const int cw = mNumbers->GetCelWidth();
            const int ch = mNumbers->GetCelHeight();
            g->DrawImage(mNumbers, cells[i].a * t + (t - cw) / 2, cells[i].b * t + (t - ch) / 2,
                         row * perRow + static_cast<int>(i));
        }
    }
    g->SetBatching(wasBatching);
}
