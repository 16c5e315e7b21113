// The main menu as the player meets it: the greeting, the bonus entry's lock (also when a
// developer code opens the bonus mode under the menu), and the credits' played time.

#include <gtest/gtest.h>

#include <algorithm>

#include "GameSession.h"
#include "audio/SoundPlayer.h"
#include "game/data/PlayerState.h"
#include "game/screens/ConfirmQuitMenu.h"
#include "game/screens/ConfirmTutorialMenu.h"
#include "game/screens/CreditsMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/OptionsMenu.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/StoryFinalMenu.h"
#include "graphics/D3DInterface.h"
#include "graphics/Image.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "menus/NoticeMenu.h"
#include "support/RecordingSounds.h"
#include "widgets/NameLookups.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/Checkbox.h"
#include "widgets/controls/Slider.h"

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

TEST(OptionsDialog, InFullScreenEveryControlShownCanBeUsedAndNoneCoversAnother) {
    struct Case {
        const char* caller;
        bool canStretch;  // the stretched display size differs from the normal one
    };
    for (const Case& c : {Case{"main-menu", true}, Case{"main-menu", false}, Case{"playing", true},
                          Case{"playing", false}}) {
        SCOPED_TRACE(std::string(c.caller) + (c.canStretch ? ", can stretch" : ", cannot"));
        GameSession session(MakeProfilesXml("Ann", StoryBegun), GameSession::Frames::kEveryUpdate);
        ASSERT_TRUE(session.Start());
        session.app->mWindowed = false;
        session.app->mStretchedDisplaySize = c.canStretch ? Point{1366, 768} : Point{1024, 768};
        OpenOptions(kDefaultGameName, c.caller, 0, 1);
        OptionsMenu* options = nullptr;
        ASSERT_TRUE(session.StepUntil([&] { return (options = session.FindMenu<OptionsMenu>()); }));
        session.Step(60);

        // What the dialog shows, each with the rectangle it is drawn in (scaled about its centre).
        struct Shown {
            Widget* widget;
            float left, top, right, bottom;
        };
        std::vector<Shown> shown;
        const auto add = [&](Widget* widget) {
            if (widget == nullptr || !widget->mVisible) {
                return;
            }
            const FPoint at = widget->LocalToGlobal();
            const auto* dynamic = dynamic_cast<const DynamicWidget*>(widget);
            const float w = widget->mWidth * (dynamic != nullptr ? dynamic->mScaleX : 1.0f);
            float h = widget->mHeight * (dynamic != nullptr ? dynamic->mScaleY : 1.0f);
            if (const auto* slider = dynamic_cast<const Slider*>(widget)) {
                h = std::max(h, static_cast<float>(slider->mThumbImage->GetCelHeight()));
            }
            const float cx = at.mX + widget->mWidth / 2.0f;
            const float cy = at.mY + widget->mHeight / 2.0f;
            shown.push_back({widget, cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2});
        };
        // A slider's icon stands 50 pixels left of its track and 6 above.
        const std::pair<Slider*, const char*> sliders[] = {
            {options->GetMusicSlider(), "IconMusicVolume"},
            {options->GetSfxSlider(), "IconSoundVolume"},
            {options->GetMouseSlider(), "IconMouseSpeed"}};
        for (const auto& [slider, iconName] : sliders) {
            add(slider);
            const Image* icon = LookupAssetTableA(iconName);
            if (slider->mVisible && icon != nullptr) {
                const FPoint at = slider->LocalToGlobal();
                const float trackY =
                    at.mY + (slider->mHeight - slider->mTrackImage->GetHeight()) / 2;
                shown.push_back({slider, at.mX - 50, trackY - 6, at.mX - 50 + icon->GetWidth(),
                                 trackY - 6 + icon->GetHeight()});
            }
        }
        std::vector<Checkbox*> boxes;
        for (const char* type : {"full", "stretch", "cursors", "tips", "swap", "numbers"}) {
            ASSERT_NE(options->GetCheckbox(type), nullptr) << type;
            boxes.push_back(options->GetCheckbox(type));
            add(boxes.back());
        }
        GameSession::FindButtonWhere(options, [&](const ButtonWidget& button) {
            add(const_cast<ButtonWidget*>(&button));
            return false;
        });
        EXPECT_TRUE(options->GetMouseSlider()->mVisible);
        EXPECT_EQ(options->GetCheckbox("stretch")->mVisible, c.canStretch);
        for (size_t i = 0; i < shown.size(); ++i) {
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const Shown& a = shown[i];
                const Shown& b = shown[j];
                EXPECT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top ||
                            b.bottom <= a.top)
                    << "controls " << i << " and " << j << " overlap";
            }
        }
        // Each box shown takes a click (and a second click puts it back).
        for (Checkbox* box : boxes) {
            if (!box->mVisible) {
                continue;
            }
            const bool before = box->IsChecked();
            session.ClickWidget(box);
            EXPECT_NE(box->IsChecked(), before);
            session.ClickWidget(box);
            EXPECT_EQ(box->IsChecked(), before);
        }
        // The stretch label is drawn only with its box: ink beside the box's place or none.
        session.Step(2);
        const std::unique_ptr<ImageSurface> frame = D3DInterface::Get()->SnapshotCursorImage();
        ASSERT_NE(frame, nullptr);
        const FPoint box = options->GetCheckbox("stretch")->LocalToGlobal();
        int ink = 0;
        for (int y = static_cast<int>(box.mY) + 5; y < static_cast<int>(box.mY) + 35; ++y) {
            for (int x = static_cast<int>(box.mX) + 50; x < static_cast<int>(box.mX) + 250; ++x) {
                const uint32_t p =
                    frame->GetPixelData()[size_t(y) * size_t(frame->GetWidth()) + size_t(x)];
                ink += ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 ? 1 : 0;
            }
        }
        EXPECT_EQ(ink > 0, c.canStretch) << ink << " dark pixels where the stretch label goes";
    }
}

