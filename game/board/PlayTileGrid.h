#pragma once
// The board the player works on. Pointer strokes become reveal and mark actions through the play
// model; this widget adds the looks and the timing: a scripted animation per acted-on tile,
// trails to the hint and mistake meters, the clue numbers flying in and then drawn with their
// done state, the cursor bands and stroke preview, the fade of the numbers, and the shake and
// collapse of a lost grid.

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/board/HintMeter.h"
#include "game/board/MistakeMeter.h"
#include "game/board/PlayGridHost.h"
#include "game/board/TileGrid.h"
#include "game/board/WeakWidget.h"
#include "game/data/PuzzleId.h"
#include "graphics/Color.h"
#include "graphics/FPoint.h"

class Image;
class TrailWidget;

class PlayTileGrid : public TileGrid {
public:
    // The puzzle at (game, mode, set, puzzle) of the catalogue; an unknown puzzle gives an empty
    // grid (logged). Built disabled until its clue numbers have arrived.
    PlayTileGrid(const std::string& game, const PuzzleId& id);
    ~PlayTileGrid() override;

    // --- set up by the play screen ---
    // Weak links; either may be null.
    void SetMeters(HintMeter* hintMeter, MistakeMeter* mistakeMeter);
    void SetHost(PlayGridHost* host);
    // The pointer widgets shown over the grid: index 0 reveal, 1 mark. Not owned.
    void SetCursorWidgets(Widget* revealCursor, Widget* markCursor);
    // The pointer picture follows the tool at once.
    void SetTool(int tool) {
        mModel->SetTool(tool);
        RefreshCursor();
    }
    int GetTool() const { return mModel->GetTool(); }
    void SetRightClickOff(bool off) { mRightClickOff = off; }

    // --- called by the play screen's scripts ---
    // Lines without clues become holes, with "init_hole" animations.
    void ResolveEmptyLines();
    // The clue numbers fly in ("intro_number"); play starts when the last has arrived.
    void CreateClueNumbers();

    // --- play ---
    // Acts on cell (a, b) as the current action and IsActionAllowed allow; delay (ticks) is the
    // tile animation's and trail's start and advances by 11 when the cell was acted on.
    void ActOnCell(int a, int b, int& delay);
    // The grid ended solved: no solid cell left and the mistakes were not used up.
    bool IsSolved() const { return mModel->GetState() == PlayModel::State::kSolved; }
    // The grid ended lost: mistakes used up, no mistake trail still flying, and the meter (when
    // there is one) shows every mark.
    bool IsLost();
    // Whether an acted-on tile is still animating.
    bool HasTileAnimations() const { return !mTileAnimations.empty(); }
    // The numbers fade out (solved).
    void StartFadeTimer() { mFading = true; }
    // The numbers fade and the mistake meter's explosion starts; it calls Explode later.
    void StartMistakeExplosion();
    // A used hint at (sx, sy) in the grid's parent sends trails that reveal up to count tiles
    // the grid lets a hint take (MayHintReveal); answers how many it sent.
    int RevealHintTiles(int sx, int sy, int count);
    // The picture covers the solved grid: every tile fades ("fade_tile").
    void FadeTiles();

    // --- hooks for the tutorial ---
    virtual void OnResume() {}
    // True when the current action has bit (1 reveal, 2 mark).
    virtual bool IsActionAllowed(int a, int b, int bit);
    // Whether a hint may pick the hidden solid tile (a, b).
    virtual bool MayHintReveal(int /*a*/, int /*b*/) const { return true; }
    virtual void OnStroke(int startA, int startB, int endA, int endB, int stepA, int stepB) {
        (void)startA, (void)startB, (void)endA, (void)endB, (void)stepA, (void)stepB;
    }
    virtual void OnStrokeEnded() {}
    // kind 0 column, 1 row.
    virtual void DrawClueNumber(Graphics* g, float x, float y, int kind, int line, int index,
                                bool lineHighlighted);

