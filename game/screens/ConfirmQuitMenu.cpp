#include "game/screens/ConfirmQuitMenu.h"

#include "app/QuorAppBase.h"
#include "game/data/ProfileManager.h"

// While saves fail the question must not promise that the progress is kept.
ConfirmQuitMenu::ConfirmQuitMenu()
    : ShadedConfirmMenu("quit_title", IsProgressKept() ? "quit_text" : "quit_text_unsaved",
                        "button_quit", "button_cancel", nullptr) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmQuitMenu));
}

void ConfirmQuitMenu::OnConfirm() {
    if (gApp != nullptr) {
        gApp->Quit();
    }
}
