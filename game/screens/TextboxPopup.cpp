#include "game/screens/TextboxPopup.h"

#include <algorithm>
#include <string>

#include "app/GameApp.h"
#include "core/expr/LiveObjectRegistry.h"
#include "game/board/TutorialPopups.h"
#include "graphics/FRect.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/ImageSurface.h"
#include "graphics/fonts/Font.h"
#include "widgets/MenuInterface.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

// Room around the text, and the OK button's place to its right (the factory's button is 240 x
// 60): a tip stands above the board, and a button under its text would push a box of a few lines
// down over the board's frame.
constexpr int kMargin = 16;
constexpr int kButtonWidth = 240;
constexpr int kButtonHeight = 60;
// A label made without a wrap width wraps here: its box follows its one line instead.
constexpr int kNoWrap = 10000;

int Width(const Image* image) {
    return image != nullptr ? image->GetCelWidth() : 0;
}

int Height(const Image* image) {
    return image != nullptr ? image->GetCelHeight() : 0;
}

// A box of the given size from the nine "textbox" pieces: corners as they are, edges and middle
// stretched.
std::unique_ptr<ImageSurface> DrawBox(int width, int height) {
    Image* pieces[3][3] = {};  // [column][row]
    const char columns[] = {'l', 'c', 'r'};
    const char rows[] = {'t', 'c', 'b'};
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            pieces[col][row] =
                LookupAssetTableA(std::string("textbox_") + columns[col] + rows[row]);
        }
    }
    const int left = Width(pieces[0][0]);
    const int right = Width(pieces[2][0]);
    const int top = Height(pieces[0][0]);
    const int bottom = Height(pieces[0][2]);
    auto surface = std::make_unique<ImageSurface>();
    surface->Create(std::max(1, width), std::max(1, height));
    Graphics g(surface.get());
    const float xs[3] = {0.0f, static_cast<float>(left), static_cast<float>(width - right)};
    const float ws[3] = {static_cast<float>(left), static_cast<float>(width - left - right),
                         static_cast<float>(right)};
    const float ys[3] = {0.0f, static_cast<float>(top), static_cast<float>(height - bottom)};
    const float hs[3] = {static_cast<float>(top), static_cast<float>(height - top - bottom),
                         static_cast<float>(bottom)};
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            if (pieces[col][row] != nullptr && ws[col] > 0.0f && hs[row] > 0.0f) {
                g.DrawImageStretched(pieces[col][row], FRect(xs[col], ys[row], ws[col], hs[row]));
            }
        }
    }
    return surface;
}

Widget* ShowForTutorial(DynamicWidget* label, ButtonListener* listener, uint32_t* okButtonId) {
    TextboxPopup* popup = TextboxPopup::ForLabel(label, listener);
    if (popup == nullptr) {
        return nullptr;
    }
    Widget* ok = popup->GetOkButton();
    if (okButtonId != nullptr) {
        *okButtonId = ok != nullptr ? ok->mId : 0;
    }
    return Menu::ShowAsDialog(popup);
}

void EnableOk(Widget* popup) {
    if (auto* textbox = dynamic_cast<TextboxPopup*>(popup)) {
        if (Widget* ok = textbox->GetOkButton()) {
            ok->SetDisabled(false);
        }
    }
}

}  // namespace

TextboxPopup::TextboxPopup(int x, int y, Image* background, ButtonListener* listener)
    : Menu(background, false, false) {
    DeclareNoUpdatesOfItsOwn(typeid(TextboxPopup));
    // Never the active menu, so it must not wait to become one.
    SetPausesWhenInactive(false);
    Move(static_cast<float>(x), static_cast<float>(y));
    // Centred in the room right of the text, which the box leaves at its right-hand end.
    const int okX = std::max(mWidth / 2, mWidth - kMargin - kButtonWidth / 2);
    const int okY = mHeight / 2 - 1;
    Widget* ok = AddWidgetFromApp(this, okX, okY, "button_ok");
    if (ok == nullptr) {
        // Without the application's factory the popup must still be closable.
        ok = AddButton(this, okX, okY, "button", "button_ok", true);
        ok->Move(ok->mX - static_cast<float>(ok->mWidth / 2), ok->mY);
    }
    ok->SetDisabled(true);
    if (auto* button = dynamic_cast<DynamicWidget*>(ok)) {
        button->mScriptName = "button_ok";
        button->SetButtonListener(listener);
    }
    mOkButtonLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, ok);
}

