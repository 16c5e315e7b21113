// Popups open and close through their overlays and backdrop; dialogs cross-fade with the screen
// they cover; confirm and notice menus answer their events.

#include <string>

#include "MenuTestSupport.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/ConfirmMenu.h"
#include "menus/DialogMenu.h"
#include "menus/NoticeMenu.h"
#include "menus/PopupMenu.h"
#include "widgets/anim/OverlayAnimation.h"

namespace {

const char* kPopupScripts =
    "<animation name=\"popup_intro\"><wait-for time=\"5\"/></animation>"
    "<animation name=\"popup_outro\"><wait-for time=\"5\"/></animation>"
    "<animation name=\"popup_background_intro\"><wait-for time=\"3\"/></animation>"
    "<animation name=\"popup_background_outro\"><wait-for time=\"50\"/></animation>";

OverlayAnimation* FindOverlay(Widget* parent) {
    for (Widget* child : parent->GetChildren()) {
        if (auto* overlay = dynamic_cast<OverlayAnimation*>(child)) {
            return overlay;
        }
    }
    return nullptr;
}

size_t IndexIn(const WidgetContainer* parent, const Widget* widget) {
    const auto& children = parent->GetChildren();
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i] == widget) {
            return i;
        }
    }
    return children.size();
}

class ConfirmRecorder : public ConfirmMenu {
public:
    ConfirmRecorder(Widget* target, int* confirms)
        : ConfirmMenu("Quit?", "Leave the museum?", "Yes", "No", target), mConfirms(confirms) {}
    void OnConfirm() override {
        ++*mConfirms;
        ConfirmMenu::OnConfirm();
    }

private:
    int* mConfirms;
};

class DialogTest : public MenuTest {
protected:
    void SetUp() override {
        AddMenuTestImage("Dialog", 400, 300);
        SetConstant("dialog_fade_time", ExprValue::FromFloat(10.0f));
        screen = new Menu(nullptr, false, false);
        Menu::ShowAsDialog(screen);
    }
    Menu* screen = nullptr;
};

}  // namespace

TEST_F(MenuTest, APopupOpensWithItsIntroAndBackdropAndClosesThroughItsOutro) {
    Scripts(kPopupScripts);
    auto image = AddMenuTestImage("PopupPanel", 300, 200);
    auto* popup = new PopupMenu(image.get());
    Menu::ShowAsDialog(popup);

    OverlayAnimation* intro = FindOverlay(popup);
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->GetVariables().Find("menu")->AsObject(), popup);
    EXPECT_EQ(intro->mX, -popup->mX);  // covers the design area
    EXPECT_EQ(intro->mWidth, 1024);
    AnimationWidget* backdrop = popup->GetBackground();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_EQ(backdrop->mParent, h.manager);
    EXPECT_EQ(IndexIn(h.manager, backdrop) + 1, IndexIn(h.manager, popup));  // right behind it
    EXPECT_EQ(backdrop->mZOrder, popup->mZOrder);
    EXPECT_TRUE(backdrop->GetVariables().Find("do_popup")->AsBool());
    Run(6);
    EXPECT_EQ(FindOverlay(popup), nullptr);  // the intro removed itself

    popup->MarkForRemoval();
    Widget* outro = popup->GetOutroOverlay();
    ASSERT_NE(outro, nullptr);
    EXPECT_EQ(outro->mParent, popup);
    EXPECT_TRUE(h.app.HasDialog(popup));
    EXPECT_FALSE(popup->GetPausesWhenInactive());  // plays on after losing the focus
    EXPECT_EQ(backdrop->GetCurrentAnimation()->mName, "popup_background_outro");
    Run(3);
    EXPECT_TRUE(h.app.HasDialog(popup));
    Run(3);
    EXPECT_FALSE(h.app.HasDialog(popup));
    Run(1);
    EXPECT_TRUE(h.manager->GetChildren().empty());  // the backdrop went with it
}

