// The whole game played through the screens' own buttons, headless on the manual clock. A new
// player reads the opening letter, declines the tutorial, then solves every puzzle of every story
// set in order with strokes taken from the catalogue's solutions, as a player would. After each set
// "profiles.xml" must show the set done and the next one open, the bonus sets must open after the
// story set the constants name, the last set must end in the closing letter and the credits and
// leave exactly one main menu; then the bonus sets are solved too. Another new player takes the
// tutorial and plays its guided boards step by step.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

#include "../screens/GameSession.h"
#include "core/util/Random.h"
#include "game/board/PlayTileGrid.h"
#include "game/board/TutorialGrid.h"
#include "game/data/GridSettings.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ConfirmTutorialMenu.h"
#include "game/screens/CreditsMenu.h"
#include "game/screens/LevelCompleteMenu.h"
#include "game/screens/LevelIntroMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/MapMenu.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/PuzzleSelectMenu.h"
#include "game/screens/SelectSetMenu.h"
#include "game/screens/StoryFinalMenu.h"
#include "game/screens/StoryIntroMenu.h"
#include "game/screens/TextboxPopup.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/NoticeMenu.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

// The story set after which the bonus sets open: its number is "sets_before_extra_puzzles".
constexpr int kSetsBeforeBonus = 4;

// Buttons a player can press: shown, enabled and not on their way out.
bool Pressable(const ButtonWidget& button) {
    return !button.mRemoved && button.mVisible && !button.mDisabled;
}

ButtonWidget* FindLabelled(const Widget* root, const std::string& key) {
    const std::string label = LocalizedTexts::Lookup(key);
    return GameSession::FindButtonWhere(root, [&](const ButtonWidget& button) {
        return button.GetLabel() == label && Pressable(button);
    });
}

ButtonWidget* FindAnyButton(const Widget* root) {
    return GameSession::FindButtonWhere(root, Pressable);
}

class Playthrough : public ::testing::Test {
protected:
    // One move of the player on whatever screen is on top; false when nothing could be done
    // this update (the screen is busy: a transition, a loading screen, an animation).
    bool Move(int mode) {
        if (auto* popup = session->FindMenu<TextboxPopup>()) {
            Widget* ok = popup->GetOkButton();
            if (ok != nullptr && !ok->mDisabled && ok->mVisible) {
                session->ClickWidget(ok);
                return true;
            }
        }
        Widget* top = session->app->GetActiveMenu();
        if (top == nullptr) {
            return false;
        }
        // A tutorial popup whose OK waits for the step stays on top while the board takes it.
        auto* play = dynamic_cast<PlayPuzzleMenu*>(top);
        if (play == nullptr && dynamic_cast<TextboxPopup*>(top) != nullptr) {
            play = session->FindMenu<PlayPuzzleMenu>();
        }
        if (play != nullptr) {
            return play->GetState() == PlayPuzzleMenu::kPlaying && Stroke(play);
        }
        if (dynamic_cast<NoticeMenu*>(top) != nullptr) {
            ButtonWidget* button = FindAnyButton(top);
            noticeWithoutButton = button == nullptr;
            return Press(button);
        }
        if (dynamic_cast<LevelCompleteMenu*>(top) != nullptr) {
            return Press(FindLabelled(top, "level_continue"));
        }
        if (dynamic_cast<LevelIntroMenu*>(top) != nullptr) {
            return Press(FindLabelled(top, "intro_ok"));
        }
        if (dynamic_cast<StoryIntroMenu*>(top) != nullptr) {
            return Press(FindLabelled(top, "letter_ok"));
        }
        if (dynamic_cast<ConfirmTutorialMenu*>(top) != nullptr) {
            // Declining completes the desk set at once.
            return Press(FindLabelled(top, takeTutorial ? "button_yes" : "button_no"));
        }
        if (dynamic_cast<StoryFinalMenu*>(top) != nullptr) {
            sawClosingLetter = true;
            return Press(FindLabelled(top, "letter_ok"));
        }
        if (dynamic_cast<CreditsMenu*>(top) != nullptr) {
            sawCredits = true;
            return Press(FindLabelled(top, "button_menu"));
        }
        if (auto* select = dynamic_cast<PuzzleSelectMenu*>(top)) {
            const auto& entries = select->GetEntries();
            for (int i = 0; i < select->GetAvailable() && i < static_cast<int>(entries.size());
                 ++i) {
                if (!entries[size_t(i)].mCompleted) {
                    return Press(select->GetEntryButton(i));
                }
            }
            // Back to the map, or in the bonus mode to the list of back rooms.
            ButtonWidget* back = FindLabelled(top, "button_map");
            return Press(back != nullptr ? back : FindLabelled(top, "button_back_rooms"));
        }
        if (auto* map = dynamic_cast<MapMenu*>(top)) {
            const int set = NextStorySet();
            if (set < 0 || static_cast<size_t>(set) >= map->GetEntryCount()) {
                return false;
            }
            return Press(map->GetEntryButton(static_cast<size_t>(set)));
        }
        if (auto* list = dynamic_cast<SelectSetMenu*>(top)) {
            const int set = NextBonusSet();
            return set >= 0 && set < list->GetSetButtonCount() && Press(list->GetSetButton(set));
        }
        if (dynamic_cast<MainMenu*>(top) != nullptr) {
            // The live state is read back every few moves only: a set finished a moment ago
            // would send this player to the map with nothing left to play.
            mLive = Saved();
            if (mode == 0 && NextStorySet() >= 0) {
                return Press(FindLabelled(top, "main_play"));
            }
            if (mode == 1 && NextBonusSet() >= 0) {
                return Press(FindLabelled(top, "main_bonus"));
            }
        }
        return false;
    }

