// The play screen end to end: a puzzle loaded through its loading screen and played with the
// pointer to solved or lost, and what that leaves in "profiles.xml".

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "GameSession.h"
#include "audio/SoundPlayer.h"
#include "audio/TrackInterface.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/util/StringUtil.h"
#include "game/board/BoardAssets.h"
#include "game/board/HintMeter.h"
#include "game/board/MistakeMeter.h"
#include "game/board/PlayTileGrid.h"
#include "game/data/GridSettings.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ConfirmPuzzleSelectMenu.h"
#include "game/screens/ConfirmRestartPuzzle.h"
#include "game/screens/LevelCompleteMenu.h"
#include "game/screens/LevelFailMenu.h"
#include "game/screens/LevelIntroMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/OptionsMenu.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/PuzzleLoadingMenu.h"
#include "game/screens/PuzzleSelectMenu.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/SetLoadingMenu.h"
#include "graphics/Image.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/Board.h"
#include "menus/NoticeMenu.h"
#include "platform/NullPlatform.h"
#include "support/RecordingSounds.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/DynamicWidget.h"

namespace {

constexpr int kSaltmere = 1;

// A player past the tutorial with Saltmere Harbour open at its first puzzle.
void PastTheTutorial(PlayerState& state) {
    state.mSeenTutorial = true;
    state.mDisableTips = true;
    // The first mistake and the first lit bulb each explain themselves once in a notice; this
    // player has met both.
    state.mMadeMistake = true;
    state.mSeenHint = true;
    state.mCurrentCountry = kSaltmere;
    for (PuzzleProgress& puzzle : state.mProgress[0][0].mPuzzles) {
        puzzle.mCompleted = true;
    }
    state.mProgress[0][0].mIntroduced = true;
    state.mProgress[0][0].mUnlock = static_cast<int>(state.mProgress[0][0].mPuzzles.size());
    state.mProgress[0][kSaltmere].mUnlock = 1;
}

class PlayScreenTest : public ::testing::Test {
protected:
    void Begin(const std::function<void(PlayerState&)>& edit) {
        session = std::make_unique<GameSession>(MakeProfilesXml("Ann", [&](PlayerState& state) {
            PastTheTutorial(state);
            if (edit) {
                edit(state);
            }
        }));
        ASSERT_TRUE(session->Start());
    }

    // Opens the puzzle's loading screen and steps until its play screen is playing.
    PlayPuzzleMenu* OpenAndPlay(int set, int puzzle, bool showIntro = false) {
        OpenPuzzleLoading(kDefaultGameName, {0, set, puzzle}, showIntro);
        PlayPuzzleMenu* play = nullptr;
        const bool playing = session->StepUntil([&] {
            play = session->FindMenu<PlayPuzzleMenu>();
            return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying;
        });
        EXPECT_TRUE(playing);
        return playing ? play : nullptr;
    }

    // clickCount as the pointer gives it: 1 left (the reveal tool), -1 right (mark).
    void ClickCell(PlayTileGrid* grid, int a, int b, int clickCount = 1) {
        const FPoint origin = grid->LocalToGlobal();
        const int t = grid->GetTileSize();
        session->Click(static_cast<int>(origin.mX) + a * t + t / 2,
                       static_cast<int>(origin.mY) + b * t + t / 2, clickCount);
    }

    // Reveals every solid cell still hidden.
    void Solve(PlayTileGrid* grid) {
        const PlayModel& model = grid->GetModel();
        for (int a = 0; a < model.GetSize(); ++a) {
            for (int b = 0; b < model.GetSize(); ++b) {
                if (model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                    ClickCell(grid, a, b);
                }
            }
        }
    }

    // A Saltmere puzzle with more holes to slip on than its mistakes allow (holes in lines
    // without clues are resolved before play). Once the game is loaded.
    static int LosablePuzzle() {
        for (int p = 0; p < CountCatalogPuzzles(kDefaultGameName, 0, kSaltmere); ++p) {
            const CellGrid& solution = FindPuzzle(kDefaultGameName, {0, kSaltmere, p})->mSolution;
            const PlayModel model(solution, FindGridSettings(int(solution.size()))->mMistakes);
            int holes = 0;
            for (int a = 0; a < model.GetSize(); ++a) {
                for (int b = 0; b < model.GetSize(); ++b) {
                    holes += !model.IsSolid(a, b) && !model.GetClues().columns[a].empty() &&
                             !model.GetClues().rows[b].empty();
                }
            }
            if (holes > model.GetAllowedMistakes()) {
                return p;
            }
        }
        ADD_FAILURE() << "no Saltmere puzzle can be lost";
        return 0;
    }

    // Reveals hidden holes (each a mistake), count of them.
    void RevealHoles(PlayTileGrid* grid, int count) {
        const PlayModel& model = grid->GetModel();
        for (int a = 0; a < model.GetSize() && count > 0; ++a) {
            for (int b = 0; b < model.GetSize() && count > 0; ++b) {
                if (!model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                    ClickCell(grid, a, b);
                    session->CloseNotice();  // the player's first slip explains itself once
                    --count;
                }
            }
        }
    }

    // The pause dialog opened with the HUD's button; null (with a failure) when it did not open.
    OptionsMenu* OpenPause(PlayPuzzleMenu* play) {
        OptionsMenu* pause = nullptr;
        EXPECT_TRUE(session->ClickLabelled(play, "main_options"));
        EXPECT_TRUE(session->StepUntil([&] { return (pause = session->FindMenu<OptionsMenu>()); }));
        return pause;
    }

    // The question the pause dialog's "Sketches" asks; null (with a failure) when none came.
    ConfirmPuzzleSelectMenu* AskForTheSketches(PlayPuzzleMenu* play) {
        OptionsMenu* pause = OpenPause(play);
        ConfirmPuzzleSelectMenu* question = nullptr;
        if (pause != nullptr && session->ClickLabelled(pause, "button_sketches")) {
            session->StepUntil(
                [&] { return (question = session->FindMenu<ConfirmPuzzleSelectMenu>()); });
        }
        EXPECT_NE(question, nullptr);
        return question;
    }

    const PuzzleProgress& SavedPuzzle(const SavedProfiles& saved, int set, int puzzle) {
        return saved.profiles.at(0)
            .mState.mProgress[0]
            .at(static_cast<size_t>(set))
            .mPuzzles.at(static_cast<size_t>(puzzle));
    }

    std::unique_ptr<GameSession> session;
};

}  // namespace

TEST_F(PlayScreenTest, ACleanSolveBooksTimeStarsAndOpensTheNextPuzzle) {
    Begin(nullptr);
    // The sounds of play wait for the puzzle's loading screen, which loads them with the board.
    EXPECT_GE(AssetManager::Get().FindSound("Button"), 0);
    EXPECT_LT(AssetManager::Get().FindSound("level_complete"), 0);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    for (const char* sound : {"reveal5", "reveal20", "tile_solid", "Glow", "level_complete"}) {
        EXPECT_GE(AssetManager::Get().FindSound(sound), 0) << sound;
    }
    EXPECT_EQ(play->GetToolCount(), 2u);
    EXPECT_FALSE(play->IsFirstSet());
    // A little over two seconds of thought before the first stroke.
    session->Step(220);
    EXPECT_GE(play->GetTimer(), 220);
    Solve(play->GetGrid());
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelCompleteMenu>(); }));
    EXPECT_NE(play->GetState(), PlayPuzzleMenu::kPlaying);
    // The picture reveals, then the board freezes under it.
    EXPECT_TRUE(session->StepUntil([&] { return play->GetState() == PlayPuzzleMenu::kFinished; }));
    // Continue: the set's puzzles, where the solve is booked and the next puzzle opens.
    LevelCompleteMenu* complete = session->FindMenu<LevelCompleteMenu>();
    ASSERT_TRUE(session->StepUntil([&] { return complete->GetPrimaryButton() != nullptr; }));
    // Read at leisure: the page lets the game wait for events once the picture is whole.
    EXPECT_TRUE(session->StepUntil(
        [&] { return !session->app->GetWidgetManager()->HasScheduledWork(); }, 1500));
    session->ClickWidget(complete->GetPrimaryButton());
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    EXPECT_EQ(session->FindMenu<PlayPuzzleMenu>(), nullptr);
    session->Step(5);

    const SavedProfiles saved = session->ReadSaved();
    ASSERT_TRUE(saved.read);
    const PuzzleProgress& first = SavedPuzzle(saved, kSaltmere, 0);
    EXPECT_TRUE(first.mCompleted);
    EXPECT_GE(first.mBestTime, 2);
    EXPECT_LT(first.mBestTime, 10);
    EXPECT_TRUE(first.mWithoutHints);
    EXPECT_TRUE(first.mWithoutMistakes);
    EXPECT_EQ(saved.profiles[0].mState.mProgress[0][kSaltmere].mUnlock, 2);
}

