// The game's application and board through the real game: the hand-over when the title is left,
// the button factories, where play leads, and the play screen's timer text.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "GameSession.h"
#include "game/data/PlayerState.h"
#include "game/screens/ConfirmQuitMenu.h"
#include "game/screens/CreditsMenu.h"
#include "game/screens/MapMenu.h"
#include "game/screens/MyBoard.h"
#include "game/screens/OptionsMenu.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/PuzzleSelectMenu.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/SetLoadingMenu.h"
#include "game/screens/StoryIntroMenu.h"
#include "game/screens/TipsMenu.h"
#include "graphics/D3DInterface.h"
#include "graphics/Image.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Font.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

void CompleteStorySets(PlayerState& state, int count) {
    for (int set = 0; set < count; ++set) {
        for (PuzzleProgress& puzzle : state.mProgress[0][static_cast<size_t>(set)].mPuzzles) {
            puzzle.mCompleted = true;
        }
        state.mProgress[0][static_cast<size_t>(set)].mIntroduced = true;
        state.mProgress[0][static_cast<size_t>(set)].mUnlock = 1;
    }
}

}  // namespace

TEST(GameApplication, LeavingTheTitleBuildsOneBoardAndSetsTheDeviceWord) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    auto* board = dynamic_cast<MyBoard*>(session.app->mBoard);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(GetCurrentPlayerState()->mDeviceWord, "ipad");
    EXPECT_EQ(session.app->mCurrentPlayerName, "Ann");
    // A second hand-over changes nothing.
    session.app->LoadingComplete();
    EXPECT_EQ(session.app->mBoard, board);
    int boards = 0;
    for (Widget* widget : session.app->GetWidgetManager()->GetChildren()) {
        boards += dynamic_cast<MyBoard*>(widget) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(boards, 1);
    // The game's six data steps are in the loading total.
    EXPECT_EQ(session.app->GetExtraLoadingSteps(), 6);
}

TEST(GameApplication, MenuButtonsAreCentredAndTextButtonsFitTheirLabel) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    const Image* normal = LookupAssetTableA("button");
    ASSERT_NE(normal, nullptr);
    std::unique_ptr<Widget> menuButton(session.app->CreateMenuButton(500, 300, "Play", false));
    EXPECT_EQ(menuButton->mX, 500 - normal->GetCelWidth() / 2);
    EXPECT_EQ(menuButton->mY, 300 - normal->GetCelHeight() / 2);

    std::unique_ptr<Widget> textButton(
        session.app->CreateTextButton(500, 300, "button_credits", 7));
    auto* button = dynamic_cast<ButtonWidget*>(textButton.get());
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->GetLabelFont(), nullptr);
    EXPECT_EQ(button->GetLabel(), LocalizedTexts::Lookup("button_credits")) << "localized";
    const int width =
        static_cast<int>(std::lround(button->GetLabelFont()->StringWidthF(button->GetLabel())));
    EXPECT_GT(width, 0);
    EXPECT_EQ(button->mWidth, width);
    EXPECT_EQ(button->mHeight, button->GetLabelFont()->GetHeight());
    EXPECT_EQ(button->mX, 500 - width / 2);
    EXPECT_EQ(button->mY, 300);
    EXPECT_EQ(button->mDownOffsetX, 0);
    EXPECT_EQ(button->mDownOffsetY, 0);
    EXPECT_EQ(button->mLabelWidth, -1);
}

TEST(GameBoard, ANewPlayerReadsTheOpeningLetterAndTheFirstSetOpens) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    PlayerState* state = GetCurrentPlayerState();
    ASSERT_EQ(state->mProgress[0][1].mUnlock, 0);
    session.app->mBoard->StartPlay();
    EXPECT_EQ(state->mProgress[0][1].mUnlock, 1);
    EXPECT_TRUE(session.StepUntil([&] { return session.FindMenu<StoryIntroMenu>(); }, 200));
}

