#include "menus/Transition.h"

#include "app/QuorAppBase.h"

Transition::Transition(const std::string& scriptName, Menu* nextMenu, bool renderTree)
    : Menu(nullptr, false, false) {
    PlayAnimationRef(scriptName);
    mDrawPriority = kOnTop;
    mZOrder = kOnTop;
    SnapshotScreen(renderTree);
    // The picture stays the transition's; the child only shows it.
    RegisterObject("screenshot", new DynamicWidget(0, 0, GetSnapshot(), 1.0f));
    if (nextMenu != nullptr) {
        if (gApp != nullptr) {
            gApp->AddDialog(nextMenu);
        }
        GetVariables().Set("menu", ExprValue::FromObject(nextMenu));
    }
}

void Transition::OnScriptEnd() {
    MarkForRemoval();
}

void Transition::OnAnimationFinished() {
    MarkForRemoval();
}