    bool Press(const Widget* widget) {
        if (widget == nullptr || widget->mDisabled || !widget->mVisible) {
            return false;
        }
        session->ClickWidget(widget);
        return true;
    }

    // The next stroke, row by row: the first run of cells the board wants done the same way.
    // A tutorial in its guided part wants the cells of its step (and only them, waiting for
    // them only while its popup asks for tiles); any other board wants the solution's solid
    // cells revealed.
    bool Stroke(PlayPuzzleMenu* play) {
        PlayTileGrid* grid = play->GetGrid();
        if (grid == nullptr) {
            return false;
        }
        const PlayModel& model = grid->GetModel();
        auto* tutorial = dynamic_cast<TutorialGrid*>(grid);
        const bool guided = tutorial != nullptr && !tutorial->IsFreePlay();
        if (guided && !tutorial->IsWaitingForTiles()) {
            return false;
        }
        // The fourth desk board starts with a lit bulb: this player leaves the step's last cell
        // to it, then waits for its reveal to land.
        const bool hintBoard = guided && takeTutorial && tutorial->GetScriptName() == "tutorial_4";
        if (hintBoard && hintUsed && grid->GetHintTrailCount() > 0) {
            return false;
        }
        if (hintBoard && !hintUsed && hintSeed != 0 && tutorial->GetRemaining() == 1) {
            const ExprValue* use = play->GetHintMeter()->GetVariables().Find("hint_use1");
            hintUsed = true;
            CSeedRand(hintSeed);
            return use != nullptr && Press(dynamic_cast<Widget*>(use->AsObject()));
        }
        guidedStrokes += guided ? 1 : 0;
        const PuzzleRecord* record = guided ? nullptr : CatalogueRecordOf(model);
        if (!guided && record == nullptr) {
            ADD_FAILURE() << "no catalogue entry for the puzzle being played";
            return false;
        }
        const int size = model.GetSize();
        auto wanted = [&](int a, int b) {
            if (model.IsResolved(a, b)) {
                return 0;
            }
            if (guided) {
                return tutorial->GetStepCell(a, b).action;
            }
            return record->mSolution[size_t(a)][size_t(b)] == PuzzleRecord::kSolid
                       ? int(PlayModel::kReveal)
                       : 0;
        };
        for (int b = 0; b < size; ++b) {
            for (int a = 0; a < size; ++a) {
                const int action = wanted(a, b);
                if (action == 0) {
                    continue;
                }
                int end = a;
                while (end + 1 < size && wanted(end + 1, b) == action) {
                    ++end;
                }
                if (hintBoard && !hintUsed && end > a && tutorial->GetRemaining() == end - a + 1) {
                    // The cell left is one the bulb's shuffle will choose: a seed for the
                    // board's random numbers is found for which it does.
                    const int reward = FindGridSettings(size)->mHintReward;
                    for (unsigned seed = 1; seed < 1000 && hintSeed == 0; ++seed) {
                        for (const int left : {end, a}) {
                            PlayModel after = model;
                            for (int c = a; c <= end; ++c) {
                                if (c != left) {
                                    after.Apply(c, b, PlayModel::kReveal);
                                }
                            }
                            CSeedRand(seed);
                            for (const CellPos& cell : after.ChooseHintCells(reward)) {
                                if (cell.a == left && cell.b == b && hintSeed == 0) {
                                    hintSeed = seed;
                                    a += left == a ? 1 : 0;
                                    end -= left == end ? 1 : 0;
                                }
                            }
                        }
                    }
                }
                // The reveal tool is the left button's; marks go with the right one.
                const int button = action == PlayModel::kMark ? -1 : 1;
                const FPoint origin = grid->LocalToGlobal();
                const int t = grid->GetTileSize();
                const int y = static_cast<int>(origin.mY) + b * t + t / 2;
                auto x = [&](int cell) { return static_cast<int>(origin.mX) + cell * t + t / 2; };
                session->app->OnMouseMove(x(a), y);
                session->app->OnMouseDown(x(a), y, button);
                for (int c = a + 1; c <= end; ++c) {
                    session->app->OnMouseMove(x(c), y);
                }
                session->app->OnMouseUp(x(end), y, button);
                session->clock.Advance(30);
                session->app->MainLoopStep();
                return true;
            }
        }
        return false;
    }

