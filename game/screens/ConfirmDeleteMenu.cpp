#include "game/screens/ConfirmDeleteMenu.h"

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/screens/PlayerSelectMenu.h"
#include "graphics/assets/LocalizedTexts.h"

namespace {

// The localized question with the name in place of its %s; a text whose placeholders do not fit
// one name is shown as it stands rather than formatted blindly.
std::string DeleteQuestion(const std::string& name) {
    const std::string format = LocalizedTexts::Lookup("delete_text");
    bool ok = false;
    std::string text = CheckedFormat(format, {name}, &ok);
    if (!ok) {
        LogWarning("delete_text: %s", text.c_str());
        return format;
    }
    return text;
}

}  // namespace

ConfirmDeleteMenu::ConfirmDeleteMenu(const std::string& name, PlayerSelectMenu* asker)
    : ShadedConfirmMenu(PreparedText{}, LocalizedTexts::Lookup("delete_title"),
                        DeleteQuestion(name), "button_delete", "button_cancel", nullptr),
      mAsker(asker) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmDeleteMenu));
}

void ConfirmDeleteMenu::OnConfirm() {
    if (PlayerSelectMenu* asker = mAsker.Get()) {
        asker->DeleteSelectedProfile();
    }
    CloseUnlessKilled();
}