TEST(GameBoard, PlayGoesToTheFirstUnfinishedStorySet) {
    GameSession session(MakeProfilesXml("Ann", [](PlayerState& state) {
        CompleteStorySets(state, 5);
        state.mProgress[0][5].mUnlock = 1;
    }));
    ASSERT_TRUE(session.Start());
    session.app->mBoard->StartPlay();
    EXPECT_EQ(GetCurrentPlayerState()->mCurrentCountry, 5);
    EXPECT_NE(session.FindMenu<SetLoadingMenu>(), nullptr);
    EXPECT_TRUE(session.StepUntil([&] { return session.FindMenu<PuzzleSelectMenu>(); }, 500));
}

TEST(GameBoard, WithEveryStorySetDonePlayOpensTheMapAtTheLastSet) {
    const int storySets = 11;
    GameSession session(
        MakeProfilesXml("Ann", [&](PlayerState& state) { CompleteStorySets(state, storySets); }));
    ASSERT_TRUE(session.Start());
    ASSERT_EQ(static_cast<int>(GetCurrentPlayerState()->mProgress[0].size()), storySets);
    session.app->mBoard->StartPlay();
    EXPECT_EQ(GetCurrentPlayerState()->mCurrentCountry, storySets - 1);
    EXPECT_TRUE(session.StepUntil([&] { return session.FindMenu<MapMenu>(); }, 200));
}

TEST(MapScreen, ArrivingFadesFromThePictureOfTheScreenLeft) {
    GameSession session(
        MakeProfilesXml("Ann", [&](PlayerState& state) { CompleteStorySets(state, 2); }),
        GameSession::Frames::kEveryUpdate);
    ASSERT_TRUE(session.Start());
    session.Step(100);
    // The mean difference of two frames per colour channel.
    const auto frame = [&] {
        session.Step(1);
        return D3DInterface::Get()->SnapshotCursorImage()->GetPixelData();
    };
    const auto distance = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        double sum = 0.0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            for (int shift : {0, 8, 16}) {
                sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                static_cast<int>((b[i] >> shift) & 0xFF));
            }
        }
        return sum / (3.0 * static_cast<double>(a.size()));
    };
    const std::vector<uint32_t> left = frame();
    OpenMap(kDefaultGameName, true);
    session.Step(3);
    const std::vector<uint32_t> arriving = frame();
    ASSERT_TRUE(session.StepUntil([&] { return session.FindMenu<MapMenu>(); }));
    session.Step(300);
    const std::vector<uint32_t> arrived = frame();
    EXPECT_LT(distance(arriving, left), distance(arriving, arrived))
        << "the map showed at once instead of fading in over the screen left";
}

// A screen the player only looks at lets the application sleep until the next event: the
// main menu, the map arriving over the last screen, a set's puzzle selection through its loading
// screen (once its newest puzzle has pulsed a few times) and the options, each over the board
// that counts the play time, the tips, the credits once their movie has played, a question, and
// the play screen between strokes.
TEST(GameBoard, TheMainScreensComeToRest) {
    GameSession session(
        MakeProfilesXml("Ann", [&](PlayerState& state) { CompleteStorySets(state, 2); }));
    ASSERT_TRUE(session.Start());
    WidgetManager* manager = session.app->GetWidgetManager();
    auto atRest = [&] { return !manager->HasScheduledWork(); };
    auto closeScreens = [&] {
        session.app->KillOpenMenus();
        session.Step(1);
    };
    EXPECT_TRUE(session.StepUntil(atRest, 1000)) << "the main menu";
    closeScreens();
    OpenMap(kDefaultGameName, true);
    EXPECT_TRUE(session.StepUntil([&] { return session.FindMenu<MapMenu>() && atRest(); }, 1000))
        << "the map";
    closeScreens();
    OpenSetLoading(-1);
    EXPECT_TRUE(
        session.StepUntil([&] { return session.FindMenu<PuzzleSelectMenu>() && atRest(); }, 1500))
        << "the puzzle selection";
    OpenOptions(kDefaultGameName, "", 0, 2);
    EXPECT_TRUE(
        session.StepUntil([&] { return session.FindMenu<OptionsMenu>() && atRest(); }, 1000))
        << "the options";
    closeScreens();
    OpenTips();
    EXPECT_TRUE(session.StepUntil([&] { return session.FindMenu<TipsMenu>() && atRest(); }, 1000))
        << "the tips";
    closeScreens();
    OpenCredits();
    EXPECT_TRUE(
        session.StepUntil([&] { return session.FindMenu<CreditsMenu>() && atRest(); }, 1500))
        << "the credits";
    OpenConfirmQuit();
    EXPECT_TRUE(
        session.StepUntil([&] { return session.FindMenu<ConfirmQuitMenu>() && atRest(); }, 1000))
        << "the question whether to quit";
    // The play screen while the player thinks: only the clock counts, caught up after a wait.
    closeScreens();
    OpenPuzzleLoading(kDefaultGameName, {0, 2, 0}, false);
    EXPECT_TRUE(session.StepUntil(
        [&] {
            auto* play = session.FindMenu<PlayPuzzleMenu>();
            return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying && atRest();
        },
        3000))
        << "the play screen";
}