// The sound slider rings "Bell" once for a click on its track, and not for a drag or its release:
// the slider reports a click's value at the press and again at the release, a drag's at each
// change and at the release.
TEST(OptionsDialog, TheSoundSliderRingsOncePerClickAndNeverForADrag) {
    // The sounds the game asks of its player, recorded while the dialog is tried; declared
    // before the session, which may still play sounds as it goes.
    RecordingSoundManager heard;
    SoundPlayer recorder(&heard, [] { return 1.0; });
    GameSession session(MakeProfilesXml("Ann", StoryBegun));
    ASSERT_TRUE(session.Start());
    OpenOptions(kDefaultGameName, "main-menu", 0, 1);
    OptionsMenu* options = nullptr;
    ASSERT_TRUE(session.StepUntil([&] { return (options = session.FindMenu<OptionsMenu>()); }));
    session.Step(60);
    Slider* sfx = options->GetSfxSlider();
    ASSERT_TRUE(sfx->mVisible);
    const int bell = AssetManager::Get().FindSound("Bell");
    ASSERT_GE(bell, 0);
    SoundPlayer* gamePlayer = session.app->mSoundPlayer;
    session.app->mSoundPlayer = &recorder;
    auto rings = [&] {
        return std::count_if(heard.made.begin(), heard.made.end(),
                             [bell](const auto& instance) { return instance->id == bell; });
    };

    const FPoint at = sfx->LocalToGlobal();
    const int y = static_cast<int>(at.mY) + sfx->mHeight / 2;
    const int thumb = sfx->GetThumbPosition();
    // A click on the track well left of the thumb.
    session.Click(static_cast<int>(at.mX) + thumb / 2, y);
    EXPECT_EQ(rings(), 1);
    EXPECT_LT(session.app->GetSfxVolume(), 0.5);
    // A drag of the thumb to the right end and its release.
    const int grab = static_cast<int>(at.mX) + sfx->GetThumbPosition() + 2;
    session.app->OnMouseMove(grab, y);
    session.app->OnMouseDown(grab, y, 1);
    for (int x = grab; x < static_cast<int>(at.mX) + sfx->mWidth + 20; x += 15) {
        session.app->OnMouseMove(x, y);
    }
    session.app->OnMouseUp(static_cast<int>(at.mX) + sfx->mWidth + 20, y, 1);
    session.Step(1);
    EXPECT_EQ(rings(), 1);
    EXPECT_DOUBLE_EQ(session.app->GetSfxVolume(), 1.0);
    session.app->mSoundPlayer = gamePlayer;
}

