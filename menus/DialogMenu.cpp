#include "menus/DialogMenu.h"

#include <memory>

#include "app/QuorAppBase.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/expr/NamedConstants.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"

namespace {

uint32_t LiveId(Widget* widget) {
    return widget != nullptr ? LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, widget)
                             : 0;
}

Widget* Resolve(uint32_t liveId) {
    return liveId != 0 ? LiveObjectRegistry::ResolveWidget(liveId) : nullptr;
}

float FadeTime() {
    return GetConstantValue("dialog_fade_time").AsReal();
}

// A DynamicWidget that owns the surface it shows.
class SnapshotWidget : public DynamicWidget {
public:
    explicit SnapshotWidget(std::unique_ptr<ImageSurface> surface)
        : DynamicWidget(0, 0, nullptr, 1.0f) {
        SetOwnImageCopy(std::move(surface));
    }
};

}  // namespace

DialogMenu::DialogMenu(Widget* fadeTarget) : PopupMenu(LookupAssetTableA("Dialog")) {
    mFadeTargetLiveId = LiveId(fadeTarget);
    if (fadeTarget != nullptr) {
        mDoPopup = false;
        mFadeState = kFaded;
    }
}

DialogMenu::~DialogMenu() {
    RestoreTargetDrawing();
}

Widget* DialogMenu::GetFadeTarget() const {
    return Resolve(mFadeTargetLiveId);
}

DynamicWidget* DialogMenu::GetTargetSnapshot() const {
    return dynamic_cast<DynamicWidget*>(Resolve(mTargetSnapshotLiveId));
}

DynamicWidget* DialogMenu::GetDialogSnapshot() const {
    return dynamic_cast<DynamicWidget*>(Resolve(mDialogSnapshotLiveId));
}

void DialogMenu::RestoreTargetDrawing() {
    if (mFadeState == kNoFade) {
        return;
    }
    if (Widget* target = GetFadeTarget()) {
        target->mFlagsRemove &= ~widgetflags::kDraw;
        target->MarkDirty();
    }
}

DynamicWidget* DialogMenu::MakeSnapshotWidget(Widget* w) {
    auto surface = std::make_unique<ImageSurface>(true);
    const int width = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int height = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    surface->Create(width, height);
    if (w != nullptr && mManager != nullptr) {
        Graphics g(surface.get());
        g.Translate(w->mX, w->mY);
        WidgetFlagState state;
        mManager->ComputeWidgetFlags(&state);
        w->DrawAll(state, &g);
    }
    auto* shown = new SnapshotWidget(std::move(surface));
    shown->mFlagsAdd |= widgetflags::kDraw;
    if (w != nullptr) {
        w->mFlagsRemove |= widgetflags::kDraw;
        w->MarkDirty();
    }
    return shown;
}

void DialogMenu::AddedToManager(WidgetManager* manager) {
    PopupMenu::AddedToManager(manager);
    if (mFadeState == kNoFade || mManager != manager) {
        return;
    }
    Widget* target = GetFadeTarget();
    if (target == nullptr) {
        // The screen to fade from went before the dialog came: open plainly.
        mFadeState = kNoFade;
        return;
    }
    // No input until the fade-in has ended.
    mFlagsRemove |= widgetflags::kMouse;
    manager->RehupMouse();

    DynamicWidget* targetShot = MakeSnapshotWidget(target);
    DynamicWidget* dialogShot = MakeSnapshotWidget(this);
    mTargetSnapshotLiveId = LiveId(targetShot);
    mDialogSnapshotLiveId = LiveId(dialogShot);
    targetShot->AddWidget(dialogShot);
    targetShot->mFlagsAdd |= widgetflags::kLayered;
    targetShot->Move(-mX, -mY);
    AddWidget(targetShot);

    const float time = FadeTime();
    targetShot->TweenNamedFloat("opacity", 0.0f, time, nullptr, 0);
    dialogShot->SetNamedFloat("opacity", 0.0f);
    dialogShot->TweenNamedFloat("opacity", 1.0f, time, nullptr, 0);
    mFadeState = kFadingIn;
}

void DialogMenu::RemovedFromManager(WidgetManager* manager) {
    // Killed before its fade-out ended (the application closing every menu): the screen under
    // it must not stay hidden.
    RestoreTargetDrawing();
    mFadeState = mFadeState == kNoFade ? kNoFade : kFaded;
    PopupMenu::RemovedFromManager(manager);
}

bool DialogMenu::HasScheduledWork() const {
    return mFadeState == kFadingIn || mFadeState == kFadingOut || PopupMenu::HasScheduledWork();
}

void DialogMenu::Update() {
    PopupMenu::Update();
    if (mFadeState == kFadingIn) {
        DynamicWidget* targetShot = GetTargetSnapshot();
        if (targetShot == nullptr || !targetShot->IsAnimating()) {
            if (targetShot != nullptr) {
                targetShot->SetVisible(false);
            }
            mFlagsRemove &= ~widgetflags::kDraw;
            mFadeState = kFaded;
            mFlagsRemove &= ~widgetflags::kMouse;
            MarkDirty();
            if (mManager != nullptr) {
                mManager->RehupMouse();
            }
        }
    } else if (mFadeState == kFadingOut) {
        DynamicWidget* dialogShot = GetDialogSnapshot();
        if (dialogShot == nullptr || !dialogShot->IsAnimating()) {
            RestoreTargetDrawing();
            mFadeState = kNoFade;
            MarkForRemoval();
        }
    }
}

void DialogMenu::OnCancel() {
    if (mFadeState == kNoFade) {
        MarkForRemoval();
        return;
    }
    DynamicWidget* targetShot = GetTargetSnapshot();
    DynamicWidget* dialogShot = GetDialogSnapshot();
    const float time = FadeTime();
    if (targetShot != nullptr) {
        targetShot->SetVisible(true);
        targetShot->TweenNamedFloat("opacity", 1.0f, time, nullptr, 0);
    }
    if (dialogShot != nullptr) {
        dialogShot->TweenNamedFloat("opacity", 0.0f, time, nullptr, 0);
    }
    mFlagsRemove |= widgetflags::kDraw;
    MarkDirty();
    mFadeState = kFadingOut;
}

void DialogMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name == "close") {
        OnCancel();
        return;
    }
    PopupMenu::OnEvent(name, parameter, object);
}
