// The story side of the game end to end: the opening letter and the tutorial question, the intro
// panels, the level-complete screen booking progress (the bonus rooms, the closing letter and the
// credits), the level-fail screen, the puzzle selection and the bonus set list; each asserting on
// the saved "profiles.xml" and the screens that are open.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "GameSession.h"
#include "core/expr/LiveObjectRegistry.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ConfirmTutorialMenu.h"
#include "game/screens/CreditsMenu.h"
#include "game/screens/LevelCompleteMenu.h"
#include "game/screens/LevelFailMenu.h"
#include "game/screens/LevelIntroMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/MapMenu.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/PuzzleLoadingMenu.h"
#include "game/screens/PuzzleSelectMenu.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "game/screens/ScreenTransition.h"
#include "game/screens/SelectSetMenu.h"
#include "game/screens/SetLoadingMenu.h"
#include "game/screens/StoryFinalMenu.h"
#include "game/screens/StoryIntroMenu.h"
#include "game/screens/TextboxPopup.h"
#include "game/screens/TipsMenu.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/NoticeMenu.h"
#include "widgets/NameLookups.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonListener.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/Checkbox.h"

namespace {

constexpr int kSaltmere = 1;
constexpr int kAmberdune = 3;  // its number (4) is "sets_before_extra_puzzles"
constexpr int kStarfall = 10;  // the last story set

int PuzzlesIn(int mode, int set) {
    return CountCatalogPuzzles(kDefaultGameName, mode, set);
}

// Every puzzle of a story set solved and open.
void CompleteSet(PlayerState& state, int mode, int set) {
    SetProgress& progress = state.mProgress[mode][set];
    for (PuzzleProgress& puzzle : progress.mPuzzles) {
        puzzle.mCompleted = true;
        puzzle.mBestTime = 60;
    }
    progress.mUnlock = static_cast<int>(progress.mPuzzles.size());
    progress.mIntroduced = true;
}

// Story sets before `set` finished, `set` open with everything but its last puzzle solved.
void UpToLastPuzzleOf(PlayerState& state, int set) {
    state.mSeenTutorial = true;
    state.mStarted = true;
    for (int s = 0; s < set; ++s) {
        CompleteSet(state, 0, s);
    }
    CompleteSet(state, 0, set);
    state.mProgress[0][set].mPuzzles.back() = PuzzleProgress();
    state.mCurrentCountry = set;
}

class StoryAndLevelsTest : public ::testing::Test {
protected:
    void Begin(const std::function<void(PlayerState&)>& edit) {
        session = std::make_unique<GameSession>(MakeProfilesXml("Ann", edit));
        ASSERT_TRUE(session->Start());
    }

    // The main menu the board opened goes, as when the player leaves it.
    void CloseOpenScreens() {
        session->app->KillOpenMenus();
        session->Step(1);
    }

    PlayerState SavedState() const {
        const SavedProfiles saved = session->ReadSaved();
        EXPECT_TRUE(saved.read);
        EXPECT_EQ(saved.selected, 0);
        return saved.read ? saved.profiles[0].mState : PlayerState();
    }

    // Steps until the screen's button labelled key exists, then clicks it.
    void ClickLabelled(const Widget* screen, const std::string& key) {
        ASSERT_TRUE(session->ClickLabelled(screen, key)) << "no button \"" << key << "\"";
    }

    // Opens the level-complete screen of a solve and steps until its continue button is there.
    LevelCompleteMenu* OpenComplete(int mode, int set, int puzzle, int mistakes, int hints) {
        PuzzleResult result;
        result.mGame = kDefaultGameName;
        result.mId = {mode, set, puzzle};
        result.mSeconds = 125;
        result.mMistakes = mistakes;
        result.mHintsUsed = hints;
        OpenLevelComplete(result, nullptr, BookSolvedPuzzle(result));
        LevelCompleteMenu* complete = nullptr;
        EXPECT_TRUE(session->StepUntil([&] {
            complete = session->FindMenu<LevelCompleteMenu>();
            return complete != nullptr && complete->GetPrimaryButton() != nullptr;
        }));
        return complete;
    }

    // The pointer moved to the middle of widget, as a player moves it, and a moment to react.
    void PointAt(const Widget* widget) {
        const FPoint at = widget->LocalToGlobal();
        session->app->OnMouseMove(static_cast<int>(at.mX) + widget->mWidth / 2,
                                  static_cast<int>(at.mY) + widget->mHeight / 2);
        session->Step(2);
    }

    // The bonus room list, once it shows more than `buttons` - 1 rooms and has settled.
    SelectSetMenu* OpenRoomList(int buttons) {
        CloseOpenScreens();
        OpenSelectSet(kDefaultGameName, 1, false);
        SelectSetMenu* list = nullptr;
        EXPECT_TRUE(session->StepUntil([&] {
            list = session->FindMenu<SelectSetMenu>();
            return list != nullptr && list->GetSetButtonCount() >= buttons;
        }));
        session->Step(5);
        return list;
    }

    std::unique_ptr<GameSession> session;
};

// --- the opening letter and the tutorial question ---

TEST_F(StoryAndLevelsTest, SkippingTheTutorialCompletesTheDeskAndOpensTheHarbour) {
    Begin(nullptr);
    OpenStoryIntro();
    StoryIntroMenu* letter = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (letter = session->FindMenu<StoryIntroMenu>()); }));
    // The letter is addressed to the keeper by name, twice in its opening.
    const ExprValue* start = letter->GetVariables().Find("letter_start");
    ASSERT_NE(start, nullptr);
    EXPECT_NE(start->AsString().find("Dear Ann,"), std::string::npos);
    EXPECT_EQ(start->AsString().find("%s"), std::string::npos);

    ClickLabelled(letter, "letter_ok");
    session->Step(2);
    EXPECT_TRUE(SavedState().mProgress[0][0].mIntroduced);

    ConfirmTutorialMenu* question = nullptr;
    ASSERT_TRUE(session->StepUntil(
        [&] { return (question = session->FindMenu<ConfirmTutorialMenu>()) != nullptr; }));
    EXPECT_NE(session->FindMenu<StoryIntroMenu>(), nullptr) << "the question stands on the letter";
    ClickLabelled(question, "button_no");

    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    EXPECT_EQ(session->FindMenu<StoryIntroMenu>(), nullptr) << "the letter stays after the answer";
    const PlayerState saved = SavedState();
    EXPECT_TRUE(saved.mSeenTutorial);
    for (const PuzzleProgress& puzzle : saved.mProgress[0][0].mPuzzles) {
        EXPECT_TRUE(puzzle.mCompleted);
    }
    EXPECT_GE(saved.mProgress[0][kSaltmere].mUnlock, 1);
    EXPECT_EQ(saved.mCurrentCountry, kSaltmere);
    EXPECT_EQ(session->CountMenus<ConfirmTutorialMenu>(), 0);
}

