#include "widgets/WidgetContainer.h"

#include <algorithm>
#include <typeinfo>

#include "core/expr/MainThreadAssert.h"
#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

namespace {

// Set while the outermost AddWidget of a manager's tree runs; the pointer is re-evaluated once
// at its end.
bool gAddInProgress = false;
// Each walk takes a new number, so a child restacked behind the cursor is recognised as visited.
uint64_t gWalkCounter = 0;

uint32_t Narrow(uint32_t flags, const WidgetContainer& node) {
    return (flags | node.mFlagsAdd) & ~node.mFlagsRemove;
}

// Where a restacked child is searched from.
enum RestackPlace { kToEnd, kToStart, kBefore, kAfter };

// The flat perspective of the screen: a translation by (-W/2, -H/2, 2W) and an off-centre
// left-handed projection, row vectors, applied to (x, y, z, w).
FRect ProjectAtRoot(const FRect& rect) {
    if (rect.mWidth > 0.9999f && rect.mWidth < 1.0001f) {
        return rect;  // every plain widget: no depth
    }
    const WidgetHost* host = GetWidgetHost();
    const float w = host != nullptr ? static_cast<float>(host->GetDesignWidth()) : 1024.0f;
    const float h = host != nullptr ? static_cast<float>(host->GetDesignHeight()) : 768.0f;
    const float left = -0.25f;
    const float right = 0.25f;
    const float bottom = 0.25f * h / w;
    const float top = -0.25f * h / w;
    const float zn = 1.0f;
    const float zf = 100.0f * w;
    // Translate first.
    const float tx = rect.mX - 0.5f * w;
    const float ty = rect.mY - 0.5f * h;
    const float tz = rect.mWidth + 2.0f * w;
    const float tw = rect.mHeight;
    // Then the projection (off-centre, left-handed).
    float px = tx * (2.0f * zn / (right - left)) + tz * ((left + right) / (left - right));
    float py = ty * (2.0f * zn / (top - bottom)) + tz * ((top + bottom) / (bottom - top));
    float pz = tz * (zf / (zf - zn)) + tw * (zn * zf / (zn - zf));
    float pw = tz;
    py = -py;
    if (pw != 1.0f && pw != 0.0f) {
        px /= pw;
        py /= pw;
        pz /= pw;
        pw = 1.0f;
    }
    const int halfW = static_cast<int>(w) / 2;
    const int halfH = static_cast<int>(h) / 2;
    return FRect((px + 1.0f) * static_cast<float>(halfW), (py + 1.0f) * static_cast<float>(halfH),
                 pz, pw);
}

}  // namespace

WidgetContainer::~WidgetContainer() {
    RemoveAllWidgets(false, false);
}

bool WidgetContainer::HasChild(const Widget* widget) const {
    return IndexOf(widget) != kNotFound;
}

size_t WidgetContainer::IndexOf(const Widget* widget) const {
    const auto it = std::find(mChildren.begin(), mChildren.end(), widget);
    return it == mChildren.end() ? kNotFound : static_cast<size_t>(it - mChildren.begin());
}