    // The catalogue's puzzle on the board: the one whose solution the board was built from.
    static const PuzzleRecord* CatalogueRecordOf(const PlayModel& model) {
        const int size = model.GetSize();
        for (int mode = 0; mode < kModeCount; ++mode) {
            for (const PuzzleSet& set : GetGameCatalog(kDefaultGameName)[size_t(mode)]) {
                for (const PuzzleRecord& record : set) {
                    if (record.GetGridSize() != size) {
                        continue;
                    }
                    bool same = true;
                    for (int a = 0; a < size && same; ++a) {
                        for (int b = 0; b < size && same; ++b) {
                            same = (record.mSolution[size_t(a)][size_t(b)] ==
                                    PuzzleRecord::kSolid) == model.IsSolid(a, b);
                        }
                    }
                    if (same) {
                        return &record;
                    }
                }
            }
        }
        return nullptr;
    }

    PlayerState Saved() {
        const SavedProfiles saved = session->ReadSaved();
        EXPECT_TRUE(saved.read) << "profiles.xml did not read back";
        return saved.read && !saved.profiles.empty() ? saved.profiles[0].mState : PlayerState();
    }

    bool SetDone(const PlayerState& state, int mode, int set) const {
        const auto& sets = state.mProgress[mode];
        if (set >= static_cast<int>(sets.size())) {
            return false;
        }
        for (const PuzzleProgress& p : sets[size_t(set)].mPuzzles) {
            if (!p.mCompleted) {
                return false;
            }
        }
        return true;
    }
    int NextStorySet() {
        for (int s = 0; s < CountCatalogSets(kDefaultGameName, 0); ++s) {
            if (!SetDone(mLive, 0, s)) {
                return s;
            }
        }
        return -1;
    }
    int NextBonusSet() {
        for (int s = 0; s < CountCatalogSets(kDefaultGameName, 1); ++s) {
            if (!SetDone(mLive, 1, s)) {
                return s;
            }
        }
        return -1;
    }

    // Plays until done holds; the live state is re-read from the saved file as sets finish.
    bool PlayUntil(int mode, const std::function<bool()>& done, int limit) {
        int idle = 0;
        for (int i = 0; i < limit; ++i) {
            // Reading the saved file back costs more than a move: every few moves.
            if (i % 16 == 0 && done()) {
                return true;
            }
            if (std::getenv("P7_PLAYTHROUGH_TRACE") != nullptr && i % 500 == 0) {
                Widget* top = session->app->GetActiveMenu();
                std::printf("[ playthrough ] move %d on %s\n", i,
                            top != nullptr ? typeid(*top).name() : "no screen");
                std::fflush(stdout);
            }
            if (Move(mode)) {
                idle = 0;
            } else {
                session->clock.Advance(100);  // ten updates a frame while screens animate
                session->app->MainLoopStep();
                if (noticeWithoutButton && idle > 200) {
                    return false;
                }
                if (++idle > 3000) {
                    Widget* top = session->app->GetActiveMenu();
                    ADD_FAILURE() << "stuck on "
                                  << (top != nullptr ? typeid(*top).name() : "no screen");
                    return false;
                }
            }
        }
        return done();
    }

