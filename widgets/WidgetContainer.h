#pragma once
// The node of the widget tree: an ordered list of child widgets with the recursive update, draw
// and hit-test walks. Children are kept in drawing order (first drawn first, sorted by zOrder
// ascending) and are not owned: a removed widget is queued for deletion by the application
// (its deleteOnRemove flag), which deletes it outside every walk. Main thread only.
//
// Walks survive changes made by the widgets they visit: a child removed during a walk is not
// visited, a child added at a later place is, and a child restacked after its visit is not
// visited twice.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/FRect.h"

class Graphics;
class Widget;
class WidgetManager;

// Widget flag bits of a pass, narrowed per node by its add and remove masks.
namespace widgetflags {
constexpr uint32_t kUpdate = 1;
constexpr uint32_t kDraw = 2;
constexpr uint32_t kMouse = 4;
constexpr uint32_t kFocus = 8;  // may keep the keyboard focus below a base widget
constexpr uint32_t kBatch = 16;
constexpr uint32_t kBatchPriority = 32;
constexpr uint32_t kLayered = 64;
constexpr uint32_t kDefault = 0x2F;
}  // namespace widgetflags

// The flags carried down a pass: overFlags at and above the base widget, underFlags below it.
struct WidgetFlagState {
    uint32_t overFlags = widgetflags::kDefault;
    uint32_t underFlags = widgetflags::kDefault;
    bool reachedBase = true;
};

class WidgetContainer {
public:
    WidgetContainer() = default;
    // Removes every child without marking them for deletion.
    virtual ~WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    // The topmost mouse-visible widget containing the point (x, y in this node's coordinates)
    // that the flags let through; outX/outY (may be null) get the point in its coordinates.
    virtual Widget* FindWidgetAt(float x, float y, uint32_t flags, float* outX, float* outY);
    // Links a widget as the last child of its zOrder band; a widget that is already a child is
    // ignored. The container does not take ownership.
    virtual void AddWidget(Widget* widget);
    // Unlinks a child (others are ignored); safe during any walk. The widget is then queued for
    // deletion when its deleteOnRemove flag is set.
    virtual void RemoveWidget(Widget* widget);
    // The manager moves the keyboard focus; other nodes ignore it.
    virtual void SetFocus(Widget* widget);
    // A rectangle in this node's coordinates to its parent's, and back.
    virtual FRect ToParentRect(const FRect& rect) const;
    virtual FRect ToLocalRect(const FRect& rect) const;
    // Marks the tree as needing a draw: the screen area this node reports (GetDrawnArea) when it
    // can say, else what its parent reports, up to the whole screen at the root.
    virtual void MarkDirty();
    // The area, in this node's coordinates, that holds everything this node and its subtree
    // draw (deferred overlays included). The default cannot say (false): a change here then
    // repaints what the parent reports. A class answers only when it knows its drawing's bounds.
    virtual bool GetDrawnArea(FRect* area) const;
    // Marks only a part (this node's coordinates) of what a node that answers GetDrawnArea draws,
    // for a change known to stay inside it; a node that cannot say marks as MarkDirty does.
    void MarkDirtyPart(const FRect& part);
    // Marks an area (this node's coordinates) known to hold all of a change, such as the node's
    // own picture drawn anew in its place; the whole tree when the node is not on a screen.
    void MarkDirtyWithin(const FRect& area);
    // Forgets a picture kept of this node's subtree (a render cache); every mark calls it on the
    // marked node and its ancestors.
    virtual void DropKeptPicture() {}
    // Update unless updates are suspended here.
    virtual void TryUpdate();
    // The node's own fixed update (100 per second).
    virtual void Update() {}
    virtual void UpdateAll(WidgetFlagState& state);
    virtual void TryUpdateF(float elapsed);
    // The node's own float update; elapsed is in fixed updates (1.0 in the normal loop).
    virtual void UpdateF(float elapsed) { (void)elapsed; }
    virtual void UpdateAllF(WidgetFlagState& state, float elapsed);
    // Draws the node itself in its own coordinates. The manager's passes never pass null.
    virtual void Draw(Graphics* g) { (void)g; }
    virtual void DrawAll(WidgetFlagState& state, Graphics* g);
    // Whether updates are suspended here: asks the update owner, else the application's
    // update-suspend counter.
    virtual bool IsUpdateSuspended();
    // True when this node or one below it may change something in a coming fixed or float
    // update without an input event (a running script, a tween, a blink): the application then
    // keeps updating on time; when the whole tree answers false it sleeps until the next event
    // and catches the updates up on waking. The plain containers and controls only look at
    // their children; a class with updates of its own answers for itself, and one that does not
    // is taken to be busy. Main thread.
    virtual bool HasScheduledWork() const;

