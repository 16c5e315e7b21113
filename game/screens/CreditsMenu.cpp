#include "game/screens/CreditsMenu.h"

#include "app/QuorAppBase.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/screens/ScreenTexts.h"
#include "game/screens/TipsMenu.h"

CreditsMenu::CreditsMenu() : Menu("credits") {
    DeclareNoUpdatesOfItsOwn(typeid(CreditsMenu));
    SaveProfiles();
    const PlayerState* player = CurrentPlayer();
    const int hours = player != nullptr ? player->mHours : 0;
    const int minutes = player != nullptr ? player->mMinutes : 0;
    VariableTable& vars = GetVariables();
    vars.Set("time", ExprValue::FromString(FormatLocalized("credits_time", {hours, minutes})));
    vars.Set("version", ExprValue::FromString(gApp != nullptr ? gApp->mVersion : std::string()));
}

void CreditsMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    (void)parameter, (void)object;
    ReturnToMainMenuOnEvent(this, name);
}
