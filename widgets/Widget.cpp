#include "widgets/Widget.h"

#include "core/expr/LiveObjectRegistry.h"
#include "graphics/Graphics.h"
#include "platform/CursorNumbers.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace {

uint32_t gNextWidgetId = 1;

}  // namespace

Widget::Widget() : mId(gNextWidgetId++) {
    LiveObjectRegistry::RegisterWidget(this, nullptr);
}

Widget::~Widget() {
    LiveObjectRegistry::UnregisterWidget(this);
    // A widget deleted while still linked must not leave its parent or the manager pointing at
    // freed memory; nor may the unlinking queue it for a second deletion.
    mDeleteOnRemove = false;
    if (mParent != nullptr) {
        mParent->RemoveWidget(this);
    } else if (mManager != nullptr && static_cast<WidgetContainer*>(mManager) != this) {
        mManager->ForgetWidget(this);
    }
}

void Widget::SetVisible(bool visible) {
    if (visible == mVisible) {
        return;
    }
    mVisible = visible;
    MarkDirty();
    if (mManager != nullptr) {
        mManager->RehupMouse();
    }
}

void Widget::SetDisabled(bool disabled) {
    if (disabled == mDisabled) {
        return;
    }
    mDisabled = disabled;
    if (disabled && mManager != nullptr) {
        mManager->ForgetWidget(this);
    }
    MarkDirty();
    if (!disabled && mManager != nullptr) {
        // Enabled under the still pointer: it enters without waiting for the next move.
        const Point at = mManager->GetPointerPosition(0);
        float lx = 0.0f;
        float ly = 0.0f;
        GlobalToLocal(static_cast<float>(at.mX), static_cast<float>(at.mY), &lx, &ly);
        if (IsPointInside(static_cast<int>(lx), static_cast<int>(ly))) {
            mManager->ReplayPointerMove(0);
        }
    }
}

void Widget::SetHandCursor(bool hand) {
    if (WidgetHost* host = GetWidgetHost(); mManager != nullptr && host != nullptr) {
        host->SetCursor(hand ? cursor::kHand : cursor::kArrow);
    }
}

void Widget::DrawOverlayAtPriority(Graphics* g, int priority) {
    (void)priority;
    DrawOverlay(g);
}

void Widget::KeyDown(int key) {
    if (key != 9 || mManager == nullptr) {
        return;
    }
    Widget* target = mManager->IsKeyDown(16) ? mTabPrevious : mTabNext;
    // The Tab links are plain pointers that screens set; one whose widget has been deleted since
    // is ignored rather than followed.
    if (target != nullptr &&
        LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, target) != 0) {
        mManager->SetFocus(target);
    }
}

void Widget::MouseDownButton(int x, int y, int button, int clickCount) {
    (void)x, (void)y, (void)button, (void)clickCount;
}

void Widget::MouseDown(int x, int y, int clickCount) {
    if (clickCount > 0) {
        MouseDownButton(x, y, 0, clickCount);
    } else if (clickCount < 0) {
        MouseDownButton(x, y, 1, -clickCount);
    } else {
        MouseDownButton(x, y, 2, 1);
    }
}

void Widget::MouseUpButton(int x, int y, int button, int clickCount) {
    (void)x, (void)y, (void)button, (void)clickCount;
}

void Widget::MouseUpClicks(int x, int y, int clickCount) {
    MouseUp(x, y);
    if (clickCount > 0) {
        MouseUpButton(x, y, 0, clickCount);
    } else if (clickCount < 0) {
        MouseUpButton(x, y, 1, -clickCount);
    } else {
        MouseUpButton(x, y, 2, 1);
    }
}

bool Widget::Contains(float x, float y) const {
    return x >= 0.0f && y >= 0.0f && x < static_cast<float>(mWidth) &&
           y < static_cast<float>(mHeight);
}

bool Widget::IsPointInside(int x, int y) const {
    return x >= 0 && y >= 0 && x < mWidth && y < mHeight;
}

void Widget::AddedToManager(WidgetManager* manager) {
    const std::vector<Widget*> children = mChildren;
    for (Widget* child : children) {
        if (child->mParent != this) {
            continue;  // taken elsewhere by an earlier child's notification
        }
        child->mManager = manager;
        child->AddedToManager(manager);
    }
    MarkDirty();
    if (mMouseVisible) {
        manager->mRehupPending = true;
    }
}

void Widget::RemovedFromManager(WidgetManager* manager) {
    (void)manager;
}

void Widget::RemovedFromParent(WidgetContainer* parent) {
    (void)parent;
    if (WidgetHost* host = GetWidgetHost(); mDeleteOnRemove && host != nullptr) {
        host->QueueWidgetDeletion(this);
    }
}

void Widget::MarkForRemoval() {
    mRemoved = true;
    if (mParent != nullptr) {
        mParent->RemoveWidget(this);
    }
}

void Widget::RemoveKeepAlive() {
    const bool deleteOnRemove = mDeleteOnRemove;
    mDeleteOnRemove = false;
    MarkForRemoval();
    mDeleteOnRemove = deleteOnRemove;
}

void Widget::Resize(float x, float y, int width, int height) {
    if (x == mX && y == mY && width == mWidth && height == mHeight) {
        return;
    }
    MarkDirty();  // where it was: a widget that knows its drawn area repaints the old one too
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    MarkDirty();
    if (mMouseVisible && mManager != nullptr) {
        mManager->RehupMouse();
    }
}

FPoint Widget::LocalToGlobal() const {
    const FRect r = LocalToGlobalRect(FRect(0.0f, 0.0f, 1.0f, 1.0f));
    return FPoint(r.mX, r.mY);
}

void Widget::GlobalToLocal(float x, float y, float* outX, float* outY) const {
    const FRect r = GlobalToLocalRect(FRect(x, y, 1.0f, 1.0f));
    *outX = r.mX;
    *outY = r.mY;
}

void Widget::QueueDeferredDraw(int priority) {
    if (mManager != nullptr) {
        mManager->QueueDeferredDraw(this, priority);
    }
}
