#include "menus/PopupMenu.h"

#include "core/expr/LiveObjectRegistry.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/OverlayAnimation.h"

namespace {

uint32_t LiveId(Widget* widget) {
    return LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, widget);
}

}  // namespace

PopupMenu::PopupMenu(Image* background) : Menu(background, true, true) {
    DeclareNoUpdatesOfItsOwn(typeid(PopupMenu));
}

AnimationWidget* PopupMenu::GetBackground() const {
    return mBackgroundLiveId != 0 ? dynamic_cast<AnimationWidget*>(
                                        LiveObjectRegistry::ResolveWidget(mBackgroundLiveId))
                                  : nullptr;
}

Widget* PopupMenu::GetOutroOverlay() const {
    return mOutroLiveId != 0 ? LiveObjectRegistry::ResolveWidget(mOutroLiveId) : nullptr;
}

void PopupMenu::AddedToManager(WidgetManager* manager) {
    Menu::AddedToManager(manager);
    if (!mDoPopup || mManager != manager) {
        return;
    }
    auto* intro = new OverlayAnimation("popup_intro");
    intro->GetVariables().Set("menu", ExprValue::FromObject(this));
    AddWidget(intro);

    if (mWithBackground && GetBackground() == nullptr) {
        auto* backdrop = new AnimationWidget("popup_background_intro", 0, 0, false);
        backdrop->GetVariables().Set("do_popup", ExprValue::FromBool(true));
        backdrop->mZOrder = mZOrder;
        AnimationListener::ListenTo(backdrop);
        mBackgroundLiveId = LiveId(backdrop);
        mBackgroundId = backdrop->mId;
        manager->AddWidget(backdrop);
        // Drawn behind the popup.
        manager->MoveChildBefore(backdrop, this);
    }
}

void PopupMenu::RemovedFromManager(WidgetManager* manager) {
    if (AnimationWidget* backdrop = GetBackground()) {
        mBackgroundLiveId = 0;
        mBackgroundId = 0;
        backdrop->MarkForRemoval();
    }
    Menu::RemovedFromManager(manager);
}

void PopupMenu::MarkForRemoval() {
    if (mDoPopup && mOutroLiveId == 0 && mVisible && (mFlagsRemove & widgetflags::kDraw) == 0 &&
        mManager != nullptr) {
        // The outro plays on even after the focus has moved to another menu.
        SetPausesWhenInactive(false);
        auto* outro = new OverlayAnimation("popup_outro");
        outro->GetVariables().Set("menu", ExprValue::FromObject(this));
        mOutroLiveId = LiveId(outro);
        mOutroId = outro->mId;
        AnimationListener::ListenTo(outro);
        AddWidget(outro);
    } else {
        Menu::MarkForRemoval();
    }
    if (AnimationWidget* backdrop = GetBackground()) {
        backdrop->PlayAnimationRef("popup_background_outro");
    }
}

void PopupMenu::AnimationEnded(uint32_t id) {
    Menu::AnimationEnded(id);
    if (mOutroId != 0 && id == mOutroId) {
        MarkForRemoval();
    } else if (mBackgroundId != 0 && id == mBackgroundId) {
        mBackgroundLiveId = 0;
        mBackgroundId = 0;
    }
}