TEST_F(MenuTest, MarkingAPopupTwiceDuringItsOutroRemovesItAtOnce) {
    Scripts(kPopupScripts);
    auto image = AddMenuTestImage("PopupPanel", 300, 200);
    auto* popup = new PopupMenu(image.get());
    Menu::ShowAsDialog(popup);
    popup->MarkForRemoval();
    EXPECT_TRUE(h.app.HasDialog(popup));
    popup->MarkForRemoval();
    EXPECT_FALSE(h.app.HasDialog(popup));
    Run(1);
    EXPECT_TRUE(h.manager->GetChildren().empty());
}

TEST_F(MenuTest, AHiddenPopupOrOneWithoutScriptsGoesWithoutAnOutro) {
    auto image = AddMenuTestImage("PopupPanel", 300, 200);
    auto* hidden = new PopupMenu(image.get());
    Menu::ShowAsDialog(hidden);
    hidden->mFlagsRemove |= widgetflags::kDraw;
    hidden->MarkForRemoval();
    EXPECT_FALSE(h.app.HasDialog(hidden));

    // No scripts in the table: the overlays have nothing to end them and go at once, so the
    // popup neither blocks the screen nor stays for ever.
    auto* plain = new PopupMenu(image.get());
    Menu::ShowAsDialog(plain);
    EXPECT_EQ(FindOverlay(plain), nullptr);
    plain->MarkForRemoval();
    EXPECT_FALSE(h.app.HasDialog(plain));
    Run(1);
    EXPECT_TRUE(h.manager->GetChildren().size() <= 1u);
}

TEST_F(DialogTest, ADialogCrossFadesInAndOutOverItsTarget) {
    auto* dialog = new DialogMenu(screen);
    EXPECT_EQ(dialog->GetFadeState(), DialogMenu::kFaded);
    Menu::ShowAsDialog(dialog);
    EXPECT_EQ(dialog->mWidth, 400);  // the "Dialog" image
    EXPECT_EQ(dialog->GetFadeState(), DialogMenu::kFadingIn);
    EXPECT_EQ(dialog->GetBackground(), nullptr);  // no backdrop and no overlays
    EXPECT_EQ(FindOverlay(dialog), nullptr);
    EXPECT_NE(dialog->mFlagsRemove & widgetflags::kMouse, 0u);  // no input while fading in
    EXPECT_NE(screen->mFlagsRemove & widgetflags::kDraw, 0u);
    EXPECT_NE(dialog->mFlagsRemove & widgetflags::kDraw, 0u);

    DynamicWidget* targetShot = dialog->GetTargetSnapshot();
    DynamicWidget* dialogShot = dialog->GetDialogSnapshot();
    ASSERT_NE(targetShot, nullptr);
    ASSERT_NE(dialogShot, nullptr);
    EXPECT_EQ(targetShot->mParent, dialog);
    EXPECT_EQ(dialogShot->mParent, targetShot);
    EXPECT_EQ(targetShot->mX, -dialog->mX);
    EXPECT_EQ(targetShot->mY, -dialog->mY);
    EXPECT_NE(targetShot->mFlagsAdd & widgetflags::kLayered, 0u);
    EXPECT_NE(targetShot->mFlagsAdd & widgetflags::kDraw, 0u);
    EXPECT_EQ(targetShot->GetImage()->GetWidth(), 1024);
    EXPECT_FLOAT_EQ(dialogShot->mOpacity, 0.0f);

    Run(11);
    EXPECT_EQ(dialog->GetFadeState(), DialogMenu::kFaded);
    EXPECT_FLOAT_EQ(targetShot->mOpacity, 0.0f);
    EXPECT_FLOAT_EQ(dialogShot->mOpacity, 1.0f);
    EXPECT_FALSE(targetShot->mVisible);
    EXPECT_EQ(dialog->mFlagsRemove & (widgetflags::kDraw | widgetflags::kMouse), 0u);
    EXPECT_NE(screen->mFlagsRemove & widgetflags::kDraw, 0u);  // hidden until the fade-out ends

    dialog->OnEvent("close", "", 0);
    EXPECT_EQ(dialog->GetFadeState(), DialogMenu::kFadingOut);
    EXPECT_TRUE(targetShot->mVisible);
    EXPECT_NE(dialog->mFlagsRemove & widgetflags::kDraw, 0u);
    Run(5);
    EXPECT_TRUE(h.app.HasDialog(dialog));
    Run(7);
    EXPECT_FALSE(h.app.HasDialog(dialog));
    EXPECT_EQ(screen->mFlagsRemove & widgetflags::kDraw, 0u);
    EXPECT_EQ(h.app.GetActiveMenu(), screen);
}

