#pragma once
// The widget tree's node (WidgetContainer) and the base of every visible element (Widget). The
// container keeps its children in drawing order (first drawn first, sorted by zOrder); it does
// not own them. A removed widget is queued for deletion by the application (deleteOnRemove),
// which deletes it outside every walk. Main thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/FRect.h"
#include "graphics/Rect.h"

class Graphics;
class Widget;
class WidgetManager;

// Widget flag bits of a pass, narrowed per node by its add and remove masks.
namespace widgetflags {
constexpr uint32_t kUpdate = 1;
constexpr uint32_t kDraw = 2;
constexpr uint32_t kMouse = 4;
constexpr uint32_t kFocus = 8;
constexpr uint32_t kBatch = 16;
constexpr uint32_t kBatchPriority = 32;
constexpr uint32_t kLayered = 64;
constexpr uint32_t kDefault = 0x2F;
}  // namespace widgetflags

// The flags carried down an update or draw pass: overFlags at and above the base widget,
// underFlags below it.
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
    // Unlinks a child (others are ignored); safe during an update walk of this container. The
    // widget is then queued for deletion when its deleteOnRemove flag is set.
    virtual void RemoveWidget(Widget* widget);
    virtual void SetFocus(Widget* widget);
    virtual FRect ToParentRect(const FRect& rect) const;
    virtual FRect ToLocalRect(const FRect& rect) const;
    // Marks the tree as needing a draw.
    virtual void MarkDirty();
    virtual void TryUpdate();
    virtual void Update() {}
    virtual void UpdateAll(WidgetFlagState& state);
    virtual void TryUpdateF(float elapsed);
    virtual void UpdateF(float elapsed) { (void)elapsed; }
    virtual void UpdateAllF(WidgetFlagState& state, float elapsed);
    // Draws the node itself; g may be null while no renderer is attached.
    virtual void Draw(Graphics* g) { (void)g; }
    virtual void DrawAll(WidgetFlagState& state, Graphics* g);
    // Whether updates are suspended here: asks the update owner, else the application's
    // update-suspend counter.
    virtual bool IsUpdateSuspended();

    // Removes every child; markForDeletion sets their deleteOnRemove first; recursive repeats on
    // each removed child.
    void RemoveAllWidgets(bool markForDeletion, bool recursive);
    // Sets the update owner on this node and its subtree (see the field).
    void PropagateTreeValue(Widget* owner, bool force);

    const std::vector<Widget*>& GetChildren() const { return mChildren; }
    WidgetManager* GetManager() const { return mManager; }
    WidgetContainer* GetParent() const { return mParent; }

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
    bool mClipChildren = false;
    uint32_t mFlagsAdd = 0;
    uint32_t mFlagsRemove = 0;
    int mDrawPriority = 0;
    int mZOrder = 0;

protected:
    // The manager-side clean-up of a widget leaving the tree, children first.
    void DetachFromManager(Widget* widget);

private:
    // Index of the child an update walk is visiting (kNoWalk when none); removals and inserts
    // during the walk keep it on the same next child.
    static constexpr size_t kNoWalk = static_cast<size_t>(-1);
    size_t mWalkIndex = kNoWalk;
    bool mWalkCursorMoved = false;

    template <typename Visit>
    void WalkChildren(WidgetFlagState& state, Visit visit);
};

class Widget : public WidgetContainer {
public:
    // Takes the next id of the process-wide counter (the first widget gets 1).
    Widget();
    ~Widget() override;

    virtual void OrderChanged() {}
    virtual void SetVisible(bool visible);
    virtual void SetDisabled(bool disabled);
    // Selects the hand (1) or arrow (0) cursor through the application.
    virtual void SetHandCursor(bool hand);
    virtual bool WantsFocus() { return mWantsFocus; }
    virtual void GotFocus() { mHasFocus = true; }
    virtual void LostFocus() { mHasFocus = false; }
    virtual void KeyChar(char c) { (void)c; }
    // Tab moves the focus to tabNext, Shift+Tab to tabPrevious.
    virtual void KeyDown(int key);
    virtual void KeyUp(int key) { (void)key; }
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseMove(int x, int y) { (void)x, (void)y; }
    // button: 0 left, 1 right, 2 middle.
    virtual void MouseDownButton(int x, int y, int button, int clickCount);
    // Signed click count as the manager passes it; maps to MouseDownButton.
    virtual void MouseDown(int x, int y, int clickCount);
    virtual void MouseUpButton(int x, int y, int button, int clickCount);
    virtual void MouseUpClicks(int x, int y, int clickCount);
    virtual void MouseUp(int x, int y) { (void)x, (void)y; }
    virtual void MouseDrag(int x, int y) { (void)x, (void)y; }
    virtual void MouseWheel(int delta) { (void)delta; }
    virtual bool Contains(float x, float y) const;
    virtual Rect GetLocalRect() const { return Rect(0, 0, mWidth, mHeight); }
    virtual void AddedToManager(WidgetManager* manager);
    virtual void RemovedFromManager(WidgetManager* manager);
    virtual void AddedToParent(WidgetContainer* parent) { (void)parent; }
    // Queues the widget's deletion by the application when deleteOnRemove is set.
    virtual void RemovedFromParent(WidgetContainer* parent);
    // Sets removed and asks the parent to unlink the widget.
    virtual void MarkForRemoval();
    virtual bool IsPointInside(int x, int y) const;

    void Resize(float x, float y, int width, int height);
    void Move(float x, float y) { Resize(x, y, mWidth, mHeight); }
    // A point in root coordinates converted into this widget's coordinates.
    void GlobalToLocal(float x, float y, float* outX, float* outY) const;

    // The value the process-wide id counter will give next (tests).
    static uint32_t PeekNextId();

    uint32_t mId;
    bool mVisible = true;
    bool mMouseVisible = false;
    bool mDisabled = false;
    bool mHasFocus = false;
    bool mIsDown = false;
    bool mIsOver = false;
    bool mHandCursor = false;
    bool mWantsFocus = false;
    bool mDeleteOnRemove = true;
    bool mRemoved = false;
    int mPointerId = 0;
    Widget* mTabPrevious = nullptr;
    Widget* mTabNext = nullptr;
};