TEST_F(PlayScreenTest, LosingOpensTheFailScreenOnceThenRetryAndQuit) {
    Begin(nullptr);
    const int lose = LosablePuzzle();
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, lose);
    ASSERT_NE(play, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    const int allowed = grid->GetModel().GetAllowedMistakes();
    const ExprValue* pause = play->GetVariables().Find("pause_btn");
    ASSERT_TRUE(pause != nullptr && pause->AsObject() != nullptr);
    EXPECT_FALSE(pause->AsObject()->mDisabled);
    RevealHoles(grid, allowed);
    EXPECT_EQ(grid->GetModel().GetMistakes(), allowed);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelFailMenu>(); }));
    // Under the fail panel the HUD's Menu button takes no click and does not look as if it did.
    EXPECT_TRUE(pause->AsObject()->mDisabled);
    EXPECT_EQ(play->GetFallingTileCount(), 0u);
    session->Step(50);
    int failScreens = 0;
    for (Widget* menu : session->app->GetMenus()) {
        failScreens += dynamic_cast<LevelFailMenu*>(menu) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(failScreens, 1);

    // Retry: the puzzle again, straight into play.
    LevelFailMenu* fail = session->FindMenu<LevelFailMenu>();
    ASSERT_TRUE(session->StepUntil([&] { return fail->GetPrimaryButton() != nullptr; }));
    EXPECT_TRUE(session->StepUntil(
        [&] { return !session->app->GetWidgetManager()->HasScheduledWork(); }, 1500))
        << "the fail page lets the game wait for events";
    session->ClickWidget(fail->GetPrimaryButton());
    PlayPuzzleMenu* again = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        again = session->FindMenu<PlayPuzzleMenu>();
        return again != nullptr && again->GetState() == PlayPuzzleMenu::kPlaying;
    }));
    EXPECT_EQ(session->FindMenu<LevelIntroMenu>(), nullptr);
    EXPECT_EQ(session->FindMenu<LevelFailMenu>(), nullptr);

    // Lost again; this time the player leaves for the set's puzzles.
    RevealHoles(again->GetGrid(), allowed);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelFailMenu>(); }));
    fail = session->FindMenu<LevelFailMenu>();
    ASSERT_TRUE(session->StepUntil([&] { return fail->GetSecondaryButton() != nullptr; }));
    session->ClickWidget(fail->GetSecondaryButton());
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    EXPECT_EQ(session->FindMenu<PlayPuzzleMenu>(), nullptr);

    session->End();
    const SavedProfiles saved = session->ReadSaved();
    ASSERT_TRUE(saved.read);
    EXPECT_FALSE(SavedPuzzle(saved, kSaltmere, lose).mCompleted);
    EXPECT_EQ(SavedPuzzle(saved, kSaltmere, lose).mBestTime, 0);
}

// With the toggle off both tools are in use at once (left button brush, right button shovel):
// the buttons are a legend, not pressable and drawn alike, also while either button strokes.
// With it on they are buttons, the chosen tool lit, and only it is labelled, with the left
// button.
TEST_F(PlayScreenTest, ToolButtonsAreALegendDrawnAlikeUnlessTheToggleIsOn) {
    for (const bool toggle : {false, true}) {
        SCOPED_TRACE(toggle ? "toggle on" : "toggle off");
        Begin([&](PlayerState& state) { state.mToggleMode = toggle; });
        PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
        ASSERT_NE(play, nullptr);
        ButtonWidget* brush = play->GetToolButton(0);
        ButtonWidget* shovel = play->GetToolButton(1);
        ASSERT_TRUE(brush != nullptr && shovel != nullptr);
        const auto alike = [&] {
            return brush->mDisabled == shovel->mDisabled && brush->mOpacity == shovel->mOpacity;
        };
        EXPECT_EQ(brush->mMouseVisible, toggle);
        EXPECT_EQ(shovel->mMouseVisible, toggle);
        EXPECT_EQ(alike(), !toggle);
        EXPECT_EQ(brush->mOpacity, 1.0f);
        EXPECT_EQ(play->GetToolLabelText(0), LocalizedTexts::Lookup("puzzle_left_click"));
        EXPECT_EQ(play->GetToolLabelText(1),
                  toggle ? std::string() : LocalizedTexts::Lookup("puzzle_right_click"));
        if (toggle) {
            EXPECT_TRUE(brush->mDisabled);
            session->ClickWidget(shovel);
            EXPECT_EQ(play->GetCurrentTool(), 1);
            EXPECT_TRUE(shovel->mDisabled);
            EXPECT_FALSE(brush->mDisabled);
        } else {
            // A right-button stroke held on a hole: the shovel at work, the legend unchanged.
            PlayTileGrid* grid = play->GetGrid();
            int hole = 0;
            while (grid->GetModel().IsSolid(hole, 0)) {
                ++hole;
            }
            const FPoint origin = grid->LocalToGlobal();
            const int t = grid->GetTileSize();
            const int x = static_cast<int>(origin.mX) + hole * t + t / 2;
            const int y = static_cast<int>(origin.mY) + t / 2;
            session->app->OnMouseMove(x, y);
            session->app->OnMouseDown(x, y, -1);
            session->Step(3);
            EXPECT_EQ(grid->GetModel().GetAction(), PlayModel::kMark);
            EXPECT_TRUE(alike());
            session->app->OnMouseUp(x, y, -1);
            session->Step(3);
            EXPECT_TRUE(alike());
        }
        session.reset();
    }
}

TEST_F(PlayScreenTest, TheFirstMistakeExplainsItselfOnceInANoticeThatCloses) {
    Begin([](PlayerState& state) { state.mMadeMistake = false; });
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, LosablePuzzle());
    ASSERT_NE(play, nullptr);
    const PlayModel& model = play->GetGrid()->GetModel();
    int a = 0, b = 0;
    while (model.IsSolid(a, b) || model.IsResolved(a, b)) {
        b = (b + 1) % model.GetSize();
        a += b == 0 ? 1 : 0;
    }
    ClickCell(play->GetGrid(), a, b);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<NoticeMenu>() != nullptr; }));
    EXPECT_TRUE(session->CloseNotice());
    EXPECT_EQ(play->GetState(), PlayPuzzleMenu::kPlaying);
    // The second slip plays on without a notice.
    RevealHoles(play->GetGrid(), 1);
    session->Step(20);
    EXPECT_EQ(session->FindMenu<NoticeMenu>(), nullptr);
    EXPECT_EQ(model.GetMistakes(), std::min(2, model.GetAllowedMistakes()));
}