TEST_F(DialogTest, AFadeTargetRemovedFirstIsNotTouched) {
    auto* dialog = new DialogMenu(screen);
    Menu::ShowAsDialog(dialog);
    Run(11);
    screen->MarkForRemoval();
    Run(1);  // the screen is deleted
    EXPECT_EQ(dialog->GetFadeTarget(), nullptr);
    dialog->OnCancel();
    Run(12);  // the sanitizer watches the end of the fade-out
    EXPECT_FALSE(h.app.HasDialog(dialog));
}

TEST_F(DialogTest, ADialogKilledMidFadeGivesTheScreenBack) {
    auto* dialog = new DialogMenu(screen);
    Menu::ShowAsDialog(dialog);
    Run(3);
    h.app.KillDialogByPointer(dialog);
    EXPECT_EQ(screen->mFlagsRemove & widgetflags::kDraw, 0u);
    Run(1);
}

TEST_F(DialogTest, ADialogWithoutTargetClosesAtOnce) {
    auto* dialog = new DialogMenu(nullptr);
    Menu::ShowAsDialog(dialog);
    EXPECT_EQ(dialog->GetFadeState(), DialogMenu::kNoFade);
    EXPECT_EQ(dialog->mX, (1024 - 400) / 2);
    EXPECT_EQ(dialog->mFlagsRemove & widgetflags::kMouse, 0u);
    dialog->OnCancel();
    EXPECT_FALSE(h.app.HasDialog(dialog));  // no popup scripts: no outro to wait for
}

TEST_F(DialogTest, ConfirmAnswersOkAndClose) {
    Scripts("<animation name=\"confirm_menu\"><wait-for event=\"x\" cond=\"false\"/></animation>");
    int confirms = 0;
    auto* confirm = new ConfirmRecorder(nullptr, &confirms);
    EXPECT_EQ(confirm->GetVariables().Find("title")->AsString(), "Quit?");
    EXPECT_EQ(confirm->GetVariables().Find("text")->AsString(), "Leave the museum?");
    EXPECT_EQ(confirm->GetVariables().Find("ok_text")->AsString(), "Yes");
    EXPECT_EQ(confirm->GetVariables().Find("cancel_text")->AsString(), "No");
    EXPECT_EQ(confirm->GetCurrentAnimation()->mName, "confirm_menu");
    Menu::ShowAsDialog(confirm);
    confirm->OnEvent("ok", "", 0);
    EXPECT_EQ(confirms, 1);
    EXPECT_FALSE(h.app.HasDialog(confirm));

    auto* cancelled = new ConfirmRecorder(nullptr, &confirms);
    Menu::ShowAsDialog(cancelled);
    cancelled->OnEvent("close", "", 0);
    EXPECT_EQ(confirms, 1);
    EXPECT_FALSE(h.app.HasDialog(cancelled));

    // The plain confirm closes on "ok" exactly as on "close"; it fades when it has a target.
    auto* plain = new ConfirmMenu("t", "x", "o", "c", screen);
    Menu::ShowAsDialog(plain);
    Run(11);
    plain->OnEvent("ok", "", 0);
    EXPECT_EQ(plain->GetFadeState(), DialogMenu::kFadingOut);
    Run(12);
    EXPECT_FALSE(h.app.HasDialog(plain));
}

TEST_F(DialogTest, ANoticeShowsItsLocalizedTexts) {
    LocalizedTexts::Set("hint_intro_title", "Hints");
    LocalizedTexts::Set("hint_intro_text", "A full bulb reveals tiles.");
    auto* notice = new NoticeMenu("hint_intro", nullptr, "menu", 7);
    EXPECT_EQ(notice->mZOrder, 7);
    EXPECT_EQ(notice->mDrawPriority, 7);
    EXPECT_EQ(notice->GetVariables().Find("title")->AsString(), "Hints");
    EXPECT_EQ(notice->GetVariables().Find("text")->AsString(), "A full bulb reveals tiles.");
    EXPECT_EQ(notice->GetVariables().Find("text_font")->AsString(), "menu");
    EXPECT_EQ(notice->GetCurrentAnimation()->mName, "notice_menu");
    Menu::ShowAsDialog(notice);
    notice->OnEvent("close", "", 0);
    EXPECT_FALSE(h.app.HasDialog(notice));
    LocalizedTexts::Clear();
}