// The player is told, once each, of profiles that could not be read (naming where they were
// kept) and of saves that fail.
TEST(GameApplication, PlayerIsToldOnceOfProfilesSetAsideAndOfFailedSaves) {
    GameSession session("<profiles selected=\"0\"><prof");
    ASSERT_TRUE(session.Start());
    session.Step(2);
    ASSERT_EQ(session.CountMenus<NoticeMenu>(), 1);
    const ExprValue* text = session.FindMenu<NoticeMenu>()->GetVariables().Find("text");
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text->AsString().find(session.ProfilesPath() + ".unreadable"), std::string::npos)
        << text->AsString();
    // A folder where the file should go fails every save; one notice says so.
    std::filesystem::create_directory(session.ProfilesPath());
    for (const char* name : {"Bo", "Cy"}) {
        AddProfile(name);
        session.Step(2);
        EXPECT_EQ(session.CountMenus<NoticeMenu>(), 2) << name;
    }
}

// A profiles file read from its backup, or read with a field set back to its default, is told
// on screen too, not only in the log.
TEST(GameApplication, PlayerIsToldOfProfilesRestoredOrRepaired) {
    std::string repaired = MakeProfilesXml("Ann", nullptr);
    const size_t hours = repaired.find("hours=\"0\"");
    ASSERT_NE(hours, std::string::npos);
    repaired.replace(hours, 9, "hours=\"+5\"");
    const struct {
        std::string file;
        std::string backup;  // empty: none
        const char* notice;
    } cases[] = {
        {"<profiles selected=\"0\"><prof", MakeProfilesXml("Ann", nullptr), "profiles_restored"},
        {repaired, "", "profiles_repaired"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice);
        GameSession session(c.file);
        if (!c.backup.empty()) {
            std::ofstream(session.ProfilesPath() + ".bak", std::ios::binary) << c.backup;
        }
        ASSERT_TRUE(session.Start());
        session.Step(2);
        ASSERT_EQ(session.CountMenus<NoticeMenu>(), 1);
        const ExprValue* text = session.FindMenu<NoticeMenu>()->GetVariables().Find("text");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->AsString(), LocalizedTexts::Lookup(std::string(c.notice) + "_text"));
        EXPECT_EQ(GetProfileRecord(0)->mName, "Ann");
    }
}

TEST(GameBoard, WithoutStorySetsPlayStillHasSomewhereToGo) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    PlayerState* state = GetCurrentPlayerState();
    state->mProgress[0].clear();
    session.app->mBoard->StartPlay();
    EXPECT_EQ(state->mCurrentCountry, 0);
    session.Step(200);
}

TEST(PlayScreenTimer, MinutesAndSecondsOfTicks) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    EXPECT_EQ(PlayPuzzleMenu::FormatTime(6000), "1:00");
    EXPECT_EQ(PlayPuzzleMenu::FormatTime(12345), "2:03");
    EXPECT_EQ(PlayPuzzleMenu::SceneScriptName(kDefaultGameName, 0, 99), "default_play");
    EXPECT_EQ(PlayPuzzleMenu::SceneScriptName(kDefaultGameName, 0, 1), "saltmere_play_pelnora7");
}