TEST_F(PlayScreenTest, ReplayingASolvedPuzzleOverwritesItsStarsAndKeepsTheBetterTime) {
    Begin([](PlayerState& state) {
        PuzzleProgress& solved = state.mProgress[0][kSaltmere].mPuzzles[0];
        solved.mCompleted = true;
        solved.mBestTime = 3;
        solved.mWithoutHints = true;
        solved.mWithoutMistakes = true;
        state.mProgress[0][kSaltmere].mUnlock = 2;
    });
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    session->Step(500);
    RevealHoles(play->GetGrid(), 1);
    Solve(play->GetGrid());
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelCompleteMenu>(); }));

    const SavedProfiles saved = session->ReadSaved();
    ASSERT_TRUE(saved.read);
    const PuzzleProgress& replayed = SavedPuzzle(saved, kSaltmere, 0);
    EXPECT_TRUE(replayed.mCompleted);
    EXPECT_EQ(replayed.mBestTime, 3);
    EXPECT_TRUE(replayed.mWithoutHints);
    EXPECT_FALSE(replayed.mWithoutMistakes);
    EXPECT_EQ(saved.profiles[0].mState.mProgress[0][kSaltmere].mUnlock, 2);
}

TEST_F(PlayScreenTest, TheSetLoadingScreenStartsTheSetsMusicAndOpensItsPuzzles) {
    Begin(nullptr);
    OpenSetLoading(-1);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    EXPECT_EQ(session->FindMenu<SetLoadingMenu>(), nullptr);
    EXPECT_EQ(session->app->mLoaderRunning.load(), 0);
    // The alternation starts at 0: the set's first track.
    EXPECT_TRUE(session->app->GetMusic()->IsTrackPlaying(LookupNamedId("music_harbour_a")));
}

TEST_F(PlayScreenTest, PuzzlesInARowAlternateTheSetsTwoTracks) {
    Begin([](PlayerState& state) { state.mProgress[0][kSaltmere].mUnlock = 3; });
    PlayerState* state = GetCurrentPlayerState();
    const int start = state->mMusicAlternation;
    ASSERT_NE(OpenAndPlay(kSaltmere, 0), nullptr);
    const int first = state->mMusicAlternation;
    EXPECT_EQ(first, (start + 1) % 2);
    const std::string firstTrack = first == 0 ? "music_harbour_a" : "music_harbour_b";
    EXPECT_TRUE(session->app->GetMusic()->IsTrackPlaying(LookupNamedId(firstTrack)));
    session->FindMenu<PlayPuzzleMenu>()->MarkForRemoval();
    session->Step(2);
    ASSERT_NE(OpenAndPlay(kSaltmere, 1), nullptr);
    EXPECT_EQ(state->mMusicAlternation, (first + 1) % 2);
}

TEST_F(PlayScreenTest, EarlyStoryPuzzlesOpenOnTheirIntroPanelWhileTipsAreOn) {
    Begin([](PlayerState& state) {
        state.mDisableTips = false;
        state.mProgress[0][kSaltmere].mUnlock = 5;
    });
    // (1, 0) is below (max_intro_set, max_intro_puzzle) = (1, 2).
    OpenPuzzleLoading(kDefaultGameName, {0, kSaltmere, 0}, true);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelIntroMenu>(); }, 500));
    EXPECT_EQ(session->FindMenu<PlayPuzzleMenu>(), nullptr);
    session->FindMenu<LevelIntroMenu>()->MarkForRemoval();
    session->Step(2);
    // (1, 2) is not: the intro panels end before it.
    ASSERT_NE(OpenAndPlay(kSaltmere, 2, true), nullptr);
    EXPECT_EQ(session->FindMenu<LevelIntroMenu>(), nullptr);
}

namespace {

// The meter's scripted child of that name (a bulb picture or its click spot).
DynamicWidget* MeterChild(HintMeter* meter, const std::string& name) {
    const ExprValue* value = meter->GetVariables().Find(name);
    return value != nullptr ? dynamic_cast<DynamicWidget*>(value->AsObject()) : nullptr;
}

int CountHiddenSolid(const PlayModel& model) {
    int hidden = 0;
    for (int a = 0; a < model.GetSize(); ++a) {
        for (int b = 0; b < model.GetSize(); ++b) {
            hidden += model.IsSolid(a, b) && !model.IsResolved(a, b) ? 1 : 0;
        }
    }
    return hidden;
}

}  // namespace

TEST_F(PlayScreenTest, TheHintMeterFillsFromRevealsAndAClickedFullBulbUncoversTiles) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    HintMeter* meter = play->GetHintMeter();
    ASSERT_NE(meter, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    const PlayModel& model = grid->GetModel();

    // The meter stands in the HUD column with its title and four bulbs; the puzzle starts with
    // the first bulb lit.
    EXPECT_TRUE(meter->mVisible);
    EXPECT_LT(meter->LocalToGlobal().mX, static_cast<float>(grid->LocalToGlobal().mX));
    EXPECT_EQ(LocalizedTexts::Lookup("hints_title"), "Hints");
    for (int bulb = 1; bulb <= 4; ++bulb) {
        DynamicWidget* picture = MeterChild(meter, StrFormat("hint_bulb%d", bulb));
        ASSERT_NE(picture, nullptr) << bulb;
        ASSERT_NE(MeterChild(meter, StrFormat("hint_use%d", bulb)), nullptr) << bulb;
        EXPECT_EQ(picture->mFrames.mFrame, bulb == 1 ? HintBulbs::kFullFrame : 0) << bulb;
    }
    EXPECT_EQ(meter->GetBulbs().GetAvailableHints(), 1);

    // An empty bulb does nothing when clicked.
    const int hiddenAtStart = CountHiddenSolid(model);
    session->ClickWidget(MeterChild(meter, "hint_use3"));
    session->Step(150);
    EXPECT_EQ(meter->GetBulbs().GetHintsUsed(), 0);
    EXPECT_EQ(CountHiddenSolid(model), hiddenAtStart);

    // Correct reveals send trails that fill the second bulb, a frame at a time, until it lights.
    const int fillPerBulb = meter->GetBulbs().GetFillPerBulb();
    ASSERT_GT(hiddenAtStart, fillPerBulb + meter->GetHintReward());
    int revealed = 0;
    for (int a = 0; a < model.GetSize() && revealed < fillPerBulb; ++a) {
        for (int b = 0; b < model.GetSize() && revealed < fillPerBulb; ++b) {
            if (model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                ClickCell(grid, a, b);
                ++revealed;
                if (revealed == fillPerBulb / 2) {
                    session->Step(150);
                    EXPECT_EQ(MeterChild(meter, "hint_bulb2")->mFrames.mFrame,
                              meter->GetBulbs().FrameFor(revealed));
                }
            }
        }
    }
    ASSERT_TRUE(session->StepUntil([&] { return meter->GetBulbs().GetAvailableHints() == 2; }));
    EXPECT_EQ(MeterChild(meter, "hint_bulb2")->mFrames.mFrame, HintBulbs::kFullFrame);

    // A click on the first bulb spends it: its trails uncover the hint's tiles, the bulb goes
    // dark, and the spent hint is saved with the profile.
    const int hiddenBefore = CountHiddenSolid(model);
    session->ClickWidget(MeterChild(meter, "hint_use1"));
    EXPECT_EQ(meter->GetBulbs().GetHintsUsed(), 1);
    EXPECT_EQ(meter->GetBulbs().GetAvailableHints(), 1);
    ASSERT_TRUE(session->StepUntil(
        [&] { return CountHiddenSolid(model) == hiddenBefore - meter->GetHintReward(); }));
    session->Step(100);
    EXPECT_EQ(MeterChild(meter, "hint_bulb1")->mFrames.mFrame, 0);
    EXPECT_EQ(MeterChild(meter, "hint_bulb2")->mFrames.mFrame, HintBulbs::kFullFrame);
    SavedProfiles saved = session->ReadSaved();
    ASSERT_TRUE(saved.read);
    EXPECT_EQ(saved.profiles[0].mState.mNumHints, 1);

    // A solve with a hint earns no hint star.
    Solve(grid);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelCompleteMenu>(); }));
    saved = session->ReadSaved();
    ASSERT_TRUE(saved.read);
    EXPECT_GT(SavedPuzzle(saved, kSaltmere, 0).mBestTime, 0);
    EXPECT_FALSE(SavedPuzzle(saved, kSaltmere, 0).mWithoutHints);
}

