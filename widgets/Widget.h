#pragma once
// The base of every visible element: a rectangle in its parent's coordinates, state flags, links
// to its parent and to the widget manager at the root, and the virtual operations through which
// input, focus, update and drawing reach it. Every widget takes an id from a process-wide counter
// and is entered in the live-object table, so script values that hold it never dangle.
// Main thread only.

#include <cstdint>

#include "graphics/FPoint.h"
#include "graphics/Rect.h"
#include "widgets/WidgetContainer.h"

class Widget : public WidgetContainer {
public:
    // Takes the next id of the process-wide counter (the first widget gets 1).
    Widget();
    // A widget still linked is unlinked first (without being queued again).
    ~Widget() override;

    // Called after one of the restacking operations moved the widget.
    virtual void OrderChanged() {}
    virtual void SetVisible(bool visible);
    // Disabling forgets the widget in the manager (leave and button-up calls, focus lost);
    // enabling under the still pointer re-runs the pointer's move so it enters.
    virtual void SetDisabled(bool disabled);
    // Selects the hand (1) or arrow (0) cursor through the application.
    virtual void SetHandCursor(bool hand);
    virtual bool WantsFocus() { return mWantsFocus; }
    // Overlays queued with QueueDeferredDraw; g is translated to the widget's origin.
    virtual void DrawOverlayAtPriority(Graphics* g, int priority);
    virtual void DrawOverlay(Graphics* g) { (void)g; }
    virtual void GotFocus() { mHasFocus = true; }
    virtual void LostFocus() { mHasFocus = false; }
    // A typed character (a byte).
    virtual void KeyChar(char c) { (void)c; }
    // Platform virtual-key codes. Tab moves the focus to tabNext, Shift+Tab to tabPrevious.
    virtual void KeyDown(int key);
    virtual void KeyUp(int key) { (void)key; }
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // Local integer coordinates from here on.
    virtual void MouseMove(int x, int y) { (void)x, (void)y; }
    // button: 0 left, 1 right, 2 middle; clickCount 1 or 2.
    virtual void MouseDownButton(int x, int y, int button, int clickCount);
    // Signed click count as the manager passes it (1, 2 left; -1, -2 right; 0 middle).
    virtual void MouseDown(int x, int y, int clickCount);
    virtual void MouseUpButton(int x, int y, int button, int clickCount);
    // MouseUp, then MouseUpButton with the same mapping as MouseDown.
    virtual void MouseUpClicks(int x, int y, int clickCount);
    virtual void MouseUp(int x, int y) { (void)x, (void)y; }
    virtual void MouseDrag(int x, int y) { (void)x, (void)y; }
    // Wheel steps (the system delta over 120).
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
    // MarkForRemoval without queueing the deletion: the caller keeps the widget.
    virtual void RemoveKeepAlive();
    virtual bool IsPointInside(int x, int y) const;

    // Stores a new position and size; unchanged values mark nothing dirty. Virtual so that a
    // widget whose layout depends on its size (the text field's scrolling) follows every resize,
    // also one made through a plain Widget pointer (Move included).
    virtual void Resize(float x, float y, int width, int height);
    void Move(float x, float y) { Resize(x, y, mWidth, mHeight); }
    // The widget's origin in root coordinates.
    FPoint LocalToGlobal() const;
    // A point in root coordinates converted into this widget's coordinates.
    void GlobalToLocal(float x, float y, float* outX, float* outY) const;
    // During a draw pass: asks the manager to call DrawOverlayAtPriority later, after the
    // overlays of lower priorities and before nodes of a higher drawPriority.
    void QueueDeferredDraw(int priority);

    uint32_t mId;
    bool mVisible = true;
    bool mMouseVisible = false;  // only such widgets are found under the pointer
    bool mDisabled = false;
    bool mHasFocus = false;
    bool mIsDown = false;  // a press delivered to the widget is held
    bool mIsOver = false;  // the pointer is over the widget
    bool mHandCursor = false;
    bool mWantsFocus = false;
    bool mDeleteOnRemove = true;
    bool mRemoved = false;
    int mPointerId = 0;
    Widget* mTabPrevious = nullptr;
    Widget* mTabNext = nullptr;
};