    // --- state for the screen and tests ---
    float GetNumberOpacity() const { return mNumberOpacity; }
    // The room one clue number takes across (row clues) and down (column clues).
    int GetNumberWidth() const { return mNumberWidth; }
    int GetNumberHeight() const { return mNumberHeight; }
    // The top left of the number picture of clue index of a line holding count clues (kind 0
    // column, 1 row), in the grid's coordinates: beside the tiles, a little apart from them so
    // that a wide number never touches the board.
    FPoint CluePosition(int kind, int line, int index, int count) const;
    size_t GetHintTrailCount() const { return mHintTrails.size() + mHintRevealTrails.size(); }
    size_t GetMistakeTrailCount() const { return mMistakeTrails.size(); }
    int GetSparkleCount() const { return mSparkles; }
    AnimationWidget* GetTileWidget(int a, int b) const;
    bool IsHovering() const { return mHover; }

    // --- operations it replaces ---
    void Update() override;
    void UpdateF(float elapsed) override;
    // Busy while its clue numbers fade or it springs back into place, or its script moves.
    bool HasScheduledWork() const override;
    void Draw(Graphics* g) override;
    void DrawOverlay(Graphics* g) override;
    // The background with the clue margins and a tile's width around them, while the clue
    // numbers stand still and the grid is in place; a derived grid cannot say.
    bool GetDrawnArea(FRect* area) const override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void RemovedFromManager(WidgetManager* manager) override;
    // Trails arriving (their scripts ended).
    void AnimationEnded(uint32_t id) override;
    // A tile animation or clue number settled ("persist").
    void AnimationPersisted(uint32_t id) override;
    // "explode" from the mistake meter's explosion.
    void AnimationEvent(uint32_t id, const std::string& message) override;

protected:
    void OnTrailArrived(uint32_t id);
    void OnTileAnimationDone(uint32_t id);
    void Explode();
    void StartTileAnimation(int a, int b, const std::string& kind, int delay);
    // Adds a trail to the host's layer (or the grid's parent) reporting here; hint trails may
    // show sparkles.
    void LaunchTrail(TrailWidget* trail, bool hintTrail);
    void RefreshCursor();
    // Marks what moving the current cell from `before` and the stroke from `beforeCells` changed:
    // the bands and clue highlights of the rows and columns left and entered, and the stroke
    // cells whose picture changed.
    void MarkCursorChange(CellPos before, const std::vector<CellPos>& beforeCells);
    // The cell under a local point, by integer division; false when the grid has no tile size.
    bool CellAt(int x, int y, int* a, int* b) const;
    // After an action: a finished game disables the grid once and clears the tool highlights.
    void CheckEnd();
    // Whether the bands and clue highlights show.
    bool ShowsCursor() const;
    CellPos CellCentreInParent(int a, int b) const;

    std::vector<std::vector<WeakWidget<AnimationWidget>>> mTileWidgets;
    std::array<WeakWidget<Widget>, 2> mCursors;
    WeakWidget<HintMeter> mHintMeter;
    WeakWidget<MistakeMeter> mMistakeMeter;
    ListenerSlot<PlayGridHost> mHost;
    bool mRightClickOff = false;
    bool mHover = false;
    bool mEnded = false;

    Image* mRevealHighlight = nullptr;
    Image* mMarkHighlight = nullptr;
    Image* mCursorHighlight = nullptr;
    Image* mNumbers = nullptr;
    Color mHighlightColor;
    int mNumberWidth = 0;
    int mNumberHeight = 0;

    float mNumberOpacity = 0.0f;
    bool mFading = false;

    std::set<uint32_t> mHintTrails;
    std::set<uint32_t> mMistakeTrails;
    std::map<uint32_t, CellPos> mHintRevealTrails;
    int mSparkles = 0;
    int mMaxSparkles = 0;

    // Every trail, tile and number reporting here, to tell a real ending from a property set.
    std::map<uint32_t, WeakWidget<Widget>> mTracked;
    std::set<uint32_t> mTileAnimations;
    std::vector<WeakWidget<AnimationWidget>> mClueNumbers;
    std::set<uint32_t> mFlyingNumbers;

    bool mLost = false;
    WeakWidget<AnimationWidget> mExplosion;
    bool mSpringActive = false;
    int mRestX = 0, mRestY = 0;
    double mVelocityX = 0.0, mVelocityY = 0.0;
    double mSpringX = 0.0, mSpringY = 0.0, mDamping = 1.0;
};
