#include "widgets/Widget.h"

#include <algorithm>

#include "app/QuorAppBase.h"
#include "widgets/WidgetManager.h"

namespace {

uint32_t gNextWidgetId = 1;
// Set while the outermost AddWidget of a manager's tree runs; the pointer is re-evaluated once
// at its end.
bool gAddInProgress = false;

uint32_t Narrow(uint32_t flags, const WidgetContainer& node) {
    return (flags | node.mFlagsAdd) & ~node.mFlagsRemove;
}

}  // namespace

// --- WidgetContainer -----------------------------------------------------------------------

WidgetContainer::~WidgetContainer() {
    RemoveAllWidgets(false, false);
}

Widget* WidgetContainer::FindWidgetAt(float x, float y, uint32_t flags, float* outX, float* outY) {
    const uint32_t own = Narrow(flags, *this);
    bool belowBase = false;
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        Widget* child = *it;
        if (child->mManager == nullptr) {
            continue;
        }
        uint32_t childFlags = Narrow(own, *child);
        if (belowBase) {
            childFlags = (childFlags | child->mManager->mBelowAdd) & ~child->mManager->mBelowRemove;
        }
        if (child->mVisible) {
            const FRect local = child->ToLocalRect(FRect(x, y, 1.0f, 1.0f));
            const bool clipped =
                child->mClipChildren &&
                !child->IsPointInside(static_cast<int>(local.mX), static_cast<int>(local.mY));
            if (!clipped) {
                if (!child->mChildren.empty()) {
                    if (Widget* found =
                            child->FindWidgetAt(local.mX, local.mY, childFlags, outX, outY)) {
                        return found;
                    }
                }
                if ((childFlags & widgetflags::kMouse) != 0 && child->mMouseVisible &&
                    child->Contains(local.mX, local.mY)) {
                    if (outX != nullptr) {
                        *outX = local.mX;
                    }
                    if (outY != nullptr) {
                        *outY = local.mY;
                    }
                    return child;
                }
            }
        }
        if (child->mManager->GetBaseWidget() == child) {
            belowBase = true;
        }
    }
    return nullptr;
}

void WidgetContainer::AddWidget(Widget* widget) {
    if (widget == nullptr ||
        std::find(mChildren.begin(), mChildren.end(), widget) != mChildren.end()) {
        return;
    }
    const bool outermost = !gAddInProgress && mManager != nullptr;
    if (outermost) {
        gAddInProgress = true;
    }
    // Last of its zOrder band.
    auto pos =
        std::upper_bound(mChildren.begin(), mChildren.end(), widget,
                         [](const Widget* a, const Widget* b) { return a->mZOrder < b->mZOrder; });
    const size_t index = static_cast<size_t>(pos - mChildren.begin());
    mChildren.insert(pos, widget);
    if (mWalkIndex != kNoWalk && index <= mWalkIndex) {
        ++mWalkIndex;  // the walk stays on the child it was visiting
    }
    widget->mManager = mManager;
    widget->mParent = this;
    widget->PropagateTreeValue(mUpdateOwner, false);
    widget->AddedToParent(this);
    if (mManager != nullptr) {
        widget->AddedToManager(mManager);
    }
    if (outermost) {
        gAddInProgress = false;
        if (mManager->mRehupPending) {
            mManager->mRehupPending = false;
            mManager->RehupMouse();
        }
        mManager->MarkDirty();
    }
    if (widget->mRemoved) {
        RemoveWidget(widget);
    }
}

void WidgetContainer::RemoveWidget(Widget* widget) {
    const auto it = std::find(mChildren.begin(), mChildren.end(), widget);
    if (it == mChildren.end()) {
        return;
    }
    const size_t index = static_cast<size_t>(it - mChildren.begin());
    mChildren.erase(it);
    if (mWalkIndex != kNoWalk) {
        if (index < mWalkIndex) {
            --mWalkIndex;
        } else if (index == mWalkIndex) {
            mWalkCursorMoved = true;  // the cursor now rests on the next child
        }
    }
    widget->mRemoved = false;
    widget->mParent = nullptr;
    if (widget->mManager != nullptr) {
        DetachFromManager(widget);
    }
    widget->RemovedFromParent(this);
    widget->PropagateTreeValue(nullptr, true);
}