TEST_F(StoryAndLevelsTest, TakingTheTutorialBringsTheDesksBackgroundWithoutItsSetScreen) {
    Begin(nullptr);
    OpenStoryIntro();
    StoryIntroMenu* letter = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (letter = session->FindMenu<StoryIntroMenu>()); }));
    ClickLabelled(letter, "letter_ok");
    ConfirmTutorialMenu* question = nullptr;
    ASSERT_TRUE(session->StepUntil(
        [&] { return (question = session->FindMenu<ConfirmTutorialMenu>()) != nullptr; }));
    ClickLabelled(question, "button_yes");
    // The desk's first puzzle opens on its intro panel, straight from its loading screen: the
    // panel and the play screen after it stand on the set's background.
    LevelIntroMenu* intro = nullptr;
    ASSERT_TRUE(
        session->StepUntil([&] { return (intro = session->FindMenu<LevelIntroMenu>()); }, 500));
    EXPECT_EQ(session->CountMenus<SetLoadingMenu>(), 0);
    EXPECT_NE(LookupAssetTableA("set_desk"), nullptr) << "the set's background was not loaded";
    const ExprValue* background = intro->GetVariables().Find("c_backgroundname");
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->AsString(), "set_desk");
}

TEST_F(StoryAndLevelsTest, APlayerWhoHasSeenTheTutorialGoesFromTheLetterToTheSet) {
    Begin([](PlayerState& state) { state.mSeenTutorial = true; });
    OpenStoryIntro();
    StoryIntroMenu* letter = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (letter = session->FindMenu<StoryIntroMenu>()); }));
    ClickLabelled(letter, "letter_ok");
    session->Step(1);
    EXPECT_EQ(session->FindMenu<ConfirmTutorialMenu>(), nullptr);
    EXPECT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
}

// --- the intro panel ---

TEST_F(StoryAndLevelsTest, TheIntroPanelsBoxTurnsTipsOffAndOkOpensOneLoadingScreen) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);
        state.mProgress[0][kSaltmere].mUnlock = 1;
        state.mCurrentCountry = kSaltmere;
    });
    OpenLevelIntro(kDefaultGameName, {0, kSaltmere, 0});
    LevelIntroMenu* intro = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        intro = session->FindMenu<LevelIntroMenu>();
        return intro != nullptr && intro->GetCheckbox() != nullptr;
    }));
    EXPECT_TRUE(intro->IsActive()) << "the panel never took the focus";
    Checkbox* box = intro->GetCheckbox();
    EXPECT_FALSE(box->IsChecked());
    session->ClickWidget(box);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_TRUE(SavedState().mDisableTips);

    ClickLabelled(intro, "intro_ok");
    session->Step(2);
    EXPECT_EQ(session->FindMenu<LevelIntroMenu>(), nullptr);
    // "ok" and the panel's removal lead on once: one loading screen (or already the play).
    EXPECT_LE(session->CountMenus<PuzzleLoadingMenu>(), 1);
    EXPECT_TRUE(session->StepUntil([&] { return session->CountMenus<PuzzleLoadingMenu>() == 0; }));
}

// --- level complete ---

TEST_F(StoryAndLevelsTest, FinishingTheNamedStorySetOpensTheBackRoomsOnce) {
    Begin([](PlayerState& state) { UpToLastPuzzleOf(state, kAmberdune); });
    ASSERT_EQ(kAmberdune + 1, 4) << "sets_before_extra_puzzles of the shipped constants";
    const int last = PuzzlesIn(0, kAmberdune) - 1;
    LevelCompleteMenu* complete = OpenComplete(0, kAmberdune, last, 0, 0);
    ASSERT_NE(complete, nullptr);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<NoticeMenu>(); }));
    EXPECT_EQ(SavedState().mProgress[1][0].mUnlock, 1);

    // A second "summary_shown" opens nothing more.
    complete->OnEvent("summary_shown", "", 0);
    EXPECT_EQ(session->CountMenus<NoticeMenu>(), 1);

    // The notice goes, then "continue" leads to the map with the next place open.
    session->FindMenu<NoticeMenu>()->OnEvent("close", "", 0);
    session->Step(60);
    ClickLabelled(complete, "level_continue");
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<MapMenu>(); }));
    EXPECT_EQ(session->FindMenu<LevelCompleteMenu>(), nullptr);
    const PlayerState saved = SavedState();
    EXPECT_TRUE(saved.mProgress[0][kAmberdune].mPuzzles.back().mCompleted);
    EXPECT_EQ(saved.mProgress[0][kAmberdune + 1].mUnlock, 1);
    EXPECT_EQ(saved.mProgress[1][0].mUnlock, 1);
}

TEST_F(StoryAndLevelsTest, AnotherStorySetOpensNoBackRoom) {
    Begin([](PlayerState& state) { UpToLastPuzzleOf(state, kSaltmere); });
    LevelCompleteMenu* complete = OpenComplete(0, kSaltmere, PuzzlesIn(0, kSaltmere) - 1, 0, 0);
    ASSERT_NE(complete, nullptr);
    session->Step(40);
    EXPECT_EQ(session->FindMenu<NoticeMenu>(), nullptr);
    ClickLabelled(complete, "level_continue");
    EXPECT_EQ(SavedState().mProgress[1][0].mUnlock, 0);
}

