#include "game/screens/ShadedConfirmMenu.h"

#include "app/QuorAppBase.h"
#include "core/expr/NamedConstants.h"
#include "game/data/PlayerState.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/assets/LocalizedTexts.h"

namespace {

constexpr int kShadeAlpha = 150;

}  // namespace

ShadedConfirmMenu::ShadedConfirmMenu(const std::string& titleKey, const std::string& textKey,
                                     const std::string& okKey, const std::string& cancelKey,
                                     Widget* fadeTarget)
    : ConfirmMenu(LocalizedTexts::Lookup(titleKey), LocalizedTexts::Lookup(textKey), okKey,
                  cancelKey, fadeTarget) {
    DeclareNoUpdatesOfItsOwn(typeid(ShadedConfirmMenu));
    GetVariables().Set("title_y", GetConstantValue("dialog_title_y"));
}

ShadedConfirmMenu::ShadedConfirmMenu(PreparedText, const std::string& title,
                                     const std::string& text, const std::string& okKey,
                                     const std::string& cancelKey, Widget* fadeTarget)
    : ConfirmMenu(title, text, okKey, cancelKey, fadeTarget) {
    DeclareNoUpdatesOfItsOwn(typeid(ShadedConfirmMenu));
    GetVariables().Set("title_y", GetConstantValue("dialog_title_y"));
}

ShadedConfirmMenu::~ShadedConfirmMenu() = default;

void ShadedConfirmMenu::Draw(Graphics* g) {
    const int width = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int height = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    const Color before = g->GetColor();
    g->SetColor(Color(0, 0, 0, kShadeAlpha));
    g->FillRect(static_cast<float>(static_cast<int>(-mX)),
                static_cast<float>(static_cast<int>(-mY)), static_cast<float>(width),
                static_cast<float>(height));
    g->SetColor(before);
    ConfirmMenu::Draw(g);
}

bool ShadedConfirmMenu::IsStillShown() const {
    return gApp != nullptr && gApp->HasDialog(this);
}

void ShadedConfirmMenu::CloseUnlessKilled() {
    if (IsStillShown()) {
        ConfirmMenu::OnConfirm();
    }
}
