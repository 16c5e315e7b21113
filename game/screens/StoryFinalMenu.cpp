#include "game/screens/StoryFinalMenu.h"

#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"

StoryFinalMenu::StoryFinalMenu() : Menu("story_final") {
    DeclareNoUpdatesOfItsOwn(typeid(StoryFinalMenu));
    const std::string game = CurrentGameName();
    const std::string name = SelectedProfileName();
    VariableTable& vars = GetVariables();
    vars.Set("letter_start",
             ExprValue::FromString(FormatLocalized("final_letter_start_" + game, {name})));
    vars.Set("letter_end",
             ExprValue::FromString(FormatLocalized("final_letter_end_" + game, {name})));
}

void StoryFinalMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    (void)parameter, (void)object;
    if (name != "ok" || mRemoved) {
        return;
    }
    OpenCredits();
    MarkForRemoval();
}