TEST_F(StoryAndLevelsTest, TheLastStorySetEndsInTheLetterTheCreditsAndOneMainMenu) {
    const int lastSet = kStarfall;
    Begin([lastSet](PlayerState& state) { UpToLastPuzzleOf(state, lastSet); });
    ASSERT_EQ(CountCatalogSets(kDefaultGameName, 0), kStarfall + 1);
    LevelCompleteMenu* complete = OpenComplete(0, lastSet, PuzzlesIn(0, lastSet) - 1, 1, 0);
    ASSERT_NE(complete, nullptr);
    ClickLabelled(complete, "level_continue");

    StoryFinalMenu* letter = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (letter = session->FindMenu<StoryFinalMenu>()); }));
    session->Step(2);
    EXPECT_EQ(session->FindMenu<LevelCompleteMenu>(), nullptr);
    EXPECT_EQ(session->CountMenus<MainMenu>(), 0) << "the screens under the solve were not closed";
    const PlayerState finished = SavedState();
    EXPECT_TRUE(finished.mProgress[0][lastSet].mPuzzles.back().mCompleted);
    EXPECT_FALSE(finished.mProgress[0][lastSet].mPuzzles.back().mWithoutMistakes);

    // Opening the credits writes the profiles even though nothing changed.
    std::remove(session->ProfilesPath().c_str());
    ClickLabelled(letter, "letter_ok");
    CreditsMenu* credits = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (credits = session->FindMenu<CreditsMenu>()); }));
    EXPECT_TRUE(std::filesystem::exists(session->ProfilesPath()));
    session->Step(2);
    EXPECT_EQ(session->FindMenu<StoryFinalMenu>(), nullptr);
    credits->OnEvent("main_menu", "", 0);  // the wrong word does nothing here
    session->Step(1);
    EXPECT_EQ(session->FindMenu<CreditsMenu>(), credits);

    ClickLabelled(credits, "button_menu");
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<MainMenu>(); }));
    session->Step(5);
    EXPECT_EQ(session->FindMenu<CreditsMenu>(), nullptr);
    EXPECT_EQ(session->CountMenus<MainMenu>(), 1);
}

TEST_F(StoryAndLevelsTest, AReplayedPuzzleRewritesItsStarsAndOpensNothing) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);
        CompleteSet(state, 0, kSaltmere);
        state.mProgress[0][kSaltmere].mUnlock = 3;
        for (PuzzleProgress& p : state.mProgress[0][kSaltmere].mPuzzles) {
            p.mWithoutHints = true;
            p.mWithoutMistakes = true;
        }
        state.mCurrentCountry = kSaltmere;
    });
    PuzzleResult result;
    result.mGame = kDefaultGameName;
    result.mId = {0, kSaltmere, 0};
    result.mHintsUsed = 1;
    OpenLevelComplete(result, nullptr, BookSolvedPuzzle(result));
    LevelCompleteMenu* complete = nullptr;
    ASSERT_TRUE(
        session->StepUntil([&] { return (complete = session->FindMenu<LevelCompleteMenu>()); }));
    ClickLabelled(complete, "level_continue");
    // Not a first completion: back through the set's loading screen.
    EXPECT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    const PlayerState saved = SavedState();
    EXPECT_FALSE(saved.mProgress[0][kSaltmere].mPuzzles[0].mWithoutHints);
    EXPECT_TRUE(saved.mProgress[0][kSaltmere].mPuzzles[0].mWithoutMistakes);
    EXPECT_EQ(saved.mProgress[0][kSaltmere].mUnlock, 3);
}

TEST_F(StoryAndLevelsTest, TheTutorialChainLeadsPuzzleByPuzzleIntoTheHarbour) {
    Begin(nullptr);
    const int desk = PuzzlesIn(0, 0);
    LevelCompleteMenu* complete = OpenComplete(0, 0, 0, 0, 0);
    ASSERT_NE(complete, nullptr);
    EXPECT_TRUE(complete->IsChain());
    EXPECT_EQ(complete->GetNextPuzzle(), 1);
    EXPECT_EQ(complete->GetNextSet(), -1);
    PlayerState saved = SavedState();
    EXPECT_TRUE(saved.mProgress[0][0].mPuzzles[0].mCompleted);
    EXPECT_EQ(saved.mProgress[0][0].mUnlock, 2);
    ClickLabelled(complete, "level_continue");
    // The next tutorial puzzle loads at once, without the intro panel.
    EXPECT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleLoadingMenu>(); }, 50));
    EXPECT_EQ(session->FindMenu<LevelIntroMenu>(), nullptr);
    EXPECT_EQ(session->FindMenu<LevelCompleteMenu>(), nullptr);

    CloseOpenScreens();
    complete = OpenComplete(0, 0, desk - 1, 0, 0);
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(complete->GetNextSet(), kSaltmere);
    saved = SavedState();
    EXPECT_EQ(saved.mProgress[0][kSaltmere].mUnlock, 1);
    EXPECT_EQ(saved.mCurrentCountry, kSaltmere);
    ClickLabelled(complete, "level_continue");
    PuzzleSelectMenu* select = nullptr;
    ASSERT_TRUE(
        session->StepUntil([&] { return (select = session->FindMenu<PuzzleSelectMenu>()); }));
    EXPECT_EQ(static_cast<int>(select->GetEntries().size()), PuzzlesIn(0, kSaltmere));
    EXPECT_EQ(select->GetAvailable(), 1);
}

// --- level fail ---

TEST_F(StoryAndLevelsTest, TheFailScreenRetriesOnceAndLeavesForTheSet) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);
        state.mProgress[0][kSaltmere].mUnlock = 1;
        state.mCurrentCountry = kSaltmere;
    });
    PuzzleResult result;
    result.mGame = kDefaultGameName;
    result.mId.mSet = kSaltmere;
    result.mMistakes = 3;
    OpenLevelFail(result);
    LevelFailMenu* fail = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        fail = session->FindMenu<LevelFailMenu>();
        return fail != nullptr && fail->GetSecondaryButton() != nullptr;
    }));
    // Two clicks on "leave": one selection screen.
    Widget* leave = fail->GetSecondaryButton();
    fail->ButtonDepress(leave->mId);
    fail->ButtonDepress(leave->mId);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    EXPECT_EQ(session->CountMenus<PuzzleSelectMenu>(), 1);
    EXPECT_EQ(session->FindMenu<LevelFailMenu>(), nullptr);
}

