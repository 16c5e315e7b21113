#include "game/board/TutorialPopups.h"

namespace {

TutorialPopupHooks gHooks;

}  // namespace

void SetTutorialPopupHooks(const TutorialPopupHooks& hooks) {
    gHooks = hooks;
}

const TutorialPopupHooks& GetTutorialPopupHooks() {
    return gHooks;
}