void WidgetContainer::DetachFromManager(Widget* widget) {
    WidgetManager* manager = widget->mManager;
    const std::vector<Widget*> children = widget->mChildren;
    for (Widget* child : children) {
        if (child->mManager != nullptr) {
            DetachFromManager(child);
        }
    }
    manager->ForgetWidget(widget);
    widget->RemovedFromManager(manager);
    widget->MarkDirty();
    manager->MarkDirty();
    widget->mManager = nullptr;
}

void WidgetContainer::RemoveAllWidgets(bool markForDeletion, bool recursive) {
    while (!mChildren.empty()) {
        Widget* child = mChildren.front();
        if (markForDeletion) {
            child->mDeleteOnRemove = true;
        }
        RemoveWidget(child);
        if (recursive) {
            child->RemoveAllWidgets(markForDeletion, recursive);
        }
    }
}

void WidgetContainer::PropagateTreeValue(Widget* owner, bool force) {
    if (owner == mUpdateOwner || (owner == nullptr && !force)) {
        return;
    }
    mUpdateOwner = owner;
    for (Widget* child : mChildren) {
        child->PropagateTreeValue(mUpdateOwner, force);
    }
}

void WidgetContainer::SetFocus(Widget* widget) {
    (void)widget;
}

FRect WidgetContainer::ToParentRect(const FRect& rect) const {
    return FRect(rect.mX + mX, rect.mY + mY, rect.mWidth, rect.mHeight);
}

FRect WidgetContainer::ToLocalRect(const FRect& rect) const {
    return FRect(rect.mX - mX, rect.mY - mY, rect.mWidth, rect.mHeight);
}

void WidgetContainer::MarkDirty() {
    if (mParent != nullptr) {
        mParent->MarkDirty();
    } else if (mManager != nullptr) {
        mManager->MarkDirty();
    }
}

void WidgetContainer::TryUpdate() {
    if (!IsUpdateSuspended()) {
        Update();
    }
}

void WidgetContainer::TryUpdateF(float elapsed) {
    if (!IsUpdateSuspended()) {
        UpdateF(elapsed);
    }
}

bool WidgetContainer::IsUpdateSuspended() {
    if (mUpdateOwner != nullptr && mUpdateOwner != this) {
        return mUpdateOwner->IsUpdateSuspended();
    }
    return gApp != nullptr && gApp->mUpdateSuspendCount > 0;
}

template <typename Visit>
void WidgetContainer::WalkChildren(WidgetFlagState& state, Visit visit) {
    // A nested walk of the same node (an update that re-enters) keeps the outer cursor.
    const size_t savedIndex = mWalkIndex;
    const bool savedMoved = mWalkCursorMoved;
    mWalkIndex = 0;
    while (mWalkIndex < mChildren.size()) {
        mWalkCursorMoved = false;
        Widget* child = mChildren[mWalkIndex];
        if (mManager != nullptr && child == mManager->GetBaseWidget()) {
            state.reachedBase = true;
        }
        visit(child);
        if (!mWalkCursorMoved) {
            ++mWalkIndex;
        }
    }
    mWalkIndex = savedIndex;
    mWalkCursorMoved = savedMoved;
}

void WidgetContainer::UpdateAll(WidgetFlagState& state) {
    const WidgetFlagState saved = state;
    state.overFlags = Narrow(state.overFlags, *this);
    state.underFlags = Narrow(state.underFlags, *this);
    if (mManager != nullptr) {
        const uint32_t flags = state.reachedBase ? state.overFlags : state.underFlags;
        if ((flags & widgetflags::kUpdate) != 0 &&
            static_cast<WidgetContainer*>(mManager) != this) {
            TryUpdate();
        }
        WalkChildren(state, [&state](Widget* child) { child->UpdateAll(state); });
    }
    state.overFlags = saved.overFlags;
    state.underFlags = saved.underFlags;
}