// --- puzzle selection and the bonus list ---

// A puzzle the catalogue could not read keeps its place, shown as unavailable; once open it
// counts as done, so the set goes on past it and, when it is the last, the next set opens.
TEST_F(StoryAndLevelsTest, APuzzleThatCantBePlayedDoesNotBlockItsSet) {
    for (const bool last : {false, true}) {
        int count = 0;
        int bad = 0;
        Begin([&](PlayerState& state) {
            count = static_cast<int>(state.mProgress[0][kSaltmere].mPuzzles.size());
            bad = last ? count - 1 : 1;  // the puzzle before it was just solved, opening it
            state.mSeenTutorial = true;
            CompleteSet(state, 0, 0);
            for (int p = 0; p < bad; ++p) {
                state.mProgress[0][kSaltmere].mPuzzles[static_cast<size_t>(p)].mCompleted = true;
            }
            state.mProgress[0][kSaltmere].mUnlock = bad + 1;
            state.mCurrentCountry = kSaltmere;
        });
        ASSERT_GE(count, 3);
        PuzzleRecord& record =
            CurrentGameData().mCatalog[kDefaultGameName][0][kSaltmere][static_cast<size_t>(bad)];
        record = PuzzleRecord();
        record.mUnavailable = true;
        OpenPuzzleSelect(kDefaultGameName, 0, kSaltmere, bad - 1, 1);
        PuzzleSelectMenu* select = nullptr;
        ASSERT_TRUE(session->StepUntil([&] {
            select = session->FindMenu<PuzzleSelectMenu>();
            return select != nullptr && static_cast<int>(select->GetEntries().size()) == count;
        }));
        const PlayerState saved = SavedState();
        EXPECT_EQ(saved.mProgress[0][kSaltmere].mUnlock, last ? count : bad + 2) << bad;
        EXPECT_EQ(saved.CountCompletedPuzzles(0, kSaltmere), bad + 1) << bad;
        EXPECT_EQ(saved.mProgress[0][kSaltmere + 1].mUnlock > 0, last) << bad;
        EXPECT_TRUE(select->GetEntryButton(bad)->mDisabled) << bad;
        if (!last) {
            EXPECT_FALSE(select->GetEntryButton(bad + 1)->mDisabled) << bad;
        }
        session.reset();
    }
}

// Passing a set's last puzzle that can't be played finishes the set as solving it would: the
// next set, the bonus rooms after their set, the end-of-set screens and the closing letter.
TEST_F(StoryAndLevelsTest, AnUnplayableLastPuzzleFinishesTheSetAsASolveWould) {
    for (const int set : {kAmberdune, kStarfall}) {
        SCOPED_TRACE(set);
        Begin([&](PlayerState& state) { UpToLastPuzzleOf(state, set); });
        const int last = PuzzlesIn(0, set) - 1;
        PuzzleRecord& record =
            CurrentGameData().mCatalog[kDefaultGameName][0][set][static_cast<size_t>(last)];
        record = PuzzleRecord();
        record.mUnavailable = true;
        OpenPuzzleSelect(kDefaultGameName, 0, set, last - 1, 1);
        if (set == kStarfall) {
            EXPECT_TRUE(session->StepUntil([&] { return session->FindMenu<StoryFinalMenu>(); }));
        } else {
            EXPECT_TRUE(session->StepUntil([&] { return session->FindMenu<MapMenu>(); }));
            const PlayerState saved = SavedState();
            EXPECT_GT(saved.mProgress[0][static_cast<size_t>(set) + 1].mUnlock, 0);
            EXPECT_GT(saved.mProgress[1][0].mUnlock, 0) << "the bonus rooms open";
        }
        EXPECT_TRUE(SavedState()
                        .mProgress[0][static_cast<size_t>(set)]
                        .mPuzzles[static_cast<size_t>(last)]
                        .mCompleted);
        session.reset();
    }
}

TEST_F(StoryAndLevelsTest, PuzzleSelectionShowsTheSolvedPuzzleAndRefreshesWithoutDoubles) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);
        state.mProgress[0][kSaltmere].mUnlock = 1;
        state.mCurrentCountry = kSaltmere;
    });
    // Booked as the play screen books a solve; the selection only shows it.
    PuzzleResult solved;
    solved.mGame = kDefaultGameName;
    solved.mId = {0, kSaltmere, 0};
    solved.mSeconds = 95;
    BookSolvedPuzzle(solved);
    OpenPuzzleSelect(kDefaultGameName, 0, kSaltmere, 0, 1);
    PuzzleSelectMenu* select = nullptr;
    const int count = PuzzlesIn(0, kSaltmere);
    ASSERT_TRUE(session->StepUntil([&] {
        select = session->FindMenu<PuzzleSelectMenu>();
        return select != nullptr && static_cast<int>(select->GetEntries().size()) == count;
    }));
    const PlayerState saved = SavedState();
    EXPECT_TRUE(saved.mProgress[0][kSaltmere].mPuzzles[0].mCompleted);
    EXPECT_EQ(saved.mProgress[0][kSaltmere].mUnlock, 2);
    EXPECT_EQ(select->GetEntries()[0].mLabel, "2-A");
    EXPECT_EQ(select->GetEntries()[0].mBestTime, 95);
    EXPECT_EQ(select->GetEntries()[1].mBestTime, -1);
    EXPECT_TRUE(select->GetEntryButton(2)->mDisabled);
    // The page shows the puzzle it opened, unbeaten; hovering the solved one shows its time.
    EXPECT_EQ(select->GetShownEntry(), 1);
    EXPECT_EQ(select->GetNameLabel()->GetText(), LocalizedTexts::Lookup("exhibit_name_unbeaten"));
    select->ButtonMouseEnter(select->GetEntryButton(0)->mId);
    ASSERT_NE(select->GetTimeLabel(), nullptr);
    EXPECT_EQ(select->GetTimeLabel()->GetText(), "Best time 1:35");

    // A second refresh replaces the buttons instead of adding a second set.
    select->OnEvent("transition_complete", "", 0);
    session->Step(3);
    EXPECT_EQ(static_cast<int>(select->GetEntries().size()), count);
    EXPECT_EQ(SavedState().mProgress[0][kSaltmere].mUnlock, 2) << "booked twice";

    // "display_preview" again: the solve is not booked a second time and the buttons are
    // replaced, not doubled.
    select->OnEvent("display_preview", "", 0);
    session->Step(3);
    EXPECT_EQ(static_cast<int>(select->GetEntries().size()), count);
    EXPECT_EQ(SavedState().mProgress[0][kSaltmere].mUnlock, 2);
}