// The sounds asked of the application's sound player, each with the update it was asked in; it
// stands in for the game's own player while it is alive.
class HeardSounds {
public:
    explicit HeardSounds(GameSession* session)
        : mSession(session), mGamePlayer(session->app->mSoundPlayer) {
        mSounds.player = &mPlayer;
        session->app->mSoundPlayer = &mPlayer;
        session->afterUpdate = [this] { mPlayer.Update(); };
    }
    ~HeardSounds() {
        mSession->afterUpdate = nullptr;
        if (mSession->app) {
            mSession->app->mSoundPlayer = mGamePlayer;
        }
    }
    // A point in the record; Ticks counts from it.
    size_t Mark() const { return mSounds.heard.size(); }
    // The updates at which name was heard since mark.
    std::vector<int> Ticks(const std::string& name, size_t mark) const {
        const int id = AssetManager::Get().FindSound(name);
        EXPECT_GE(id, 0) << name << " is not loaded";
        std::vector<int> ticks;
        for (size_t i = mark; i < mSounds.heard.size(); ++i) {
            if (mSounds.heard[i].first == id) {
                ticks.push_back(mSounds.heard[i].second);
            }
        }
        return ticks;
    }
    int Count(const std::string& name, size_t mark) const {
        return static_cast<int>(Ticks(name, mark).size());
    }

private:
    struct TimedSounds : RecordingSoundManager {
        const SoundPlayer* player = nullptr;
        std::vector<std::pair<int, int>> heard;  // sound id, tick
        SoundInstance* GetSoundInstance(int id) override {
            heard.emplace_back(id, player->GetTick());
            return RecordingSoundManager::GetSoundInstance(id);
        }
    };
    GameSession* mSession;
    SoundPlayer* mGamePlayer;
    TimedSounds mSounds;
    SoundPlayer mPlayer{&mSounds, [] { return 1.0; }};
};

// The closest two of ticks are at least gap apart.
::testing::AssertionResult SpacedApart(const std::vector<int>& ticks, int gap) {
    for (size_t i = 1; i < ticks.size(); ++i) {
        if (ticks[i] - ticks[i - 1] < gap) {
            return ::testing::AssertionFailure()
                   << "heard at " << ticks[i - 1] << " and again at " << ticks[i];
        }
    }
    return ::testing::AssertionSuccess();
}

// Every step of play is heard: the clue numbers landing, each tile of a stroke and each spark
// it sends to the hint meter, a tool change, a mark, a slip and its mark on the meter, a spent
// hint and the tiles it uncovers, the explosion and the falling tiles of a lost board with its
// page, and a solve's reveal with its page. Repeats within a few updates are held back, so the
// flurry of landing numbers does not rattle, while every tile of a stroke is heard.
TEST_F(PlayScreenTest, EveryStepOfPlayIsHeardAndNothingRattles) {
    Begin([](PlayerState& state) { state.mToggleMode = true; });
    HeardSounds heard(session.get());

    // A puzzle with a row of three solid cells or more, and more holes to slip on than the one
    // to mark and the mistakes allowed.
    int chosen = -1;
    for (int p = 0; p < CountCatalogPuzzles(kDefaultGameName, 0, kSaltmere) && chosen < 0; ++p) {
        const CellGrid& solution = FindPuzzle(kDefaultGameName, {0, kSaltmere, p})->mSolution;
        const PlayModel model(solution, FindGridSettings(int(solution.size()))->mMistakes);
        int holes = 0;
        int longest = 0;
        for (int b = 0; b < model.GetSize(); ++b) {
            for (int a = 0, run = 0; a < model.GetSize(); ++a) {
                run = model.IsSolid(a, b) ? run + 1 : 0;
                longest = std::max(longest, run);
                holes += !model.IsSolid(a, b) && !model.GetClues().columns[a].empty() &&
                         !model.GetClues().rows[b].empty();
            }
        }
        chosen = longest >= 3 && holes > model.GetAllowedMistakes() + 1 ? p : -1;
    }
    ASSERT_GE(chosen, 0);

    size_t mark = heard.Mark();
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, chosen);
    ASSERT_NE(play, nullptr);
    EXPECT_GE(heard.Count("number_pop", mark), 1);
    EXPECT_TRUE(SpacedApart(heard.Ticks("number_pop", mark), 9));
    PlayTileGrid* grid = play->GetGrid();
    const PlayModel& model = grid->GetModel();
    const int size = model.GetSize();
    int numbers = 0;
    for (int i = 0; i < size; ++i) {
        numbers +=
            static_cast<int>(model.GetClues().columns[i].size() + model.GetClues().rows[i].size());
    }
    RecordProperty("clue_numbers", numbers);
    RecordProperty("number_pops", heard.Count("number_pop", mark));
    const FPoint origin = grid->LocalToGlobal();
    const int t = grid->GetTileSize();
    const auto at = [&](int cell) { return cell * t + t / 2; };

    // One stroke along the longest run of hidden solid cells of a row.
    int row = 0, first = 0, length = 0;
    for (int b = 0; b < model.GetSize(); ++b) {
        for (int a = 0, run = 0; a < model.GetSize(); ++a) {
            run = model.IsSolid(a, b) && !model.IsResolved(a, b) ? run + 1 : 0;
            if (run > length) {
                row = b, first = a - run + 1, length = run;
            }
        }
    }
    ASSERT_GE(length, 3);
    mark = heard.Mark();
    const int x0 = static_cast<int>(origin.mX);
    const int y0 = static_cast<int>(origin.mY);
    session->app->OnMouseMove(x0 + at(first), y0 + at(row));
    session->app->OnMouseDown(x0 + at(first), y0 + at(row), 1);
    session->app->OnMouseMove(x0 + at(first + length - 1), y0 + at(row));
    session->app->OnMouseUp(x0 + at(first + length - 1), y0 + at(row), 1);
    session->Step(150);
    EXPECT_EQ(heard.Count("tile_solid", mark), length);
    EXPECT_TRUE(SpacedApart(heard.Ticks("tile_solid", mark), 9));
    EXPECT_EQ(heard.Count("hint_trail", mark), length);
    EXPECT_EQ(heard.Count("hint_reveal", mark), 0);

    // The right button takes the shovel, which marks a hole; the right button again, the brush.
    const auto hidden = [&](bool solid) {
        for (int a = 0; a < model.GetSize(); ++a) {
            for (int b = 0; b < model.GetSize(); ++b) {
                if (model.IsSolid(a, b) == solid && !model.IsResolved(a, b)) {
                    return CellPos{a, b};
                }
            }
        }
        ADD_FAILURE() << "no hidden " << (solid ? "solid" : "hole") << " cell left";
        return CellPos{0, 0};
    };
    mark = heard.Mark();
    CellPos cell = hidden(false);
    ClickCell(grid, cell.a, cell.b, -1);
    EXPECT_EQ(play->GetCurrentTool(), 1);
    ClickCell(grid, cell.a, cell.b);
    ClickCell(grid, cell.a, cell.b, -1);
    EXPECT_EQ(play->GetCurrentTool(), 0);
    session->Step(30);
    EXPECT_EQ(heard.Count("tool_switch", mark), 2);
    EXPECT_EQ(heard.Count("tile_hole", mark), 1);
    EXPECT_EQ(heard.Count("tile_invalid", mark), 0);

    // A slip: the wrong tile, then its trail lands on the mistake meter.
    mark = heard.Mark();
    cell = hidden(false);
    ClickCell(grid, cell.a, cell.b);
    session->Step(100);
    EXPECT_EQ(heard.Count("tile_invalid", mark), 1);
    EXPECT_EQ(heard.Count("mistake_mark", mark), 1);

    // The lit lantern spent: its tiles are uncovered from the meter, without a spark back.
    HintMeter* meter = play->GetHintMeter();
    const int reward = std::min(meter->GetHintReward(), CountHiddenSolid(model));
    mark = heard.Mark();
    session->ClickWidget(MeterChild(meter, "hint_use1"));
    session->Step(150);
    EXPECT_EQ(heard.Count("hint_use", mark), 1);
    EXPECT_EQ(heard.Count("hint_reveal", mark), reward);
    EXPECT_EQ(heard.Count("tile_solid", mark), reward);
    EXPECT_EQ(heard.Count("hint_trail", mark), 0);
    ASSERT_GT(CountHiddenSolid(model), 0);

    // The last allowed slips, each its own stroke: the board is lost.
    mark = heard.Mark();
    const int more = model.GetAllowedMistakes() - model.GetMistakes();
    for (int i = 0; i < more; ++i) {
        cell = hidden(false);
        ClickCell(grid, cell.a, cell.b);
        session->Step(20);
    }
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelFailMenu>(); }));
    session->Step(5);
    EXPECT_EQ(heard.Count("tile_invalid", mark), more);
    EXPECT_EQ(heard.Count("mistake_mark", mark), more);
    EXPECT_EQ(heard.Count("explosion", mark), 1);
    EXPECT_EQ(heard.Count("tiles_fall", mark), 1);
    EXPECT_EQ(heard.Count("level_fail", mark), 1);
    EXPECT_EQ(heard.Count("level_complete", mark), 0);

    // Again, solved: the picture's reveal, then the page once the picture is whole.
    LevelFailMenu* fail = session->FindMenu<LevelFailMenu>();
    ASSERT_TRUE(session->StepUntil([&] { return fail->GetPrimaryButton() != nullptr; }));
    session->ClickWidget(fail->GetPrimaryButton());
    PlayPuzzleMenu* again = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        again = session->FindMenu<PlayPuzzleMenu>();
        return again != nullptr && again->GetState() == PlayPuzzleMenu::kPlaying;
    }));
    mark = heard.Mark();
    Solve(again->GetGrid());
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelCompleteMenu>(); }));
    LevelCompleteMenu* complete = session->FindMenu<LevelCompleteMenu>();
    ASSERT_TRUE(session->StepUntil([&] { return complete->GetPrimaryButton() != nullptr; }));
    EXPECT_EQ(heard.Count(StrFormat("reveal%d", size), mark), 1);
    EXPECT_EQ(heard.Count("level_complete", mark), 1);
    EXPECT_EQ(heard.Count("level_fail", mark), 0);
    EXPECT_EQ(heard.Count("explosion", mark), 0);
}

