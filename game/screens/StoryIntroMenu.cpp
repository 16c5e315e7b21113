#include "game/screens/StoryIntroMenu.h"

#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"

StoryIntroMenu::StoryIntroMenu() : Menu("story_intro") {
    DeclareNoUpdatesOfItsOwn(typeid(StoryIntroMenu));
    const std::string game = CurrentGameName();
    const std::string name = SelectedProfileName();
    VariableTable& vars = GetVariables();
    vars.Set("letter_start",
             ExprValue::FromString(FormatLocalized("intro_letter_start_" + game, {name, name})));
    vars.Set("letter_end",
             ExprValue::FromString(FormatLocalized("intro_letter_end_" + game, {name})));
}

void StoryIntroMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    (void)parameter, (void)object;
    if (name != "ok" || mRemoved) {
        return;
    }
    PlayerState* player = CurrentPlayer();
    if (player != nullptr) {
        if (SetProgress* first = player->FindSet(0, 0)) {
            first->mIntroduced = true;
        }
    }
    SaveProfiles();
    if (player != nullptr && player->mSeenTutorial) {
        OpenSetLoading(-1);
        // The letter has done its work; left open it would sit under every later screen.
        MarkForRemoval();
    } else {
        // The question is a card over the letter; either answer closes every open menu, the
        // letter with it.
        OpenConfirmTutorial();
    }
}
