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
    GetVariables().Set("title_y", GetConstantValue("dialog_title_y"));
}

ShadedConfirmMenu::ShadedConfirmMenu(PreparedText, const std::string& title,
                                     const std::string& text, const std::string& okKey,
                                     const std::string& cancelKey, Widget* fadeTarget)
    : ConfirmMenu(title, text, okKey, cancelKey, fadeTarget) {
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

void ShadedConfirmMenu::MarkTutorialSetPassed(PlayerState& state) {
    if (SetProgress* tutorial = state.FindSet(0, 0)) {
        for (int i = 0; i < 2 && i < static_cast<int>(tutorial->mPuzzles.size()); ++i) {
            tutorial->mPuzzles[static_cast<size_t>(i)].mCompleted = true;
        }
        tutorial->mUnlock = 2;
    }
    if (SetProgress* first = state.FindSet(0, 1)) {
        first->mUnlock = 1;
    }
}