TEST_F(PlayScreenTest, TheMistakeMeterStandsOnItsPanelWhichShowsWithTheHud) {
    Begin(nullptr);
    OpenPuzzleLoading(kDefaultGameName, {0, kSaltmere, 0}, false);
    PlayPuzzleMenu* play = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        play = session->FindMenu<PlayPuzzleMenu>();
        return play != nullptr && play->GetMistakeMeter() != nullptr;
    }));
    MistakeMeter* meter = play->GetMistakeMeter();
    const ExprValue* value = play->GetVariables().Find("mistake_panel");
    ASSERT_NE(value, nullptr);
    auto* panel = dynamic_cast<DynamicWidget*>(value->AsObject());
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->GetImage(), nullptr);
    EXPECT_EQ(panel->GetImage()->GetName(), "MistakeMeter_ipad");

    // While the board comes in the panel waits hidden, like the meter on it.
    ASSERT_EQ(play->GetState(), PlayPuzzleMenu::kBoardScript);
    EXPECT_FALSE(panel->mVisible);
    EXPECT_FALSE(meter->mVisible);
    ASSERT_TRUE(session->StepUntil([&] { return play->GetState() == PlayPuzzleMenu::kPlaying; }));
    EXPECT_TRUE(panel->mVisible);
    EXPECT_TRUE(meter->mVisible);

    // It covers the meter exactly and lies under it, so the marks and title stay on top.
    EXPECT_EQ(panel->mX, meter->mX);
    EXPECT_EQ(panel->mY, meter->mY);
    EXPECT_EQ(panel->mWidth, meter->mWidth);
    EXPECT_EQ(panel->mHeight, meter->mHeight);
    const auto& children = play->GetChildren();
    const auto panelAt = std::find(children.begin(), children.end(), panel);
    const auto meterAt = std::find(children.begin(), children.end(), meter);
    ASSERT_NE(panelAt, children.end());
    ASSERT_NE(meterAt, children.end());
    EXPECT_LT(panelAt - children.begin(), meterAt - children.begin());
}

TEST_F(PlayScreenTest, TrailsFlyAboveTheBoardAndTheHudWithTheirDots) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    const PlayModel& model = grid->GetModel();
    int a = 0, b = 0;
    while (!model.IsSolid(a, b)) {
        b = (b + 1) % model.GetSize();
        a += b == 0 ? 1 : 0;
    }
    ClickCell(grid, a, b);
    session->Step(5);
    auto* layer = dynamic_cast<Widget*>(play->GetTrailLayer());
    ASSERT_NE(layer, nullptr);
    ASSERT_EQ(layer->GetChildren().size(), 1u);
    auto* trail = dynamic_cast<AnimationWidget*>(layer->GetChildren().front());
    ASSERT_NE(trail, nullptr);
    const ExprValue* dot = trail->GetVariables().Find("dot");
    ASSERT_NE(dot, nullptr);
    auto* dotWidget = dynamic_cast<DynamicWidget*>(dot->AsObject());
    ASSERT_NE(dotWidget, nullptr);
    ASSERT_NE(dotWidget->GetImage(), nullptr);
    EXPECT_EQ(dotWidget->GetImage()->GetName(), "TrailDot_ipad");

    // The layer is drawn after the grid and both meters, whatever order they came in.
    const auto& children = play->GetChildren();
    const auto indexOf = [&](const Widget* widget) {
        return std::find(children.begin(), children.end(), widget) - children.begin();
    };
    const auto layerAt = indexOf(layer);
    ASSERT_LT(static_cast<size_t>(layerAt), children.size());
    EXPECT_GT(layerAt, indexOf(grid));
    EXPECT_GT(layerAt, indexOf(play->GetHintMeter()));
    EXPECT_GT(layerAt, indexOf(play->GetMistakeMeter()));
}