TextboxPopup* TextboxPopup::ForLabel(DynamicWidget* label, ButtonListener* listener) {
    auto* text = dynamic_cast<TextLabel*>(label);
    if (text == nullptr) {
        return nullptr;
    }
    // The column the text wraps in, not its widest line: the tips of one board share their
    // wrap width, so their boxes keep one width from step to step.
    const int wrapWidth = text->GetWrapWidth() < kNoWrap ? text->GetWrapWidth() : 0;
    const int textWidth = std::max({text->GetTextWidth(), wrapWidth, 1});
    const int textHeight = std::max(text->GetTextHeight(), 1);
    const int width = textWidth + 3 * kMargin + kButtonWidth;
    const int height = std::max(textHeight, kButtonHeight) + 2 * kMargin;
    std::unique_ptr<ImageSurface> box = DrawBox(width, height);
    const FPoint at = label->LocalToGlobal();
    int x = static_cast<int>(at.mX) + text->GetOffsetX() - kMargin;
    int y = static_cast<int>(at.mY) + text->GetOffsetY() - kMargin;
    // A text placed near an edge would push its box off the screen: the box stays on it.
    const int screenWidth = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int screenHeight = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    x = std::clamp(x, 0, std::max(0, screenWidth - width));
    y = std::clamp(y, 0, std::max(0, screenHeight - height));
    auto* popup = new TextboxPopup(x, y, box.get(), listener);
    popup->SetOwnImageCopy(std::move(box));
    // The text itself, laid out as the label laid it out, left of the button and level with it.
    auto* copy = new TextLabel(text->GetText(), kMargin, (height - textHeight) / 2, "", textWidth,
                               text->GetJustification(), -1, -1);
    copy->SetFontObject(text->GetFont());
    // Ink on the paper box (#2b3350).
    copy->SetNamedFloat("red", 43.0f / 255.0f);
    copy->SetNamedFloat("green", 51.0f / 255.0f);
    copy->SetNamedFloat("blue", 80.0f / 255.0f);
    popup->AddWidget(copy);
    return popup;
}

Widget* TextboxPopup::GetOkButton() const {
    return LiveObjectRegistry::ResolveWidget(mOkButtonLiveId);
}

void TextboxPopup::GotFocus() {
    AnimationWidget::GotFocus();
    // A notice that opened over the screen took the active place and gave the focus back to
    // this popup when it closed: the screen beneath becomes the active one again, or nothing
    // would take the keyboard's menu keys until the player clicked.
    GameApp* app = App();
    if (app != nullptr && app->GetActiveMenu() == nullptr) {
        const std::vector<Widget*>& menus = app->GetMenus();
        for (auto it = menus.rbegin(); it != menus.rend(); ++it) {
            auto* beneath = dynamic_cast<MenuInterface*>(*it);
            if (*it != this && !(*it)->mRemoved && beneath != nullptr &&
                dynamic_cast<TextboxPopup*>(*it) == nullptr) {
                app->SetActiveMenu(*it);
                beneath->SetActive(true);
                break;
            }
        }
    }
    MarkDirty();
}

void TextboxPopup::RemovedFromManager(WidgetManager* manager) {
    Menu::RemovedFromManager(manager);
    GameApp* app = App();
    Widget* active = app != nullptr ? app->GetActiveMenu() : nullptr;
    if (active != nullptr && active != this && manager->GetFocusWidget() == nullptr) {
        manager->SetFocus(active);
    }
}

void InstallTextboxPopupHooks() {
    TutorialPopupHooks hooks;
    hooks.show = &ShowForTutorial;
    hooks.enableOk = &EnableOk;
    SetTutorialPopupHooks(hooks);
}
