#include "widgets/anim/OverlayAnimation.h"

#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace {

constexpr int kOnTop = 1 << 30;

}  // namespace

OverlayAnimation::OverlayAnimation(const std::string& scriptName)
    : AnimationWidget(scriptName, 0, 0, true) {
    mDrawPriority = kOnTop;
    mZOrder = kOnTop;
    mMouseVisible = true;
}

bool OverlayAnimation::Contains(float x, float y) const {
    (void)x, (void)y;
    return true;
}

void OverlayAnimation::AddedToManager(WidgetManager* manager) {
    AnimationWidget::AddedToManager(manager);
    if (mParent == nullptr) {
        return;  // the script ended at once and took the overlay out
    }
    if (IsIdle()) {
        // No script to end it (a name the table lacks): an overlay left in place would cover the
        // screen and take every click for ever.
        MarkForRemoval();
        return;
    }
    const FPoint screen = LocalToGlobal();
    WidgetHost* host = GetWidgetHost();
    const int width = host != nullptr ? host->GetDesignWidth() : manager->mWidth;
    const int height = host != nullptr ? host->GetDesignHeight() : manager->mHeight;
    Resize(-screen.mX, -screen.mY, width, height);
}

void OverlayAnimation::RemovedFromManager(WidgetManager* manager) {
    AnimationWidget::RemovedFromManager(manager);
    if (manager != nullptr) {
        manager->RehupMouse();
    }
}