// Whichever way the player arrives (from the set's loading screen, after a solve, from the fail
// screen), the page beside the puzzles shows the one the glow invites to; with none left to play,
// the one just solved or else the last.
TEST_F(StoryAndLevelsTest, ThePageShowsThePuzzleTheGlowIsOnOnEveryArrival) {
    constexpr int count = 10;  // Saltmere's puzzles
    struct Case {
        int solved;    // puzzles solved from the first
        int finished;  // the selection's finished-puzzle argument
        int shown;
        bool glow;
    };
    const Case cases[] = {
        {0, PuzzleSelectMenu::kOpenedPlainly, 0, true},
        {2, PuzzleSelectMenu::kOpenedPlainly, 2, true},
        {2, 1, 2, true},
        {2, 0, 2, true},
        {2, PuzzleSelectMenu::kFromFailScreen, 2, true},
        {count, PuzzleSelectMenu::kOpenedPlainly, count - 1, false},
        {count, 3, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.solved << " solved, arriving with " << c.finished);
        Begin([&](PlayerState& state) {
            state.mSeenTutorial = true;
            CompleteSet(state, 0, 0);
            CompleteSet(state, 0, kSaltmere);
            for (int p = c.solved; p < count; ++p) {
                state.mProgress[0][kSaltmere].mPuzzles[size_t(p)] = PuzzleProgress();
            }
            state.mProgress[0][kSaltmere].mUnlock = std::min(c.solved + 1, count);
            state.mCurrentCountry = kSaltmere;
        });
        ASSERT_EQ(PuzzlesIn(0, kSaltmere), count);
        CloseOpenScreens();
        OpenPuzzleSelect(kDefaultGameName, 0, kSaltmere, c.finished, 1);
        PuzzleSelectMenu* select = nullptr;
        ASSERT_TRUE(session->StepUntil([&] {
            select = session->FindMenu<PuzzleSelectMenu>();
            return select != nullptr && static_cast<int>(select->GetEntries().size()) == count &&
                   select->GetShownEntry() >= 0;
        }));
        session->Step(5);
        EXPECT_EQ(select->GetShownEntry(), c.shown);
        const Widget* flash = select->GetFlashWidget();
        ASSERT_EQ(flash != nullptr, c.glow);
        if (c.glow) {
            EXPECT_EQ(flash->mX, select->GetEntryButton(c.shown)->mX);
            EXPECT_EQ(flash->mY, select->GetEntryButton(c.shown)->mY);
        }
        session.reset();
    }
}

// The pointer leaving a hovered puzzle for empty paper takes the page back to the puzzle the glow
// is on; going straight to another puzzle shows that one.
TEST_F(StoryAndLevelsTest, ThePageGoesBackToTheGlowingPuzzleWhenThePointerLeavesAnother) {
    constexpr int solved = 3;
    Begin([&](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);
        CompleteSet(state, 0, kSaltmere);
        for (int p = solved; p < PuzzlesIn(0, kSaltmere); ++p) {
            state.mProgress[0][kSaltmere].mPuzzles[size_t(p)] = PuzzleProgress();
        }
        state.mProgress[0][kSaltmere].mUnlock = solved + 1;
        state.mCurrentCountry = kSaltmere;
    });
    CloseOpenScreens();
    OpenPuzzleSelect(kDefaultGameName, 0, kSaltmere, PuzzleSelectMenu::kOpenedPlainly, 1);
    PuzzleSelectMenu* select = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        select = session->FindMenu<PuzzleSelectMenu>();
        return select != nullptr && select->GetShownEntry() >= 0 &&
               select->GetFlashWidget() != nullptr;
    }));
    session->Step(5);
    ASSERT_EQ(select->GetShownEntry(), solved);
    const auto pointTo = [&](int entry) { PointAt(select->GetEntryButton(entry)); };
    const std::string glowingName = select->GetNameLabel()->GetText();
    pointTo(1);
    EXPECT_EQ(select->GetShownEntry(), 1);
    EXPECT_NE(select->GetNameLabel()->GetText(), glowingName);
    pointTo(0);
    EXPECT_EQ(select->GetShownEntry(), 0);
    // Top left of the screen: over no puzzle.
    session->app->OnMouseMove(2, 2);
    session->Step(2);
    EXPECT_EQ(select->GetShownEntry(), solved);
    EXPECT_EQ(select->GetNameLabel()->GetText(), glowingName);
}

