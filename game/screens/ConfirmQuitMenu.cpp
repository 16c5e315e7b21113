#include "game/screens/ConfirmQuitMenu.h"

#include "app/QuorAppBase.h"

ConfirmQuitMenu::ConfirmQuitMenu()
    : ShadedConfirmMenu("quit_title", "quit_text", "button_quit", "button_cancel", nullptr) {}

void ConfirmQuitMenu::OnConfirm() {
    if (gApp != nullptr) {
        gApp->Quit();
    }
}