TEST_F(PlayScreenTest, AProfilesFirstLitBulbExplainsHintsInANotice) {
    Begin([](PlayerState& state) { state.mSeenHint = false; });
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    HintMeter* meter = play->GetHintMeter();
    ASSERT_NE(meter, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    const PlayModel& model = grid->GetModel();
    int revealed = 0;
    const int fillPerBulb = meter->GetBulbs().GetFillPerBulb();
    for (int a = 0; a < model.GetSize() && revealed < fillPerBulb; ++a) {
        for (int b = 0; b < model.GetSize() && revealed < fillPerBulb; ++b) {
            if (model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                ClickCell(grid, a, b);
                ++revealed;
            }
        }
    }
    NoticeMenu* notice = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (notice = session->FindMenu<NoticeMenu>()); }));
    EXPECT_EQ(meter->GetBulbs().GetAvailableHints(), 2);
    EXPECT_TRUE(GetCurrentPlayerState()->mSeenHint);
    const ExprValue* title = notice->GetVariables().Find("title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->AsString(), "A lantern is lit");
    // Reading it is not play.
    const int read = play->GetTimer();
    session->Step(300);
    EXPECT_EQ(play->GetTimer(), read);
}

TEST_F(PlayScreenTest, TheLastSolidMarkedWithTheLastAllowedMistakeLosesThePuzzle) {
    Begin(nullptr);
    const int lose = LosablePuzzle();
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, lose);
    ASSERT_NE(play, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    const PlayModel& model = grid->GetModel();
    RevealHoles(grid, model.GetAllowedMistakes() - 1);
    // Every solid cell but the last found; the last one marked as a hole: a mistake that both
    // finds the last solid cell and uses up the mistakes. Its trail outlives its tile's look.
    int lastA = -1, lastB = -1;
    for (int a = 0; a < model.GetSize(); ++a) {
        for (int b = 0; b < model.GetSize(); ++b) {
            if (model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                if (lastA >= 0) {
                    ClickCell(grid, lastA, lastB);
                }
                lastA = a, lastB = b;
            }
        }
    }
    ClickCell(grid, lastA, lastB, -1);
    ASSERT_EQ(model.GetState(), PlayModel::State::kLost);
    bool completeSeen = false;
    ASSERT_TRUE(session->StepUntil([&] {
        completeSeen |= session->FindMenu<LevelCompleteMenu>() != nullptr;
        return session->FindMenu<LevelFailMenu>() != nullptr;
    }));
    EXPECT_FALSE(completeSeen);
    session->End();
    const SavedProfiles saved = session->ReadSaved();
    EXPECT_FALSE(SavedPuzzle(saved, kSaltmere, lose).mCompleted);
    EXPECT_EQ(SavedPuzzle(saved, kSaltmere, lose).mBestTime, 0);
    EXPECT_EQ(saved.profiles.at(0).mState.mProgress[0][kSaltmere].mUnlock, 1);
}

TEST_F(PlayScreenTest, ASolveIsBookedWhenSolvedEvenIfThePlayerQuitsOnTheCompleteScreen) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    Solve(play->GetGrid());
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<LevelCompleteMenu>(); }));
    // Saved at once, not first at the exit.
    SavedProfiles saved = session->ReadSaved();
    EXPECT_TRUE(SavedPuzzle(saved, kSaltmere, 0).mCompleted);
    EXPECT_EQ(saved.profiles.at(0).mState.mProgress[0][kSaltmere].mUnlock, 2);
    session->End();
    saved = session->ReadSaved();
    EXPECT_TRUE(SavedPuzzle(saved, kSaltmere, 0).mCompleted);
    EXPECT_EQ(saved.profiles.at(0).mState.mProgress[0][kSaltmere].mUnlock, 2);
}

// The last tile's turn and the picture take most of a second; a game closed meanwhile keeps the
// solve, and the clock stops at the solve.
TEST_F(PlayScreenTest, ASolveIsBookedTheMomentTheLastTileIsFoundNotWhenItHasTurned) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    Solve(grid);
    ASSERT_EQ(play->GetState(), PlayPuzzleMenu::kPlaying);
    ASSERT_TRUE(grid->HasTileAnimations());
    EXPECT_EQ(session->FindMenu<LevelCompleteMenu>(), nullptr);
    SavedProfiles saved = session->ReadSaved();
    EXPECT_TRUE(SavedPuzzle(saved, kSaltmere, 0).mCompleted);
    EXPECT_EQ(saved.profiles.at(0).mState.mProgress[0][kSaltmere].mUnlock, 2);
    const int timer = play->GetTimer();
    session->Step(5);
    EXPECT_EQ(play->GetTimer(), timer);
    // Closed before the tiles have turned.
    session->End();
    saved = session->ReadSaved();
    EXPECT_TRUE(SavedPuzzle(saved, kSaltmere, 0).mCompleted);
    EXPECT_EQ(saved.profiles.at(0).mState.mProgress[0][kSaltmere].mUnlock, 2);
}

TEST_F(PlayScreenTest, ClosingTheGameWhileALostGridsTilesFallOpensNothing) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, LosablePuzzle());
    ASSERT_NE(play, nullptr);
    PlayTileGrid* grid = play->GetGrid();
    // Found tiles are what falls.
    for (int a = 0, b = 0; b < grid->GetModel().GetSize(); ++b) {
        if (grid->GetModel().IsSolid(a, b)) {
            ClickCell(grid, a, b);
        }
    }
    RevealHoles(grid, grid->GetModel().GetAllowedMistakes());
    ASSERT_TRUE(session->StepUntil([&] { return play->GetFallingTileCount() > 0; }));
    // The exit takes the screens down first, as here; the rest of the exit then runs on.
    const size_t dialogs = session->app->GetDialogCount();
    session->app->GetWidgetManager()->RemoveAllWidgets(true, true);
    EXPECT_LE(session->app->GetDialogCount(), dialogs);
    session->End();
}

// A thrown tile first jumps 50 up, but its arc tops out at least 150 above the bottom it falls
// to: a tile low on the screen rises further.
TEST_F(PlayScreenTest, ALostGridsTilesJumpBeforeTheyFall) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    const struct {
        int y;
        float top;
    } cases[] = {{400, 350.0f}, {700, 618.0f}};
    for (const auto& c : cases) {
        auto* tile = new DynamicWidget(500, c.y, nullptr, 1.0f);
        const uint32_t id = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, tile);
        play->AddExplosionTile(tile, 600.0f, 768.0f, 60);
        float top = static_cast<float>(c.y);
        for (int step = 0; step < 80; ++step) {
            const auto* flying =
                dynamic_cast<DynamicWidget*>(LiveObjectRegistry::ResolveWidget(id));
            if (flying == nullptr) {
                break;
            }
            top = std::min(top, flying->mY);
            session->Step(1);
        }
        EXPECT_NEAR(top, c.top, 1.5f) << c.y;
        EXPECT_EQ(LiveObjectRegistry::ResolveWidget(id), nullptr) << "removed once it lands";
    }
}

TEST_F(PlayScreenTest, ThePauseMenuLeadsBackToTheSetsSketchesThroughItsQuestion) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    ConfirmPuzzleSelectMenu* question = AskForTheSketches(play);
    ASSERT_NE(question, nullptr);
    session->Step(60);  // the question fades in from the pause dialog
    ASSERT_TRUE(session->ClickLabelled(question, "button_museum"));
    ASSERT_TRUE(session->StepUntil([&] {
        return session->FindMenu<PuzzleSelectMenu>() != nullptr &&
               session->FindMenu<PlayPuzzleMenu>() == nullptr;
    }));
    EXPECT_EQ(session->FindMenu<OptionsMenu>(), nullptr);
    EXPECT_EQ(session->FindMenu<MainMenu>(), nullptr);
    EXPECT_EQ(GetCurrentPlayerState()->mCurrentCountry, kSaltmere);
}