TEST_F(StoryAndLevelsTest, TheStarsTellWhatTheyMeanWhenThePointerComesOverThem) {
    Begin([](PlayerState& state) { UpToLastPuzzleOf(state, kSaltmere); });
    // The star's name, the text the selection shows and the one level complete shows.
    const std::tuple<const char*, const char*, const char*> stars[] = {
        {"complete_star", "star_complete_text", "complete_star_description"},
        {"hint_star", "star_hint_text", "hint_star_description"},
        {"mistake_star", "star_mistake_text", "mistake_star_description"}};
    // Moves the pointer over the screen's star and answers the text the screen then holds in
    // variable.
    const auto hover = [&](Menu* screen, const char* star, const char* variable) {
        ButtonWidget* button = nullptr;
        EXPECT_TRUE(session->StepUntil([&] {
            button = GameSession::FindButtonWhere(
                screen, [&](const ButtonWidget& b) { return b.mScriptName == star; });
            return button != nullptr;
        })) << star;
        if (button == nullptr) {
            return std::string();
        }
        const FPoint at = button->LocalToGlobal();
        session->app->OnMouseMove(static_cast<int>(at.mX) + button->mWidth / 2,
                                  static_cast<int>(at.mY) + button->mHeight / 2);
        session->Step(3);
        const ExprValue* text = screen->GetVariables().Find(variable);
        return text != nullptr ? text->AsString() : std::string();
    };
    OpenPuzzleSelect(kDefaultGameName, 0, kSaltmere, -1, 1);
    PuzzleSelectMenu* select = nullptr;
    ASSERT_TRUE(
        session->StepUntil([&] { return (select = session->FindMenu<PuzzleSelectMenu>()); }));
    for (const auto& [star, selectText, levelText] : stars) {
        EXPECT_EQ(hover(select, star, "c_text"), LocalizedTexts::Lookup(selectText));
    }
    CloseOpenScreens();
    LevelCompleteMenu* complete = OpenComplete(0, kSaltmere, 0, 0, 0);
    ASSERT_NE(complete, nullptr);
    for (const auto& [star, selectText, levelText] : stars) {
        EXPECT_EQ(hover(complete, star, "star_text"), LocalizedTexts::Lookup(levelText));
    }
}

TEST_F(StoryAndLevelsTest, ALocalizedTextWhoseFormatDoesNotFitIsShownUnformatted) {
    LocalizedTexts::Set("h20_test_format", "%s wrote %d letters to %s");
    EXPECT_EQ(FormatLocalized("h20_test_format", {"Ada"}), "%s wrote %d letters to %s");
    EXPECT_EQ(FormatLocalized("h20_test_format", {"Ada", 7, "Ann"}), "Ada wrote 7 letters to Ann");
    LocalizedTexts::Set("h20_test_format", "%n%s");
    EXPECT_EQ(FormatLocalized("h20_test_format", {"x"}), "%n%s");
}

TEST_F(StoryAndLevelsTest, ThePuzzleLabelsNameSetAndLetter) {
    EXPECT_EQ(FormatPuzzleLabel({0, 2, 0}), "3-A");
    EXPECT_EQ(FormatPuzzleLabel({1, 0, 2}), "X1-C");
}

TEST_F(StoryAndLevelsTest, TheBonusListTellsHowManyStorySetsARoomStillNeeds) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);  // one story set done
    });
    CloseOpenScreens();
    OpenSelectSet(kDefaultGameName, 1, false);
    SelectSetMenu* list = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        list = session->FindMenu<SelectSetMenu>();
        return list != nullptr && list->GetSetButtonCount() > 0;
    }));
    EXPECT_EQ(list->GetSetButtonCount(), CountCatalogSets(kDefaultGameName, 1));
    Widget* first = list->GetSetButton(0);
    EXPECT_TRUE(first->mDisabled);
    list->ButtonMouseEnter(first->mId);
    EXPECT_EQ(list->GetInfoText(), FormatLocalized("bonus_set_locked_plural", {3}));

    list->OnEvent("main_menu", "", 0);
    list->OnEvent("main_menu", "", 0);
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<SelectSetMenu>() == nullptr; }));
    EXPECT_EQ(session->CountMenus<MainMenu>(), 1);
}

TEST_F(StoryAndLevelsTest, TheBonusListNeedingOneMoreSetSaysSoAndAnOpenRoomShowsItsProgress) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        for (int s = 0; s < 3; ++s) {
            CompleteSet(state, 0, s);
        }
        state.mProgress[1][1].mUnlock = 1;
        state.mProgress[1][1].mPuzzles[0].mCompleted = true;
    });
    OpenSelectSet(kDefaultGameName, 1, false);
    SelectSetMenu* list = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        list = session->FindMenu<SelectSetMenu>();
        return list != nullptr && list->GetSetButtonCount() > 1;
    }));
    list->ButtonMouseEnter(list->GetSetButton(0)->mId);
    EXPECT_EQ(list->GetInfoText(), LocalizedTexts::Lookup("bonus_set_locked_singular"));
    list->ButtonMouseEnter(list->GetSetButton(1)->mId);
    EXPECT_NE(list->GetInfoText().find(StrFormat("1 of %d", PuzzlesIn(1, 1))), std::string::npos)
        << list->GetInfoText();

    // Choosing the open room loads it in bonus mode.
    session->ClickWidget(list->GetSetButton(1));
    ASSERT_TRUE(session->StepUntil([&] { return session->FindMenu<PuzzleSelectMenu>(); }));
    const PlayerState* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->mMode, 1);
    EXPECT_EQ(player->mCurrentCountry, 1);
}

// The pointer itself, not a call: a locked room's button is disabled, yet the pointer over it
// must show what that room still needs, also straight after an open room.
TEST_F(StoryAndLevelsTest, ThePointerOverALockedRoomShowsWhatItStillNeeds) {
    // One story set done, the second room opened anyway (as a developer code does): the other
    // rooms need three more.
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        CompleteSet(state, 0, 0);
        state.mProgress[1][1].mUnlock = 1;
    });
    SelectSetMenu* list = OpenRoomList(3);
    ASSERT_NE(list, nullptr);
    const auto pointTo = [&](int set) { PointAt(list->GetSetButton(set)); };
    ASSERT_TRUE(list->GetSetButton(0)->mDisabled);
    ASSERT_FALSE(list->GetSetButton(1)->mDisabled);
    const std::string locked = FormatLocalized("bonus_set_locked_plural", {3});
    pointTo(1);
    EXPECT_EQ(list->GetHoveredSet(), 1);
    EXPECT_NE(list->GetInfoText(), locked);
    pointTo(0);
    EXPECT_EQ(list->GetHoveredSet(), 0);
    EXPECT_EQ(list->GetInfoText(), locked);
    pointTo(1);
    pointTo(2);
    EXPECT_EQ(list->GetHoveredSet(), 2);
    EXPECT_EQ(list->GetInfoText(), locked);
    // A locked room still opens nothing.
    session->ClickWidget(list->GetSetButton(0));
    session->Step(5);
    EXPECT_EQ(session->FindMenu<SelectSetMenu>(), list);
    EXPECT_EQ(session->FindMenu<SetLoadingMenu>(), nullptr);
}