// In a window the mouse slider is hidden: the rows under its row close up, evenly spaced, and
// open again to show it when the full box is ticked (the full box itself stays put).
TEST(OptionsDialog, InAWindowNoEmptyRowStandsWhereTheMouseSliderWouldBe) {
    GameSession session(MakeProfilesXml("Ann", StoryBegun));
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.app->mWindowed);
    OpenOptions(kDefaultGameName, "main-menu", 0, 1);
    OptionsMenu* options = nullptr;
    ASSERT_TRUE(session.StepUntil([&] { return (options = session.FindMenu<OptionsMenu>()); }));
    session.Step(60);
    Checkbox* full = options->GetCheckbox("full");
    Checkbox* cursors = options->GetCheckbox("cursors");
    Checkbox* swap = options->GetCheckbox("swap");
    Slider* mouse = options->GetMouseSlider();
    ASSERT_NE(full, nullptr);
    ASSERT_NE(cursors, nullptr);
    ASSERT_NE(swap, nullptr);
    EXPECT_FALSE(mouse->mVisible);
    const float fullY = full->mY;
    EXPECT_EQ(cursors->mY - full->mY, swap->mY - cursors->mY);
    EXPECT_EQ(options->GetCheckbox("tips")->mY, cursors->mY);

    session.ClickWidget(full);
    ASSERT_TRUE(full->IsChecked());
    EXPECT_TRUE(mouse->mVisible);
    EXPECT_EQ(full->mY, fullY);
    EXPECT_GE(mouse->mY, full->mY + static_cast<float>(full->mHeight));
    EXPECT_GE(cursors->mY, mouse->mY + static_cast<float>(mouse->mHeight));

    session.ClickWidget(full);
    EXPECT_FALSE(mouse->mVisible);
    EXPECT_EQ(cursors->mY - full->mY, swap->mY - cursors->mY);
}

// A question or a notice of up to three lines stands on a card that ends close under its
// buttons, in the middle of the screen: two-line and three-line questions and a three-line
// notice.
TEST(QuestionDialog, TheCardEndsCloseUnderTheButtons) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    const std::vector<std::pair<const char*, std::function<void()>>> dialogs = {
        {"quit", [] { OpenConfirmQuit(); }},
        {"tutorial", [] { Menu::ShowAsDialog(new ConfirmTutorialMenu()); }},
        {"hint notice",
         [] { Menu::ShowAsDialog(new NoticeMenu("hint_intro", nullptr, "menu", 0)); }},
    };
    for (const auto& [name, open] : dialogs) {
        SCOPED_TRACE(name);
        session.app->KillOpenMenus();
        session.Step(1);
        open();
        session.Step(1);
        session.SettlePopups();
        auto* dialog = dynamic_cast<DialogMenu*>(session.app->GetActiveMenu());
        ASSERT_NE(dialog, nullptr);
        float lowest = 0.0f;
        for (const Widget* child : dialog->GetChildren()) {
            if (dynamic_cast<const ButtonWidget*>(child) != nullptr && !child->mRemoved) {
                lowest = std::max(lowest, child->mY + static_cast<float>(child->mHeight));
            }
        }
        ASSERT_GT(lowest, 0.0f) << "no button";
        const float below = static_cast<float>(dialog->mHeight) - lowest;
        EXPECT_GE(below, 20.0f) << "the buttons stand on the card, inside its rim";
        // The picture's lowest 8 rows are the card's rim and shadow.
        EXPECT_LE(below, 56.0f) << "empty card under the buttons";
        EXPECT_NEAR(dialog->mY + dialog->mHeight / 2.0f, 384.0f, 1.0f);
    }
}