void WidgetContainer::UpdateAllF(WidgetFlagState& state, float elapsed) {
    const WidgetFlagState saved = state;
    state.overFlags = Narrow(state.overFlags, *this);
    state.underFlags = Narrow(state.underFlags, *this);
    if (mManager != nullptr) {
        const uint32_t flags = state.reachedBase ? state.overFlags : state.underFlags;
        if ((flags & widgetflags::kUpdate) != 0 &&
            static_cast<WidgetContainer*>(mManager) != this) {
            TryUpdateF(elapsed);
        }
        WalkChildren(state,
                     [&state, elapsed](Widget* child) { child->UpdateAllF(state, elapsed); });
    }
    state.overFlags = saved.overFlags;
    state.underFlags = saved.underFlags;
}

void WidgetContainer::DrawAll(WidgetFlagState& state, Graphics* g) {
    const WidgetFlagState saved = state;
    state.overFlags = Narrow(state.overFlags, *this);
    state.underFlags = Narrow(state.underFlags, *this);
    const uint32_t flags = state.reachedBase ? state.overFlags : state.underFlags;
    if ((flags & widgetflags::kDraw) != 0) {
        Draw(g);
    }
    // Drawing never changes the tree, so a copy of the list is walked.
    const std::vector<Widget*> children = mChildren;
    for (Widget* child : children) {
        if (mManager != nullptr && child == mManager->GetBaseWidget()) {
            state.reachedBase = true;
        }
        if (child->mVisible) {
            child->DrawAll(state, g);
        }
    }
    state.overFlags = saved.overFlags;
    state.underFlags = saved.underFlags;
}

// --- Widget --------------------------------------------------------------------------------

Widget::Widget() : mId(gNextWidgetId++) {}

Widget::~Widget() {
    // A widget deleted while still linked must not leave its parent or the manager pointing at
    // freed memory; nor may the unlinking queue it for a second deletion.
    mDeleteOnRemove = false;
    if (mParent != nullptr) {
        mParent->RemoveWidget(this);
    } else if (mManager != nullptr && static_cast<WidgetContainer*>(mManager) != this) {
        mManager->ForgetWidget(this);
    }
}

uint32_t Widget::PeekNextId() {
    return gNextWidgetId;
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
        mManager->RehupMouse();
    }
}

void Widget::SetHandCursor(bool hand) {
    if (mManager != nullptr && gApp != nullptr) {
        gApp->SetCursor(hand ? 1 : 0);
    }
}

void Widget::KeyDown(int key) {
    if (key != 9 || mManager == nullptr) {
        return;
    }
    Widget* target = mManager->IsKeyDown(16) ? mTabPrevious : mTabNext;
    if (target != nullptr) {
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
    if (mDeleteOnRemove && gApp != nullptr) {
        gApp->QueueWidgetDeletion(this);
    }
}

void Widget::MarkForRemoval() {
    mRemoved = true;
    if (mParent != nullptr) {
        mParent->RemoveWidget(this);
    }
}

void Widget::Resize(float x, float y, int width, int height) {
    if (x == mX && y == mY && width == mWidth && height == mHeight) {
        return;
    }
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    MarkDirty();
    if (mMouseVisible && mManager != nullptr) {
        mManager->RehupMouse();
    }
}

void Widget::GlobalToLocal(float x, float y, float* outX, float* outY) const {
    float lx = x;
    float ly = y;
    for (const WidgetContainer* node = this; node != nullptr && node != mManager;
         node = node->mParent) {
        lx -= node->mX;
        ly -= node->mY;
    }
    *outX = lx;
    *outY = ly;
}