// As a player meets the rooms: every story place they need is done, the first room is open, and
// the next ones wait for the room before them; under the pointer they say so, never showing the
// first room's progress.
TEST_F(StoryAndLevelsTest, ARoomWaitingForTheRoomBeforeItSaysSo) {
    Begin([](PlayerState& state) {
        state.mSeenTutorial = true;
        for (int s = 0; s <= kAmberdune; ++s) {
            CompleteSet(state, 0, s);
        }
        state.mProgress[1][0].mUnlock = 1;
    });
    SelectSetMenu* list = OpenRoomList(2);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->GetSetButton(1)->mDisabled);
    PointAt(list->GetSetButton(0));
    PointAt(list->GetSetButton(1));
    EXPECT_EQ(list->GetHoveredSet(), 1);
    EXPECT_EQ(list->GetInfoText(), LocalizedTexts::Lookup("bonus_set_locked_previous"));
}

// --- the text popup ---

struct OkProbe : ButtonListener {
    void ButtonDepress(uint32_t id) override { clicked.push_back(id); }
    std::vector<uint32_t> clicked;
};

TEST_F(StoryAndLevelsTest, TheTextPopupsOkButtonStartsDisabledAndReportsToItsListener) {
    Begin(nullptr);
    CloseOpenScreens();
    OkProbe probe;
    auto* popup = new TextboxPopup(100, 80, LookupAssetTableA("Dialog"), &probe);
    Menu::ShowAsDialog(popup);
    session->Step(2);
    EXPECT_EQ(popup->mX, 100.0f);
    EXPECT_EQ(popup->mY, 80.0f);
    Widget* ok = popup->GetOkButton();
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->mDisabled);
    session->ClickWidget(ok);
    EXPECT_TRUE(probe.clicked.empty());
    ok->SetDisabled(false);
    session->ClickWidget(ok);
    ASSERT_EQ(probe.clicked.size(), 1u);
    EXPECT_EQ(probe.clicked[0], ok->mId);
}

TEST_F(StoryAndLevelsTest, TheTutorialsTextsShowInPopupsThatLeaveTheBoardPlayable) {
    Begin(nullptr);
    CloseOpenScreens();
    OpenPuzzleLoading(kDefaultGameName, {0, 0, 0}, false);
    TextboxPopup* popup = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        popup = session->FindMenu<TextboxPopup>();
        return popup != nullptr && popup->GetOkButton() != nullptr;
    }));
    // The play screen stays the active, awake menu under the popup.
    PlayPuzzleMenu* play = session->FindMenu<PlayPuzzleMenu>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(session->app->GetActiveMenu(), play);
    EXPECT_FALSE(play->IsUpdateSuspended());
    EXPECT_FALSE(popup->IsUpdateSuspended());
    EXPECT_GT(popup->mWidth, 0);
    // A notice over the screen is the active menu while it is up; once it closes the play
    // screen is active again, not left without one under the popup's keyboard focus.
    auto* notice = new NoticeMenu("hint_intro", nullptr, "menu", 2);
    Menu::ShowAsDialog(notice);
    session->Step(5);
    EXPECT_EQ(session->app->GetActiveMenu(), notice);
    notice->MarkForRemoval();  // it lifts away first
    ASSERT_TRUE(session->StepUntil([&] { return !session->app->HasDialog(notice); }, 200));
    session->Step(1);
    EXPECT_EQ(session->app->GetActiveMenu(), play);
    // The first step waits for "ok": the button is enabled and moves the tutorial on.
    Widget* ok = popup->GetOkButton();
    ASSERT_TRUE(session->StepUntil([&] { return !ok->mDisabled; }, 200));
    const uint32_t firstId = popup->mId;
    session->ClickWidget(ok);
    EXPECT_TRUE(session->StepUntil(
        [&] {
            TextboxPopup* next = session->FindMenu<TextboxPopup>();
            return next != nullptr && next->mId != firstId;
        },
        200));
}

// A tutorial step's box keeps its width from one tip to the next, however long each line of the
// tip turns out: the box follows the column the script gives the text.
TEST_F(StoryAndLevelsTest, TipBoxesOfOneColumnWidthAreAlikeWhateverTheirText) {
    Begin(nullptr);
    CloseOpenScreens();
    OkProbe probe;
    TextLabel shortTip("Finish the key on your own.", 266, 5, "small", 480, -1, -1, -1);
    TextLabel longTip(LocalizedTexts::Lookup("tut2_mark"), 266, 5, "small", 480, -1, -1, -1);
    ASSERT_LT(shortTip.GetTextWidth(), longTip.GetTextWidth());
    TextboxPopup* first = TextboxPopup::ForLabel(&shortTip, &probe);
    TextboxPopup* second = TextboxPopup::ForLabel(&longTip, &probe);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // Shown, so that the application deletes them in its own time.
    Menu::ShowAsDialog(first);
    Menu::ShowAsDialog(second);
    EXPECT_EQ(first->mWidth, second->mWidth);
    EXPECT_EQ(first->mX, second->mX);
    // The column, its margins and the OK button's room.
    EXPECT_EQ(first->mWidth, 480 + 3 * 16 + 240);
}