// The clock measures play: under a notice or the pause dialog the board cannot be played, and
// the clock waits, on a story board as on the tutorial's (which plays on under its own tips).
TEST_F(PlayScreenTest, TheClockStopsUnderEveryNoticeAndThePauseDialog) {
    Begin(nullptr);
    for (const int set : {kSaltmere, 0}) {
        SCOPED_TRACE(set);
        PlayPuzzleMenu* play = OpenAndPlay(set, set == 0 ? 3 : 0);
        ASSERT_NE(play, nullptr);
        const auto runs = [&](const char* when) {
            const int before = play->GetTimer();
            session->Step(150);
            EXPECT_GT(play->GetTimer(), before) << "the clock stood " << when;
        };
        const auto stands = [&](const char* under) {
            const int before = play->GetTimer();
            session->Step(300);
            EXPECT_EQ(play->GetTimer(), before) << "the clock ran under " << under;
        };
        runs("at the start");
        for (const char* key : {"mistake_intro", "hint_intro", "blank_tile"}) {
            ShowBoardNotice(key, "menu");
            ASSERT_TRUE(
                session->StepUntil([&] { return session->FindMenu<NoticeMenu>() != nullptr; }));
            stands(key);
            ASSERT_TRUE(session->CloseNotice());
            runs("after a notice");
        }
        OptionsMenu* pause = OpenPause(play);
        ASSERT_NE(pause, nullptr);
        stands("the pause dialog");
        ASSERT_TRUE(session->ClickLabelled(pause, "button_resume"));
        ASSERT_TRUE(
            session->StepUntil([&] { return session->FindMenu<OptionsMenu>() == nullptr; }));
        runs("after the pause dialog");
        session->app->KillOpenMenus();
        session->Step(2);
    }
}

// Between the last tile found and the end screen the solve is booked and the player's place has
// moved on: nothing may restart or leave the puzzle then, or the end screen's steps (the next
// set, the closing letter) are skipped and a restart opens the wrong puzzle.
TEST_F(PlayScreenTest, NothingLeavesOrRestartsThePuzzleBetweenTheSolveAndTheEndScreen) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    const ExprValue* pauseVar = play->GetVariables().Find("pause_btn");
    ASSERT_NE(pauseVar, nullptr);
    Widget* pauseButton = pauseVar->AsObject();
    ASSERT_NE(pauseButton, nullptr);
    EXPECT_FALSE(pauseButton->mDisabled);
    Solve(play->GetGrid());
    ASSERT_EQ(play->GetState(), PlayPuzzleMenu::kPlaying);
    ASSERT_TRUE(play->GetGrid()->HasTileAnimations());
    EXPECT_TRUE(pauseButton->mDisabled);
    // Neither the button nor its event opens the pause dialog now.
    session->ClickWidget(pauseButton);
    play->OnEvent("options", "", 0);
    bool pauseSeen = false;
    ASSERT_TRUE(session->StepUntil([&] {
        pauseSeen |= session->FindMenu<OptionsMenu>() != nullptr;
        return session->FindMenu<LevelCompleteMenu>() != nullptr;
    }));
    EXPECT_FALSE(pauseSeen);
    EXPECT_EQ(session->FindMenu<ConfirmRestartPuzzle>(), nullptr);
}

// The pause dialog's way out of the tutorial goes on to the first story set: its question says
// where it leads, and the answer lands there.
TEST_F(PlayScreenTest, LeavingTheTutorialAsksToGoOnWhereItLeads) {
    Begin([](PlayerState& state) {
        state.mCurrentCountry = 0;
        state.mProgress[0][0].mUnlock = 4;
        for (PuzzleProgress& puzzle : state.mProgress[0][0].mPuzzles) {
            puzzle.mCompleted = false;
        }
        state.mProgress[0][kSaltmere].mUnlock = 0;
    });
    PlayPuzzleMenu* play = OpenAndPlay(0, 3);
    ASSERT_NE(play, nullptr);
    ConfirmPuzzleSelectMenu* question = AskForTheSketches(play);
    ASSERT_NE(question, nullptr);
    const std::string destination = LocalizedTexts::Lookup("saltmere");
    const ExprValue* text = question->GetVariables().Find("text");
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text->AsString().find(destination), std::string::npos) << text->AsString();
    EXPECT_EQ(text->AsString().find("sketches of this place"), std::string::npos);
    session->Step(60);  // the question fades in from the pause dialog
    ASSERT_TRUE(session->ClickLabelled(question, "button_go_on"));
    ASSERT_TRUE(session->StepUntil([&] {
        const PuzzleSelectMenu* select = session->FindMenu<PuzzleSelectMenu>();
        return select != nullptr && session->FindMenu<PlayPuzzleMenu>() == nullptr;
    }));
    EXPECT_EQ(GetCurrentPlayerState()->mCurrentCountry, kSaltmere);
    EXPECT_GE(GetCurrentPlayerState()->mProgress[0][kSaltmere].mUnlock, 1);
}

