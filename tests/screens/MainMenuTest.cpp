// The main menu as the player meets it: the greeting, the bonus entry's lock (also when a
// developer code opens the bonus mode under the menu), and the credits' played time.

#include <gtest/gtest.h>

#include "GameSession.h"
#include "game/data/PlayerState.h"
#include "game/screens/CreditsMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/OptionsMenu.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/StoryFinalMenu.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

// Every text label under the widget, depth first.
void CollectLabels(const WidgetContainer& widget, std::vector<const TextLabel*>* out) {
    for (const Widget* child : widget.GetChildren()) {
        if (const auto* label = dynamic_cast<const TextLabel*>(child)) {
            out->push_back(label);
        }
        CollectLabels(*child, out);
    }
}

bool ShowsText(const WidgetContainer& widget, const std::string& text) {
    std::vector<const TextLabel*> labels;
    CollectLabels(widget, &labels);
    for (const TextLabel* label : labels) {
        if (label->GetText() == text) {
            return true;
        }
    }
    return false;
}

ButtonWidget* BonusButton(MainMenu* menu) {
    const ExprValue* value = menu->GetVariables().Find("bonus_btn");
    return value != nullptr ? dynamic_cast<ButtonWidget*>(value->AsObject()) : nullptr;
}

// A player who has read the opening letter and is on the story's way.
void StoryBegun(PlayerState& state) {
    state.mProgress[0][0].mIntroduced = true;
    state.mCurrentCountry = 1;
    state.mProgress[0][1].mUnlock = 1;
}

}  // namespace

TEST(MainMenuScreen, ANewPlayerIsWelcomedAndAReturningOneWelcomedBack) {
    {
        GameSession session(MakeProfilesXml("Ann", nullptr));
        ASSERT_TRUE(session.Start());
        MainMenu* menu = nullptr;
        ASSERT_TRUE(session.StepUntil([&] { return (menu = session.FindMenu<MainMenu>()); }));
        session.Step(5);
        EXPECT_TRUE(ShowsText(*menu, "Welcome to the Lantern House, Ann."));
        EXPECT_FALSE(ShowsText(*menu, "Welcome back to the Lantern House, Ann."));
    }
    GameSession session(MakeProfilesXml("Ann", StoryBegun));
    ASSERT_TRUE(session.Start());
    MainMenu* menu = nullptr;
    ASSERT_TRUE(session.StepUntil([&] { return (menu = session.FindMenu<MainMenu>()); }));
    session.Step(5);
    EXPECT_TRUE(ShowsText(*menu, "Welcome back to the Lantern House, Ann."));
}

TEST(MainMenuScreen, TheBackRoomsOpenOnTheShowingMenuWhenAnUnlockCodeIsTyped) {
    GameSession session(MakeProfilesXml("Ann", StoryBegun));
    ASSERT_TRUE(session.Start());
    MainMenu* menu = nullptr;
    ASSERT_TRUE(session.StepUntil([&] { return (menu = session.FindMenu<MainMenu>()); }));
    session.Step(5);
    ButtonWidget* bonus = BonusButton(menu);
    ASSERT_NE(bonus, nullptr);
    EXPECT_TRUE(bonus->mDisabled);

    session.Type("tebrofal");
    session.Step(2);
    EXPECT_FALSE(menu->GetVariables().Find("lock_bonus")->AsBool());
    EXPECT_FALSE(bonus->mDisabled);
    // The entry now leads to the bonus set list.
    session.ClickWidget(bonus);
    EXPECT_TRUE(session.StepUntil([&] { return session.FindMenu<MainMenu>() == nullptr; }));
    EXPECT_EQ(GetCurrentPlayerState()->mMode, 1);
}

TEST(MainMenuScreen, AnOpenFirstBonusSetEnablesTheEntry) {
    // The level-complete screen opens the first bonus set after story set number
    // "sets_before_extra_puzzles"; the next main menu shows the entry open.
    GameSession session(MakeProfilesXml("Ann", [](PlayerState& state) {
        StoryBegun(state);
        state.mProgress[1][0].mUnlock = 1;
    }));
    ASSERT_TRUE(session.Start());
    MainMenu* menu = nullptr;
    ASSERT_TRUE(session.StepUntil([&] { return (menu = session.FindMenu<MainMenu>()); }));
    session.Step(5);
    ASSERT_NE(BonusButton(menu), nullptr);
    EXPECT_FALSE(BonusButton(menu)->mDisabled);
}

TEST(MainMenuScreen, TheCreditsCountOneMinuteWithoutAPlural) {
    GameSession session(MakeProfilesXml("Ann", [](PlayerState& state) {
        StoryBegun(state);
        state.mHours = 1;
        state.mMinutes = 1;
    }));
    ASSERT_TRUE(session.Start());
    OpenCredits();
    CreditsMenu* credits = nullptr;
    ASSERT_TRUE(session.StepUntil([&] { return (credits = session.FindMenu<CreditsMenu>()); }));
    const ExprValue* time = credits->GetVariables().Find("time");
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->AsString(), "Time spent in the museum: 1 h 01 min");
}

TEST(MainMenuScreen, EveryWayBackFromTheCreditsLeavesOneMainMenu) {
    // The credits opened from the options over the main menu, and from the closing letter that a
    // developer code opens over it; twice each, so a pile would grow.
    const std::vector<std::function<void(GameSession&, MainMenu*)>> routes = {
        [](GameSession& session, MainMenu* menu) {
            ASSERT_TRUE(session.ClickLabelled(menu, "main_options"));
            OptionsMenu* options = nullptr;
            ASSERT_TRUE(
                session.StepUntil([&] { return (options = session.FindMenu<OptionsMenu>()); }));
            ASSERT_TRUE(session.ClickLabelled(options, "button_credits"));
        },
        [](GameSession& session, MainMenu*) {
            session.Type("gusnimor");
            StoryFinalMenu* letter = nullptr;
            ASSERT_TRUE(
                session.StepUntil([&] { return (letter = session.FindMenu<StoryFinalMenu>()); }));
            ASSERT_TRUE(session.ClickLabelled(letter, "letter_ok"));
        },
    };
    for (size_t route = 0; route < routes.size(); ++route) {
        GameSession session(MakeProfilesXml("Ann", StoryBegun));
        ASSERT_TRUE(session.Start());
        for (int round = 0; round < 2; ++round) {
            MainMenu* menu = nullptr;
            ASSERT_TRUE(session.StepUntil([&] { return (menu = session.FindMenu<MainMenu>()); }));
            session.Step(5);
            routes[route](session, menu);
            CreditsMenu* credits = nullptr;
            ASSERT_TRUE(
                session.StepUntil([&] { return (credits = session.FindMenu<CreditsMenu>()); }));
            ASSERT_TRUE(session.ClickLabelled(credits, "button_menu"));
            ASSERT_TRUE(session.StepUntil([&] { return !session.FindMenu<CreditsMenu>(); }));
            session.Step(5);
            EXPECT_EQ(session.CountMenus<MainMenu>(), 1)
                << "route " << route << ", round " << round;
            EXPECT_EQ(session.app->GetMenus().size(), 1u)
                << "route " << route << ", round " << round;
        }
    }
}