// A question's text stands close above its buttons, whatever its length.
TEST_F(StoryAndLevelsTest, AQuestionsTextStandsCloseAboveItsButtons) {
    Begin(nullptr);
    CloseOpenScreens();
    auto* question = new ConfirmTutorialMenu();
    Menu::ShowAsDialog(question);
    ButtonWidget* yes = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        yes = GameSession::FindButton(question, LocalizedTexts::Lookup("button_yes"));
        return yes != nullptr;
    }));
    const ExprValue* value = question->GetVariables().Find("confirm_text");
    ASSERT_NE(value, nullptr);
    auto* text = dynamic_cast<TextLabel*>(value->AsObject());
    ASSERT_NE(text, nullptr);
    // The label's y is where its first line's glyphs start; its block is its text height.
    const int textBottom = static_cast<int>(text->mY) + text->GetTextHeight();
    const int gap = static_cast<int>(yes->mY) - textBottom;
    EXPECT_GE(gap, 20);
    EXPECT_LE(gap, 60);
    // The two stand in the middle of the card under its title: as much room above the text as
    // below the buttons, to the room's end 32 above the foot of the short card of a question.
    ASSERT_EQ(question->mHeight, 296);
    const int above = static_cast<int>(text->mY) - 96;
    const int below = question->mHeight - 32 - static_cast<int>(yes->mY) - yes->mHeight;
    EXPECT_NEAR(above, below, 2);
}

// "Yes" to the tutorial question leaves the letter through one picture of it that grows and
// fades, not two (the transition's and the loading screen's own) shown over each other.
TEST_F(StoryAndLevelsTest, YesToTheTutorialShowsTheScreenLeftOnlyOnce) {
    Begin(nullptr);
    CloseOpenScreens();
    OpenStoryIntro();
    StoryIntroMenu* letter = nullptr;
    ASSERT_TRUE(session->StepUntil([&] { return (letter = session->FindMenu<StoryIntroMenu>()); }));
    ClickLabelled(letter, "letter_ok");
    ConfirmTutorialMenu* question = nullptr;
    ASSERT_TRUE(
        session->StepUntil([&] { return (question = session->FindMenu<ConfirmTutorialMenu>()); }));
    ClickLabelled(question, "button_yes");
    auto shown = [](AnimationWidget* screen) {
        const ExprValue* value =
            screen != nullptr ? screen->GetVariables().Find("screenshot") : nullptr;
        const auto* picture =
            value != nullptr ? dynamic_cast<const DynamicWidget*>(value->AsObject()) : nullptr;
        return picture != nullptr && picture->mVisible && picture->mOpacity > 0.0f ? 1 : 0;
    };
    bool sawTransition = false;
    for (int step = 0; step < 60; ++step) {
        auto* loading = session->FindMenu<PuzzleLoadingMenu>();
        auto* transition = session->FindMenu<ScreenTransition>();
        sawTransition = sawTransition || transition != nullptr;
        EXPECT_LE(shown(loading) + shown(transition), 1) << "update " << step;
        session->Step(1);
    }
    EXPECT_TRUE(sawTransition);
}

// --- transitions ---

TEST_F(StoryAndLevelsTest, ATransitionOpensTheNextScreenOnceAndGoesWhenItsScriptEnds) {
    Begin(nullptr);
    const size_t dialogsBefore = session->app->GetDialogCount();
    auto* next = new TipsMenu();
    const uint32_t nextId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, next);
    Widget* shown = MakeTransition(next, "transition");
    ASSERT_NE(dynamic_cast<ScreenTransition*>(shown), nullptr);
    EXPECT_TRUE(session->app->HasDialog(next));
    EXPECT_EQ(session->app->GetDialogCount(), dialogsBefore + 1);
    session->app->AddDialog(shown);
    EXPECT_EQ(session->app->GetDialogCount(), dialogsBefore + 2);
    const uint32_t shownId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, shown);
    EXPECT_TRUE(session->StepUntil(
        [&] { return LiveObjectRegistry::ResolveWidget(shownId) == nullptr; }, 200));
    ASSERT_NE(LiveObjectRegistry::ResolveWidget(nextId), nullptr);
    EXPECT_TRUE(session->app->HasDialog(LiveObjectRegistry::ResolveWidget(nextId)));
}

TEST_F(StoryAndLevelsTest, ShowingThroughATransitionWrapsEvenAMenuThatWouldShowItself) {
    Begin(nullptr);
    auto* tips = new TipsMenu();
    Widget* shown = Menu::ShowWithTransition(tips);
    ASSERT_NE(dynamic_cast<ScreenTransition*>(shown), nullptr);
    EXPECT_TRUE(session->app->HasDialog(shown));
    EXPECT_TRUE(session->app->HasDialog(tips));
    EXPECT_EQ(Menu::ShowWithTransition(nullptr), nullptr);
}

}  // namespace

TEST_F(StoryAndLevelsTest, LeavingATutorialPuzzleByAMenuPassesTheTutorialAndLowersNothing) {
    // The tutorial's way to the sketches goes on to the first story set, and says so.
    for (const char* leave : {"button_menu", "button_go_on"}) {
        SCOPED_TRACE(leave);
        // A player far into the first story set replays a desk puzzle.
        Begin([](PlayerState& state) {
            state.mSeenTutorial = true;
            CompleteSet(state, 0, 0);
            state.mProgress[0][0].mPuzzles[3].mCompleted = false;
            state.mProgress[0][kSaltmere].mUnlock = 7;
            state.mCurrentCountry = 0;
        });
        const Widget* confirm = leave == std::string("button_menu")
                                    ? OpenConfirmMainMenu(nullptr)
                                    : OpenConfirmPuzzleSelect(kDefaultGameName, 0, 0, nullptr);
        ClickLabelled(confirm, leave);
        session->Step(5);
        const int desk = PuzzlesIn(0, 0);
        // On disk at once, not only when the game ends.
        for (const bool ended : {false, true}) {
            if (ended) {
                session->End();
            }
            const PlayerState saved = SavedState();
            EXPECT_EQ(saved.mProgress[0][kSaltmere].mUnlock, 7) << ended;
            EXPECT_EQ(saved.mProgress[0][0].mUnlock, desk) << ended;
            // The tutorial set is passed, so Play goes on to the first story set.
            EXPECT_EQ(saved.CountCompletedPuzzles(0, 0), desk) << ended;
            EXPECT_GE(saved.CountCompletedSets(0), 1) << ended;
        }
    }
}