// The player looks away: the window loses the keyboard focus (or is minimised) and the game
// waits, clock and all, under the board's "paused" cover; it plays on when the window is back.
TEST_F(PlayScreenTest, AnInactiveWindowPausesPlayUntilItIsActiveAgain) {
    Begin(nullptr);
    PlayPuzzleMenu* play = OpenAndPlay(kSaltmere, 0);
    ASSERT_NE(play, nullptr);
    auto* board = dynamic_cast<Board*>(session->app->GetPauseListener());
    ASSERT_NE(board, nullptr);
    EXPECT_FALSE(LocalizedTexts::Lookup("paused").empty());
    const auto windowEvent = [&](SDL_WindowEventID id) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = static_cast<Uint8>(id);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        session->Step(1);
    };
    session->Step(150);
    const int before = play->GetTimer();
    ASSERT_GT(before, 0);

    struct Case {
        SDL_WindowEventID away;
        SDL_WindowEventID back;
    };
    for (const Case& c : {Case{SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED},
                          Case{SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED}}) {
        windowEvent(c.away);
        EXPECT_EQ(session->app->GetPauseCount(), 1);
        EXPECT_TRUE(board->IsPaused());
        EXPECT_TRUE(play->IsUpdateSuspended());
        const int paused = play->GetTimer();
        session->Step(300);
        EXPECT_EQ(play->GetTimer(), paused) << "the clock ran while the window was away";
        // Drawn over every screen.
        EXPECT_EQ(board->GetParent()->GetChildren().back(), board);
        windowEvent(c.back);
        EXPECT_EQ(session->app->GetPauseCount(), 0);
        EXPECT_FALSE(board->IsPaused());
        EXPECT_FALSE(play->IsUpdateSuspended());
        session->Step(100);
        EXPECT_GT(play->GetTimer(), paused);
    }
    // Focus lost and the window minimised as well: one pause, lifted only when both are over.
    windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    windowEvent(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(session->app->GetPauseCount(), 1);
    windowEvent(SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(session->app->GetPauseCount(), 1);
    windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(session->app->GetPauseCount(), 0);
}

// Whatever a seeded random player does (reveals, marks, hints, right or wrong), the screen's
// verdict is the rules model's and "profiles.xml" records a completion exactly for a solve. One
// test per set of each mode, every puzzle of the set; the tutorial's scripted boards are played
// through by the whole-game test instead. Bounded by moves, not time.
class RandomPlayerTest : public PlayScreenTest, public ::testing::WithParamInterface<PuzzleId> {};

TEST_P(RandomPlayerTest, TheScreensVerdictIsTheRulesAndOnlyASolveIsBooked) {
    const int mode = GetParam().mMode, set = GetParam().mSet;
    // Nothing completed, so that the file shows what this play booked.
    const auto nothingDone = [](PlayerState& state) {
        PastTheTutorial(state);
        for (PuzzleProgress& done : state.mProgress[0][0].mPuzzles) {
            done.mCompleted = false;
        }
    };
    session = std::make_unique<GameSession>(MakeProfilesXml("Ann", nothingDone),
                                            GameSession::Frames::kNotDrawn);
    ASSERT_TRUE(session->Start());
    session->app->KillOpenMenus();
    const int first = mode == 0 && set == 0 ? LookupConstant("tutorials") : 0;
    for (int puzzle = first; puzzle < CountCatalogPuzzles(kDefaultGameName, mode, set); ++puzzle) {
        SCOPED_TRACE("puzzle " + std::to_string(puzzle));
        std::mt19937 random(static_cast<uint32_t>(mode * 10000 + set * 100 + puzzle));
        OpenPuzzleLoading(kDefaultGameName, {mode, set, puzzle}, false);
        PlayPuzzleMenu* play = nullptr;
        ASSERT_TRUE(session->StepUntil([&] {
            play = session->FindMenu<PlayPuzzleMenu>();
            return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying &&
                   !play->GetGrid()->mDisabled;
        }));
        PlayTileGrid* grid = play->GetGrid();
        const int n = grid->GetModel().GetSize();
        const FPoint origin = grid->LocalToGlobal();
        const int t = grid->GetTileSize();
        // Each move acts on an untouched cell; wrong ones come about as often as the mistakes
        // allowed, so that solves and losses both happen.
        const int wrongIn = std::max(2, n * n / (grid->GetModel().GetAllowedMistakes() + 1));
        for (int move = 0; move < n * n + 8; ++move) {
            grid = play->GetGrid();
            if (grid == nullptr || !grid->GetModel().IsPlaying()) {
                break;
            }
            const PlayModel& model = grid->GetModel();
            std::vector<CellPos> untouched;
            for (int a = 0; a < n; ++a) {
                for (int b = 0; b < n; ++b) {
                    if (!model.IsResolved(a, b)) {
                        untouched.push_back({a, b});
                    }
                }
            }
            if (random() % 30 == 0) {
                play->GetHintMeter()->OnEvent("hint", std::to_string(random() % 4), 0);
            } else if (!untouched.empty()) {
                const CellPos cell = untouched[random() % untouched.size()];
                const bool right = random() % static_cast<unsigned>(wrongIn) != 0;
                const int x = static_cast<int>(origin.mX) + cell.a * t + t / 2;
                const int y = static_cast<int>(origin.mY) + cell.b * t + t / 2;
                const int count = model.IsSolid(cell.a, cell.b) == right ? 1 : -1;
                session->app->OnMouseMove(x, y);
                session->app->OnMouseDown(x, y, count);
                session->app->OnMouseUp(x, y, count);
            }
            if (move % 8 == 0) {
                session->Step(1);
            }
        }
        // Trails and hint reveals still flying may end the game after the last move.
        PlayModel::State verdict = PlayModel::State::kPlaying;
        const auto ended = [&] {
            return session->FindMenu<LevelCompleteMenu>() != nullptr ||
                   session->FindMenu<LevelFailMenu>() != nullptr;
        };
        for (int i = 0; i < 1500 && !ended(); ++i) {
            if (PlayTileGrid* live = play->GetGrid()) {
                verdict = live->GetModel().GetState();
            }
            if (verdict == PlayModel::State::kPlaying && i >= 200) {
                break;
            }
            session->Step(1);
        }
        EXPECT_EQ(session->FindMenu<LevelCompleteMenu>() != nullptr,
                  verdict == PlayModel::State::kSolved);
        EXPECT_EQ(session->FindMenu<LevelFailMenu>() != nullptr,
                  verdict == PlayModel::State::kLost);
        const SavedProfiles saved = session->ReadSaved();
        ASSERT_TRUE(saved.read);
        EXPECT_EQ(saved.profiles[0].mState.FindPuzzle({mode, set, puzzle})->mCompleted,
                  verdict == PlayModel::State::kSolved);
        session->app->KillOpenMenus();
        session->Step(2);
    }
}

std::vector<PuzzleId> EverySet() {
    GameData data;
    ScopedGameData scope(&data);
    PuzzleStats().LoadText(
        ReadWholeFile(std::string(P7_SOURCE_DIR) + "/content/properties/" + PuzzleStats::kFileName),
        PuzzleStats::kFileName);
    std::vector<PuzzleId> sets;
    for (int mode = 0; mode < kModeCount; ++mode) {
        for (int set = 0; set < CountCatalogSets(kDefaultGameName, mode); ++set) {
            sets.push_back({mode, set, 0});
        }
    }
    return sets;
}

INSTANTIATE_TEST_SUITE_P(EveryShippedPuzzle, RandomPlayerTest, ::testing::ValuesIn(EverySet()),
                         [](const ::testing::TestParamInfo<PuzzleId>& set) {
                             return "mode" + std::to_string(set.param.mMode) + "_set" +
                                    std::to_string(set.param.mSet);
                         });

// Over the board the pointer is the tool's own picture, drawn by the window system at the
// pointer with the script's offsets as its hot spot; beside the board, and with custom cursors
// off, the system's arrow.
TEST(PlayScreenPointer, OverTheBoardThePointerIsTheToolsPicture) {
    GameSession session(MakeProfilesXml("Ann", PastTheTutorial), GameSession::Frames::kNotDrawn);
    ASSERT_TRUE(session.Start());
    auto* platform = dynamic_cast<NullPlatform*>(session.app->GetPlatform());
    ASSERT_NE(platform, nullptr);
    OpenPuzzleLoading(kDefaultGameName, {0, kSaltmere, 0}, false);
    PlayPuzzleMenu* play = nullptr;
    ASSERT_TRUE(session.StepUntil([&] {
        play = session.FindMenu<PlayPuzzleMenu>();
        return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying;
    }));
    PlayTileGrid* grid = play->GetGrid();
    const FPoint origin = grid->LocalToGlobal();
    const int t = grid->GetTileSize();
    const int x = static_cast<int>(origin.mX) + t / 2;
    const int y = static_cast<int>(origin.mY) + t / 2;

    // The brush's picture as the content ships it, its hot spot where the script puts the
    // pointer: on the bristle tips, 6 pixels in from its left and 8 down.
    Image* brush = LookupAssetTableA("BrushCursor_ipad");
    ASSERT_NE(brush, nullptr);
    session.app->OnMouseMove(x, y);
    session.Step(1);
    ASSERT_TRUE(platform->HasCursorImage());
    ASSERT_EQ(platform->GetCursorWidth(), brush->GetWidth());
    ASSERT_EQ(platform->GetCursorPixels().size(),
              static_cast<size_t>(brush->GetWidth() * brush->GetHeight()));
    EXPECT_EQ(platform->GetCursorHotX(), 6);
    EXPECT_EQ(platform->GetCursorHotY(), 8);
    int differ = 0;
    for (int py = 0; py < brush->GetHeight(); ++py) {
        for (int px = 0; px < brush->GetWidth(); ++px) {
            const uint32_t want = brush->GetPixel(px, py);
            const uint32_t got =
                platform->GetCursorPixels()[static_cast<size_t>(py * brush->GetWidth() + px)];
            differ += (want >> 24) == 0 ? (got >> 24) != 0 : got != want;
        }
    }
    EXPECT_EQ(differ, 0);

    // Beside the board: the arrow.
    session.app->OnMouseMove(x - t * 2, static_cast<int>(origin.mY) - 200);
    session.Step(1);
    EXPECT_FALSE(platform->HasCursorImage());
    EXPECT_EQ(platform->GetCursorNumber(), 0);

    // Custom cursors off: the arrow over the board too.
    session.app->SetCustomCursorsEnabled(false);
    session.app->OnMouseMove(x, y);
    session.Step(1);
    EXPECT_FALSE(platform->HasCursorImage());
    EXPECT_NE(platform->GetCursorNumber(), 11);
}