Widget* WidgetContainer::FindWidgetAt(float x, float y, uint32_t flags, float* outX, float* outY) {
    const uint32_t own = Narrow(flags, *this);
    bool belowBase = false;
    for (size_t i = mChildren.size(); i-- > 0;) {
        Widget* child = mChildren[i];
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

void WidgetContainer::InsertByZOrder(Widget* widget, size_t hint) {
    size_t pos = std::min(hint, mChildren.size());
    // Forward over lower zOrders; an equal one is met: insert before it.
    while (pos < mChildren.size() && mChildren[pos]->mZOrder < widget->mZOrder) {
        ++pos;
    }
    if (pos < mChildren.size() && mChildren[pos]->mZOrder == widget->mZOrder) {
        // Placed before the first equal child met from the hint.
    } else {
        // Back over greater zOrders: after the first that is not greater.
        while (pos > 0 && mChildren[pos - 1]->mZOrder > widget->mZOrder) {
            --pos;
        }
    }
    mChildren.insert(mChildren.begin() + static_cast<std::ptrdiff_t>(pos), widget);
    for (WalkCursor* walk : mWalks) {
        if (pos < walk->index || (pos == walk->index && !walk->moved)) {
            ++walk->index;  // the walk stays on the child it was visiting
        }
    }
}

void WidgetContainer::UnlinkAt(size_t index) {
    mChildren.erase(mChildren.begin() + static_cast<std::ptrdiff_t>(index));
    for (WalkCursor* walk : mWalks) {
        if (index < walk->index) {
            --walk->index;
        } else if (index == walk->index) {
            walk->moved = true;  // the cursor now rests on the next child
        }
    }
}

void WidgetContainer::AddWidget(Widget* widget) {
    P7_ASSERT_MAIN_THREAD("WidgetContainer::AddWidget");
    if (widget == nullptr || HasChild(widget) || widget == static_cast<WidgetContainer*>(this)) {
        return;
    }
    // Kept: the added widget may take this node out of the tree from its own notification.
    WidgetManager* const manager = mManager;
    const bool outermost = !gAddInProgress && manager != nullptr;
    if (outermost) {
        gAddInProgress = true;
    }
    // A widget still linked elsewhere leaves its old parent first; two lists must never share it.
    if (widget->mParent != nullptr) {
        widget->mParent->RemoveWidget(widget);
    }
    // An insert at the end keeps a new child "last of its band" (the search only goes back).
    InsertByZOrder(widget, mChildren.size());
    widget->mManager = mManager;
    widget->mParent = this;
    widget->PropagateTreeValue(mUpdateOwner, false);
    widget->AddedToParent(this);
    if (mManager != nullptr && widget->mParent == this) {
        widget->AddedToManager(mManager);
    }
    if (outermost) {
        gAddInProgress = false;
        if (manager->mRehupPending) {
            manager->mRehupPending = false;
            manager->RehupMouse();
        }
        manager->MarkDirty();
    }
    if (widget->mRemoved) {
        RemoveWidget(widget);
    }
}

void WidgetContainer::RemoveWidget(Widget* widget) {
    P7_ASSERT_MAIN_THREAD("WidgetContainer::RemoveWidget");
    const size_t index = IndexOf(widget);
    if (index == kNotFound) {
        return;
    }
    UnlinkAt(index);
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
        if (child->mManager != nullptr && child->mParent == widget) {
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
    P7_ASSERT_MAIN_THREAD("WidgetContainer::RemoveAllWidgets");
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

void WidgetContainer::Restack(Widget* widget, int where, Widget* other) {
    P7_ASSERT_MAIN_THREAD("WidgetContainer::Restack");
    const size_t index = IndexOf(widget);
    if (index == kNotFound) {
        return;
    }
    UnlinkAt(index);
    size_t hint = mChildren.size();
    if (where == kToStart) {
        hint = 0;
    } else if (where == kBefore || where == kAfter) {
        const size_t otherIndex = IndexOf(other);
        if (otherIndex != kNotFound) {
            hint = where == kBefore ? otherIndex : otherIndex + 1;
        }
    }
    InsertByZOrder(widget, hint);
    MarkDirty();
    widget->OrderChanged();
}

void WidgetContainer::MoveChildToEnd(Widget* widget) {
    Restack(widget, kToEnd, nullptr);
}

void WidgetContainer::MoveChildToStart(Widget* widget) {
    Restack(widget, kToStart, nullptr);
}

void WidgetContainer::MoveChildBefore(Widget* widget, Widget* other) {
    Restack(widget, kBefore, other);
}

void WidgetContainer::MoveChildAfter(Widget* widget, Widget* other) {
    if (IndexOf(other) == kNotFound) {
        MoveChildToEnd(widget);
        return;
    }
    Restack(widget, kAfter, other);
}

void WidgetContainer::SortChildren() {
    P7_ASSERT_MAIN_THREAD("WidgetContainer::SortChildren");
    std::vector<Widget*> visiting;
    visiting.reserve(mWalks.size());
    for (const WalkCursor* walk : mWalks) {
        visiting.push_back(walk->index < mChildren.size() ? mChildren[walk->index] : nullptr);
    }
    std::stable_sort(mChildren.begin(), mChildren.end(),
                     [](const Widget* a, const Widget* b) { return a->mZOrder < b->mZOrder; });
    for (size_t i = 0; i < mWalks.size(); ++i) {
        if (visiting[i] != nullptr) {
            mWalks[i]->index = IndexOf(visiting[i]);  // children sorted ahead of it were visited
        }
    }
    MarkDirty();
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

bool WidgetContainer::IsBelow(const WidgetContainer* container, const Widget* a, const Widget* b) {
    if (a == b) {
        return false;  // a modal widget is not below its own layer: it keeps focus and hover
    }
    // Depth first, each child's subtree before the next child.
    struct Search {
        const Widget* a;
        const Widget* b;
        int found = 0;  // 1 a first, 2 b first
        void Walk(const WidgetContainer* node) {
            for (const Widget* child : node->mChildren) {
                if (child == a) {
                    found = 1;
                    return;
                }
                if (child == b) {
                    found = 2;
                    return;
                }
                Walk(child);
                if (found != 0) {
                    return;
                }
            }
        }
    } search{a, b};
    search.Walk(container);
    return search.found == 1;
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

FRect WidgetContainer::LocalToGlobalRect(const FRect& rect) const {
    const FRect up = ToParentRect(rect);
    if (mParent != nullptr) {
        return mParent->LocalToGlobalRect(up);
    }
    return ProjectAtRoot(up);
}

FRect WidgetContainer::GlobalToLocalRect(const FRect& rect) const {
    const FRect above = mParent != nullptr ? mParent->GlobalToLocalRect(rect) : rect;
    return ToLocalRect(above);
}

FRect WidgetContainer::LocalToGlobalArea(const FRect& area) const {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    for (int corner = 0; corner < 4; ++corner) {
        const float x = area.mX + ((corner & 1) != 0 ? area.mWidth : 0.0f);
        const float y = area.mY + ((corner & 2) != 0 ? area.mHeight : 0.0f);
        // (x, y, 1, 1): the homogeneous point the root mapping expects of a plain position.
        const FRect p = LocalToGlobalRect(FRect(x, y, 1.0f, 1.0f));
        left = corner == 0 ? p.mX : std::min(left, p.mX);
        top = corner == 0 ? p.mY : std::min(top, p.mY);
        right = corner == 0 ? p.mX : std::max(right, p.mX);
        bottom = corner == 0 ? p.mY : std::max(bottom, p.mY);
    }
    return FRect(left, top, right - left, bottom - top);
}

bool WidgetContainer::GetDrawnArea(FRect* area) const {
    (void)area;
    return false;
}

void WidgetContainer::MarkDirtyPart(const FRect& part) {
    FRect whole;
    if (!GetDrawnArea(&whole)) {
        MarkDirty();
        return;
    }
    MarkDirtyWithin(part);
}

void WidgetContainer::MarkDirtyWithin(const FRect& area) {
    if (mParent == nullptr || mManager == nullptr) {
        MarkDirty();
        return;
    }
    for (WidgetContainer* node = this; node != nullptr; node = node->mParent) {
        node->DropKeptPicture();
    }
    mManager->MarkDirtyArea(LocalToGlobalArea(area));
}

void WidgetContainer::MarkDirty() {
    DropKeptPicture();
    if (FRect area; mParent != nullptr && mManager != nullptr && GetDrawnArea(&area)) {
        MarkDirtyPart(area);
        return;
    }
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
    if (mUpdateOwner != nullptr && static_cast<WidgetContainer*>(mUpdateOwner) != this) {
        return mUpdateOwner->IsUpdateSuspended();
    }
    const WidgetHost* host = GetWidgetHost();
    return host != nullptr && host->UpdatesSuspended();
}

template <typename Visit>
void WidgetContainer::WalkChildren(WidgetFlagState& state, Visit visit) {
    const uint64_t stamp = ++gWalkCounter;
    WalkCursor walk;
    mWalks.push_back(&walk);
    // Walks end innermost first, so this one is last; also when a visit throws.
    struct Leave {
        std::vector<WalkCursor*>& walks;
        ~Leave() { walks.pop_back(); }
    } leave{mWalks};
    while (walk.index < mChildren.size()) {
        walk.moved = false;
        Widget* child = mChildren[walk.index];
        if (child->mVisitedByWalk != stamp) {
            child->mVisitedByWalk = stamp;
            if (mManager != nullptr && child == mManager->GetBaseWidget()) {
                state.reachedBase = true;
            }
            visit(child);
        }
        if (!walk.moved) {
            ++walk.index;
        }
    }
}

template <typename OwnUpdate, typename ChildUpdate>
void WidgetContainer::UpdateWalk(WidgetFlagState& state, OwnUpdate ownUpdate,
                                 ChildUpdate childUpdate) {
    const WidgetFlagState saved = state;
    state.overFlags = Narrow(state.overFlags, *this);
    state.underFlags = Narrow(state.underFlags, *this);
    if (mManager != nullptr) {
        const uint32_t flags = state.reachedBase ? state.overFlags : state.underFlags;
        // The manager itself is never updated, only its descendants.
        if ((flags & widgetflags::kUpdate) != 0 &&
            static_cast<WidgetContainer*>(mManager) != this) {
            ownUpdate();
        }
        WalkChildren(state, childUpdate);
    }
    state.overFlags = saved.overFlags;
    state.underFlags = saved.underFlags;
}

void WidgetContainer::UpdateAll(WidgetFlagState& state) {
    UpdateWalk(
        state, [this] { TryUpdate(); }, [&state](Widget* child) { child->UpdateAll(state); });
}

void WidgetContainer::UpdateAllF(WidgetFlagState& state, float elapsed) {
    UpdateWalk(
        state, [this, elapsed] { TryUpdateF(elapsed); },
        [&state, elapsed](Widget* child) { child->UpdateAllF(state, elapsed); });
}

void WidgetContainer::DrawAll(WidgetFlagState& state, Graphics* g) {
    if (mManager != nullptr && mDrawPriority > mManager->GetLowestDeferredPriority()) {
        mManager->FlushDeferredDraws(mDrawPriority);
    }
    const WidgetFlagState saved = state;
    state.overFlags = Narrow(state.overFlags, *this);
    state.underFlags = Narrow(state.underFlags, *this);
    if (mClipChildren) {
        g->SetClipRect(0, 0, mWidth, mHeight);
    }
    const uint32_t flags = state.reachedBase ? state.overFlags : state.underFlags;
    const bool draw = (flags & widgetflags::kDraw) != 0;
    if (draw) {
        g->SetBatching((flags & widgetflags::kBatch) != 0);
        if ((flags & widgetflags::kBatchPriority) != 0) {
            g->AddBatchPriority(mZOrder);
        }
        g->SetLayered((flags & widgetflags::kLayered) != 0);
    }
    if (mChildren.empty()) {
        if (draw) {
            Draw(g);
        }
    } else {
        const Graphics kept(*g);
        if (draw) {
            Draw(g);
        }
        WalkChildren(state, [&state, &kept, g](Widget* child) {
            if (!child->mVisible) {
                return;
            }
            g->CopyStateFrom(kept);
            g->Translate(child->mX, child->mY);
            child->DrawAll(state, g);
        });
    }
    state.overFlags = saved.overFlags;
    state.underFlags = saved.underFlags;
}

bool WidgetContainer::HasScheduledWork() const {
    // Only the exact classes known to do nothing in their updates can be at rest here; a class
    // derived from them may have added updates of its own.
    const std::type_info& type = typeid(*this);
    const bool inert =
        type == typeid(WidgetContainer) || type == typeid(Widget) || type == typeid(WidgetManager);
    return !inert || ChildrenHaveScheduledWork();
}

bool WidgetContainer::ChildrenHaveScheduledWork() const {
    for (const Widget* child : mChildren) {
        if (child->HasScheduledWork()) {
            return true;
        }
    }
    return false;
}
