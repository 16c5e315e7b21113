#pragma once
// The screen on which one puzzle is played. Its scene script (the set's "<set>_play_<game>", or
// "default_play") sets the scene; the board script ("play_puzzle_menu_<device>") builds the HUD
// and the grid through the commands below and hands over to "play_intro", which brings the grid
// in; then play runs under the screen's update until the grid is solved or lost. The screen owns
// the grid, the meters, the tool buttons and the timer; at the end it books the result, opens the
// level-complete or level-fail screen and saves the profiles. Main thread only.
//
// Script commands (accepted while the board script runs):
//   finish-init x y mX mY   the HUD and the grid, then "play_intro"; the layout constants are
//                           "<name>_<x|y|mX|mY>_<device>" ("timer_text_x_0_ipad")
//   init-grid-holes         lines without clues become holes
//   add-grid x y opacity id a picture of the grid as the script object id
//   add-hud x y opacity id  the same for the HUD
//   show-grid, enable-grid, show-numbers
//   wait-for-numbers        parks the script until the grid is enabled (the numbers arrived)

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "game/board/HintMeter.h"
#include "game/board/MistakeMeter.h"
#include "game/board/PlayArtGrid.h"
#include "game/board/PlayGridHost.h"
#include "game/board/PlayTileGrid.h"
#include "game/board/WeakWidget.h"
#include "game/data/PuzzleId.h"
#include "game/screens/ScreenFlow.h"
#include "menus/Menu.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"

class PlayPuzzleMenu : public Menu, public PlayGridHost {
public:
    enum State {
        kSceneScript = 0,
        kBoardScript = 1,
        kPlaying = 2,
        kSolved = 3,
        kLost = 4,
        kFinished = 5,
    };

    // The puzzle at (game, mode, set, puzzle) of the catalogue.
    PlayPuzzleMenu(const std::string& game, const PuzzleId& id);
    // Saves the profiles.
    ~PlayPuzzleMenu() override;

    // The scene script this screen runs for (game, mode, set).
    static std::string SceneScriptName(const std::string& game, int mode, int set);

    int GetState() const { return mState; }
    int GetTimer() const { return mTimer; }
    bool IsFirstSet() const { return mFirstSet; }
    bool IsNoHints() const { return mNoHints; }
    int GetCurrentTool() const { return mCurrentTool; }
    size_t GetToolCount() const { return mTools.size(); }
    ButtonWidget* GetToolButton(size_t index) const;
    // The text under a tool's button (empty when it has none).
    std::string GetToolLabelText(size_t index) const;
    PlayTileGrid* GetGrid() const { return mGrid.Get(); }
    PlayArtGrid* GetArtGrid() const { return mArtGrid.Get(); }
    HintMeter* GetHintMeter() const { return mHintMeter.Get(); }
    MistakeMeter* GetMistakeMeter() const { return mMistakeMeter.Get(); }
    TextLabel* GetTimerLabel() const { return mTimerLabel.Get(); }
    size_t GetFallingTileCount() const { return mFallingTiles.size(); }

    // "puzzle_time" with the minutes and seconds of ticks.
    static std::string FormatTime(int ticks);

    // --- own steps ---
    void SelectTool(int n);
    // The tool buttons' looks: with the toggle off a legend of both tools drawn alike; with it
    // on, buttons with the chosen tool lit.
    void ShowToolLegends();
    // Ends play as the rules' outcome says (lost wins over solved; an outcome while the rules
    // still play is taken as solved, for the developer code). A solve not yet booked is booked
    // and saved here. Once; only while playing.
    void EndPuzzle();
    // Draws widgets into one picture of the screen's size and puts that picture in their place.
    void FadeOutWidgets(const std::vector<Widget*>& widgets);

    // --- PlayGridHost ---
    void NextTool() override;
    void ClearToolHighlights() override;
    WidgetContainer* GetTrailLayer() override;
    void AddExplosionTile(DynamicWidget* tile, float targetX, float targetY, int ticks) override;
    void FailPuzzle() override;
    bool UseHintAt(int x, int y, int count) override;

    // --- script hooks ---
    void OnScriptEnd() override;
    void OnAnimationFinished() override;
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;

    // --- operations it replaces ---
    void Update() override;
    // While the player thinks, the updates only count the clock, which the updates owed after
    // a wait catch up (its text changes once a second); every other state moves on at once.
    bool HasScheduledWork() const override;
    void Draw(Graphics* g) override;
    void GotFocus() override;
    void KeyChar(char c) override;
    void MouseDown(int x, int y, int clickCount) override;
    void RemoveWidget(Widget* widget) override;
    void ButtonPress(uint32_t id) override;

private:
    struct ToolEntry {
        WeakWidget<ButtonWidget> button;
        WeakWidget<TextLabel> label;
        std::string cursorScript;
    };

    bool ToggleMode() const;
    void FinishInit(int x, int y, int mX, int mY);
    // Adds a widget to the screen hidden, to be shown when play starts.
    void QueueHud(Widget* widget);
    std::vector<Widget*> LiveHud() const;
    // A DynamicWidget owning a picture of widgets (each at its place), named id for the script.
    void AddPicture(const std::vector<Widget*>& widgets, float x, float y, float opacity,
                    const std::string& id);
    void ReportMissingImages();
    // The rules have decided and the board shows it: no tile animation runs, and a loss's last
    // mistake trail has arrived.
    bool IsOutcomeShown();
    // This play's result so far.
    PuzzleResult MakeResult() const;
    // Books the solve and saves, once, while playing; the level-complete screen shows what was
    // booked.
    void BookSolve();
    // Whether the player can play now: no notice or dialog stands over the screen.
    bool IsClockRunning() const;
    // The rules have decided (solved or lost), whether or not the board has shown it yet.
    bool HasGridEnded() const;
    // Greys out the HUD's way to the pause dialog.
    void DisablePauseButton();

    int mState = kSceneScript;
    std::string mGame;
    PuzzleId mId;
    bool mFirstSet;
    bool mNoHints = false;
    int mSize = 0;
    int mTimer = 0;
    std::vector<ToolEntry> mTools;
    int mCurrentTool = 0;
    bool mRevealLook = true;
    bool mFailShown = false;
    bool mBooked = false;
    PuzzleResult mSolvedResult;
    PuzzleBooking mBooking;

    WeakWidget<PlayTileGrid> mGrid;
    WeakWidget<PlayArtGrid> mArtGrid;
    WeakWidget<TextLabel> mTimerLabel;
    WeakWidget<HintMeter> mHintMeter;
    WeakWidget<MistakeMeter> mMistakeMeter;
    WeakWidget<DynamicWidget> mTrailLayer;
    std::vector<WeakWidget<Widget>> mHud;
    std::set<uint32_t> mFallingTiles;  // widget ids
};
