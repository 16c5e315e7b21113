// The whole story played through the screens' own buttons, headless on the manual clock: a new
// player reads the opening letter, declines the tutorial, then solves every puzzle of every story
// set in order with strokes taken from the catalogue's solutions, as a player would. After each set
// "profiles.xml" must show the set done and the next one open, the bonus sets must open after the
// story set the constants name, the last set must end in the closing letter and the credits and
// leave exactly one main menu; then the bonus sets are solved too.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

#include "../screens/GameSession.h"
#include "game/board/PlayTileGrid.h"
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

ButtonWidget* FindLabelled(const Widget* root, const std::string& key) {
    const std::string label = LocalizedTexts::Lookup(key);
    for (Widget* child : root->GetChildren()) {
        if (auto* button = dynamic_cast<ButtonWidget*>(child);
            button != nullptr && button->GetLabel() == label && !button->mRemoved &&
            button->mVisible && !button->mDisabled) {
            return button;
        }
        if (ButtonWidget* found = FindLabelled(child, key)) {
            return found;
        }
    }
    return nullptr;
}

ButtonWidget* FindAnyButton(const Widget* root) {
    for (Widget* child : root->GetChildren()) {
        if (auto* button = dynamic_cast<ButtonWidget*>(child);
            button != nullptr && !button->mRemoved && button->mVisible && !button->mDisabled) {
            return button;
        }
        if (ButtonWidget* found = FindAnyButton(child)) {
            return found;
        }
    }
    return nullptr;
}

template <typename T>
int CountOpen(const GameSession& session) {
    int count = 0;
    for (Widget* menu : session.app->GetMenus()) {
        if (dynamic_cast<T*>(menu) != nullptr && !menu->mRemoved) {
            ++count;
        }
    }
    return count;
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
        if (auto* play = dynamic_cast<PlayPuzzleMenu*>(top)) {
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
            // The guided tutorial waits for moves of its own choosing that this player does not
            // make yet (see TutorialIsPlayedStepByStep): declining completes the desk set.
            return Press(FindLabelled(top, "button_no"));
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
            return Press(FindLabelled(top, "button_map"));
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

    // The next stroke of the solution: the first run of solid tiles still hidden, row by row.
    bool Stroke(PlayPuzzleMenu* play) {
        PlayTileGrid* grid = play->GetGrid();
        if (grid == nullptr) {
            return false;
        }
        const PlayModel& model = grid->GetModel();
        const PuzzleRecord* record = CatalogueRecordOf(model);
        if (record == nullptr) {
            ADD_FAILURE() << "no catalogue entry for the puzzle being played";
            return false;
        }
        const int size = record->GetGridSize();
        for (int b = 0; b < size; ++b) {
            for (int a = 0; a < size; ++a) {
                if (record->mSolution[size_t(a)][size_t(b)] != PuzzleRecord::kSolid ||
                    model.IsResolved(a, b)) {
                    continue;
                }
                int end = a;
                while (end + 1 < size &&
                       record->mSolution[size_t(end + 1)][size_t(b)] == PuzzleRecord::kSolid &&
                       !model.IsResolved(end + 1, b)) {
                    ++end;
                }
                const FPoint origin = grid->LocalToGlobal();
                const int t = grid->GetTileSize();
                const int y = static_cast<int>(origin.mY) + b * t + t / 2;
                auto x = [&](int cell) { return static_cast<int>(origin.mX) + cell * t + t / 2; };
                session->app->OnMouseMove(x(a), y);
                session->app->OnMouseDown(x(a), y, 1);
                for (int c = a + 1; c <= end; ++c) {
                    session->app->OnMouseMove(x(c), y);
                }
                session->app->OnMouseUp(x(end), y, 1);
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
    bool noticeWithoutButton = false;  // a notice on top offers the player no way on
    bool sawClosingLetter = false;
    bool sawCredits = false;
};

TEST_F(Playthrough, playthrough_EveryStorySetThenTheBonusSets) {
    session = std::make_unique<GameSession>(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session->Start());
    mLive = Saved();
    const int storySets = CountCatalogSets(kDefaultGameName, 0);
    const int bonusSets = CountCatalogSets(kDefaultGameName, 1);
    ASSERT_GT(storySets, kSetsBeforeBonus);

    // The whole story takes too long for every CI run under the sanitizers: by default the sets
    // up to the one that opens the bonus sets; P7_PLAYTHROUGH_FULL=1 plays on to the credits
    // and through the bonus sets.
    const bool full = std::getenv("P7_PLAYTHROUGH_FULL") != nullptr;
    for (int set = 0; set < (full ? storySets : kSetsBeforeBonus); ++set) {
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
        // The first bonus set opens exactly when the named story set is done.
        EXPECT_EQ(state.mProgress[1][0].mUnlock >= 1, set + 1 >= kSetsBeforeBonus)
            << "after story set " << set;
        std::printf("[ playthrough ] story set %d done\n", set);
        std::fflush(stdout);
    }
    if (!full) {
        std::printf(
            "[ playthrough ] story sets %d to %d, the ending and the bonus sets run with "
            "P7_PLAYTHROUGH_FULL=1\n",
            kSetsBeforeBonus, storySets - 1);
        return;
    }
    // The closing letter and the credits, then one main menu.
    ASSERT_TRUE(PlayUntil(
        0, [&] { return sawCredits && session->FindMenu<MainMenu>() != nullptr; }, 20000));
    session->Step(10);
    EXPECT_TRUE(sawClosingLetter);
    EXPECT_EQ(CountOpen<MainMenu>(*session), 1);

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

// The tutorial played through its guided steps. Not yet: its first board accepts none of the
// solution's strokes row by row, so a driver has to follow the tutorial's own steps.
TEST_F(Playthrough, playthrough_TutorialIsPlayedStepByStep) {
    GTEST_SKIP() << "the tutorial's guided board refuses plain solution strokes; the driver does "
                    "not follow its steps yet";
}

}  // namespace