    // Removes every child; markForDeletion sets their deleteOnRemove first; recursive repeats on
    // each removed child.
    void RemoveAllWidgets(bool markForDeletion, bool recursive);
    // Restacking within the child's zOrder band (the zOrder order is never broken); widgets that
    // are not children are left alone. The moved widget's OrderChanged runs afterwards.
    void MoveChildToEnd(Widget* widget);
    void MoveChildToStart(Widget* widget);
    void MoveChildBefore(Widget* widget, Widget* other);
    // After other; at the end of the band when other is not a child.
    void MoveChildAfter(Widget* widget, Widget* other);
    // Stable sort by zOrder ascending (after zOrders were changed in place).
    void SortChildren();
    // Sets the update owner on this node and its subtree; an empty owner without force leaves a
    // subtree that has its own owner alone.
    void PropagateTreeValue(Widget* owner, bool force);
    // Whether a comes before b in a depth-first walk of container's subtree in child order
    // (drawn before, hit after); false when b comes first, neither is met, or a is b.
    static bool IsBelow(const WidgetContainer* container, const Widget* a, const Widget* b);

    // A rectangle in this node's coordinates to root coordinates. At the root the four values
    // are a homogeneous point (x, y, z, w); a z other than 1 is projected through the screen's
    // perspective view.
    FRect LocalToGlobalRect(const FRect& rect) const;
    // A rectangle in root coordinates to this node's.
    FRect GlobalToLocalRect(const FRect& rect) const;
    // The bounding box in root coordinates of an area of this node (its four corners mapped,
    // through the perspective at the root when they leave the plane).
    FRect LocalToGlobalArea(const FRect& area) const;

    const std::vector<Widget*>& GetChildren() const { return mChildren; }
    // Whether any child answers HasScheduledWork.
    bool ChildrenHaveScheduledWork() const;
    WidgetManager* GetManager() const { return mManager; }
    WidgetContainer* GetParent() const { return mParent; }
    // Whether widget is a direct child (not a deeper descendant).
    bool HasChild(const Widget* widget) const;
    // Whether a walk over this node's children is under way (a caller that must not restack
    // them in the middle of one defers its change).
    bool IsWalkingChildren() const { return !mWalks.empty(); }

    // Children in drawing order, sorted by zOrder ascending; not owned.
    std::vector<Widget*> mChildren;
    WidgetManager* mManager = nullptr;
    WidgetContainer* mParent = nullptr;
    // The nearest widget that decides whether updates are suspended; copied down the subtree.
    Widget* mUpdateOwner = nullptr;
    float mX = 0.0f;
    float mY = 0.0f;
    int mWidth = 0;
    int mHeight = 0;
    // Drawing is clipped to the own rectangle, and points outside it never reach the subtree.
    bool mClipChildren = false;
    uint32_t mFlagsAdd = 0;
    uint32_t mFlagsRemove = 0;
    // Deferred overlays of a lower priority are drawn before this node.
    int mDrawPriority = 0;
    int mZOrder = 0;

protected:
    // The manager-side clean-up of a widget leaving the tree, children first.
    void DetachFromManager(Widget* widget);

private:
    static constexpr size_t kNotFound = static_cast<size_t>(-1);

    // Inserts as the last of its zOrder band, searching from the hint index.
    void InsertByZOrder(Widget* widget, size_t hint);
    // Takes the child at index out of the list, keeping a running walk on its next child.
    void UnlinkAt(size_t index);
    size_t IndexOf(const Widget* widget) const;
    void Restack(Widget* widget, int where, Widget* other);
    template <typename Visit>
    void WalkChildren(WidgetFlagState& state, Visit visit);
    // The body shared by the fixed and the float update walk.
    template <typename OwnUpdate, typename ChildUpdate>
    void UpdateWalk(WidgetFlagState& state, OwnUpdate ownUpdate, ChildUpdate childUpdate);

    // Where a walk over the children stands: the index it is visiting, and whether a removal or
    // restack already moved it onto the next (unvisited) child.
    struct WalkCursor {
        size_t index = 0;
        bool moved = false;
    };
    // The walks running over this node's children, outermost first. A walk can run inside
    // another over the same node (a picture of the screen taken during an update), so every
    // change to the list adjusts all of them.
    std::vector<WalkCursor*> mWalks;
    // The walk that last visited this node; a restacked child is not visited twice by one walk.
    uint64_t mVisitedByWalk = 0;
};