    std::unique_ptr<GameSession> session;
    PlayerState mLive;
    bool takeTutorial = false;
    int guidedStrokes = 0;
    bool hintUsed = false;             // on the fourth desk board
    unsigned hintSeed = 0;             // makes its bulb choose the step's last cell
    bool noticeWithoutButton = false;  // a notice on top offers the player no way on
    bool sawClosingLetter = false;
    bool sawCredits = false;
};

TEST_F(Playthrough, playthrough_EveryStorySetThenTheBonusSets) {
    // Hundreds of screens: drawing them on software GL would take most of the run, and the
    // real-window test draws every kind of screen already.
    session = std::make_unique<GameSession>(MakeProfilesXml("Ann", nullptr),
                                            GameSession::Frames::kNotDrawn);
    ASSERT_TRUE(session->Start());
    mLive = Saved();
    const int storySets = CountCatalogSets(kDefaultGameName, 0);
    const int bonusSets = CountCatalogSets(kDefaultGameName, 1);
    ASSERT_GT(storySets, kSetsBeforeBonus);

    for (int set = 0; set < storySets; ++set) {
        const bool finished = PlayUntil(
            0,
            [&] {
                mLive = Saved();
                return SetDone(mLive, 0, set);
            },
            200000);
        if (!finished && noticeWithoutButton) {
            FAIL() << "after story set " << set
                   << " the notice on top has no button: a player is stuck there";
        }
        ASSERT_TRUE(finished) << "story set " << set << " was not finished";
        const PlayerState state = Saved();
        if (set + 1 < storySets) {
            EXPECT_GE(state.mProgress[0][size_t(set + 1)].mUnlock, 1)
                << "finishing story set " << set << " did not open the next";
        }
        // Sets open one at a time: none beyond the next is open or done yet.
        for (int later = set + 2; later < storySets; ++later) {
            EXPECT_EQ(state.mProgress[0][size_t(later)].mUnlock, 0)
                << "story set " << later << " is open after set " << set;
            EXPECT_FALSE(SetDone(state, 0, later) &&
                         !state.mProgress[0][size_t(later)].mPuzzles.empty())
                << "story set " << later << " is done after set " << set;
        }
        // The first bonus set opens exactly when the named story set is done.
        EXPECT_EQ(state.mProgress[1][0].mUnlock >= 1, set + 1 >= kSetsBeforeBonus)
            << "after story set " << set;
        std::printf("[ playthrough ] story set %d done\n", set);
        std::fflush(stdout);
    }
    // The closing letter and the credits, then one main menu.
    ASSERT_TRUE(PlayUntil(
        0, [&] { return sawCredits && session->FindMenu<MainMenu>() != nullptr; }, 20000));
    session->Step(10);
    EXPECT_TRUE(sawClosingLetter);
    EXPECT_EQ(session->CountMenus<MainMenu>(), 1);

    for (int set = 0; set < bonusSets; ++set) {
        ASSERT_TRUE(PlayUntil(
            1,
            [&] {
                mLive = Saved();
                return SetDone(mLive, 1, set);
            },
            200000))
            << "bonus set " << set << " was not finished";
        std::printf("[ playthrough ] bonus set %d done\n", set);
    }
}

// A new player takes the tutorial: every guided board is played through its own steps (its
// popups' OK buttons, the cells each step names, marks with the right button), then the desk set
// is done and the first real set is open.
TEST_F(Playthrough, playthrough_TutorialIsPlayedStepByStep) {
    session = std::make_unique<GameSession>(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session->Start());
    mLive = Saved();
    takeTutorial = true;
    ASSERT_TRUE(PlayUntil(
        0,
        [&] {
            mLive = Saved();
            return SetDone(mLive, 0, 0);
        },
        50000))
        << "the desk set was not finished through the tutorial";
    EXPECT_GT(guidedStrokes, 0) << "no board was played as a guided tutorial";
    EXPECT_TRUE(hintUsed) << "the fourth desk board's step was not left to its hint";
    const PlayerState state = Saved();
    EXPECT_TRUE(state.mSeenTutorial);
    EXPECT_GE(state.mProgress[0][1].mUnlock, 1) << "the first real set did not open";
}

}  // namespace