// The game's own scripts and constants: a popup drops in as it brightens and lifts away as it
// fades, with its two sounds, taking no clicks until it has settled; a dialog asked over another
// cross-fades with it over the shipped fade time.
TEST_F(MenuTest, TheShippedPopupsAnimateOpenAndClosedWithTheirSoundsAndDialogsCrossFade) {
    const std::string properties = std::string(P7_SOURCE_DIR) + "/content/properties/";
    AnimationStats stats(false);
    ASSERT_TRUE(stats.ReadAll("animations.xml", properties));
    std::string error;
    ASSERT_TRUE(LoadConstantsFromPath(properties + "constants.xml", &error)) << error;
    const float fadeTime = GetConstantValue("dialog_fade_time").AsReal();
    ASSERT_GT(fadeTime, 5.0f);
    constexpr int kOpen = 7;
    constexpr int kClose = 8;
    AssetManager::Get().SetSound("popup_open", kOpen);
    AssetManager::Get().SetSound("popup_close", kClose);
    const auto played = [&](int id) {
        int count = 0;
        for (const auto& instance : sounds.made) {
            count += instance->id == id ? 1 : 0;
        }
        return count;
    };
    AddMenuTestImage("Dialog", 400, 300);
    auto* screen = new Menu(nullptr, false, false);
    Menu::ShowAsDialog(screen);

    auto* popup = new DialogMenu(nullptr);
    const float restY = popup->mY;
    Menu::ShowAsDialog(popup);
    EXPECT_EQ(played(kOpen), 1);
    Run(4);
    EXPECT_GT(popup->mOpacity, 0.0f);
    EXPECT_LT(popup->mOpacity, 1.0f);
    EXPECT_LT(popup->mY, restY);
    EXPECT_NE(FindOverlay(popup), nullptr);  // takes the clicks while the card moves
    EXPECT_EQ(popup->mDrawMode, DynamicWidget::kDrawPostrender);  // fades as one picture
    int opening = 4;
    while (FindOverlay(popup) != nullptr && opening < 200) {
        Run(1);
        ++opening;
    }
    EXPECT_GT(opening, 10);
    EXPECT_LT(opening, 100);
    EXPECT_FLOAT_EQ(popup->mOpacity, 1.0f);
    EXPECT_NEAR(popup->mY, restY, 0.01f);
    EXPECT_EQ(popup->mDrawMode, DynamicWidget::kDrawOwn);

    // A question over the popup cross-fades with it, neither at once nor for long.
    auto* question = new DialogMenu(popup);
    Menu::ShowAsDialog(question);
    ASSERT_EQ(question->GetFadeState(), DialogMenu::kFadingIn);
    Run(static_cast<int>(fadeTime / 2));
    const DynamicWidget* shot = question->GetDialogSnapshot();
    ASSERT_NE(shot, nullptr);
    EXPECT_GT(shot->mOpacity, 0.1f);
    EXPECT_LT(shot->mOpacity, 0.9f);
    Run(static_cast<int>(fadeTime));
    EXPECT_EQ(question->GetFadeState(), DialogMenu::kFaded);
    question->OnEvent("close", "", 0);
    Run(static_cast<int>(fadeTime) + 2);
    EXPECT_FALSE(h.app.HasDialog(question));
    EXPECT_EQ(played(kOpen), 1);  // a cross-fade is no popup

    popup->OnEvent("close", "", 0);
    EXPECT_EQ(played(kClose), 1);
    Run(4);
    EXPECT_TRUE(h.app.HasDialog(popup));
    EXPECT_LT(popup->mOpacity, 1.0f);
    Run(100);
    EXPECT_FALSE(h.app.HasDialog(popup));
    ClearConstants();
}
