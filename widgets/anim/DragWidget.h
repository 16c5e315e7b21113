#pragma once
// A scripted widget that the player drags with the left button. While dragged it keeps to a bump
// rectangle in its parent's coordinates: in mode 1 ("inner") it keeps covering the rectangle (a
// panel larger than its window), in mode 2 ("outer") it stays inside it. After a release it
// slides on in the direction of the fling and eases to a stop. A press that travels no further
// than the sloppy-click distance is a click and selects the widget. Widgets on it (drag buttons)
// hand their presses on to it, and a drag widget inside another may push its parent along when it
// is dragged into the parent's edge zones. Main thread only.

#include <string>

#include "graphics/Point.h"
#include "widgets/anim/AnimationWidget.h"

class DragWidget : public AnimationWidget {
public:
    enum BumpMode { kBumpNone = 0, kBumpInner = 1, kBumpOuter = 2 };

    // image (not owned) and opacity as for AnimationWidget. Mode 1 with all four rectangle
    // values -1 bumps against the design area.
    DragWidget(int x, int y, Image* image, float opacity, int bumpMode, int bumpLeft, int bumpTop,
               int bumpWidth, int bumpHeight);
    ~DragWidget() override;

    // The distance in pixels (the named constant "sloppy_click_threshold", 10 when it is 0 or
    // absent) within which a press and release count as a click. Read once per process.
    static float SloppyClickDistance();

    // Switching off during a drag ends the drag first when endDrag is set.
    virtual void SetDraggable(bool on, bool endDrag);
    virtual void SetSelectRequired(bool on) { mSelectRequired = on; }
    // Switching off stops the push of a drag-widget parent.
    virtual void SetPushesParent(bool on);
    // x, y in the widget's coordinates.
    virtual void BeginDrag(int x, int y);
    virtual void EndDrag();
    virtual void Select() { mSelected = true; }
    virtual void Deselect() { mSelected = false; }
    // A press and release within the sloppy-click distance; for subclasses.
    virtual void OnClicked(int x, int y) { (void)x, (void)y; }
    virtual void SetPushable(bool on);
    // The edge zone along one axis: half of min(widget size, design size) when value <= 0, else
    // the smaller of value and that half.
    virtual void SetEdgeZone(bool horizontal, float value);
    virtual bool IsPressed() const { return mPressed; }
    virtual bool IsDragging() const { return mDragging; }
    virtual bool IsDraggable() const { return mDraggable; }
    virtual bool IsSelected() const { return mSelected; }
    virtual bool PushesParent() const { return mPushesParent; }
    virtual bool IsPushable() const { return mPushable; }
    // Moves the widget so that the grabbed point follows (x, y) (widget coordinates), within the
    // limits widened by the allowances.
    virtual void DragTo(int x, int y);
    // The push velocity for the pointer at (x, y) in the widget's coordinates.
    virtual void ComputeEdgePush(int x, int y);
    // The draw-time limit step: pulls the widget back inside its limits and moves g with it.
    virtual void EnforceBump(Graphics* g);
    // value held within the limits a (below) and b (above); when it clamped, the elastic flag is
    // clear and accumulator is given, the clamped-away distance is added to it.
    virtual float ClampAxis(float value, float a, float b, int* accumulator);

    int GetBumpMode() const { return mBumpMode; }
    Rect GetBumpRect() const { return Rect(mBumpLeft, mBumpTop, mBumpWidth, mBumpHeight); }
    // The limits of x (horizontal) or y: lowest and highest position, margins included.
    void GetLimits(bool horizontal, float* low, float* high) const;
    float GetPushVelocityX() const { return mPushVelocityX; }
    float GetPushVelocityY() const { return mPushVelocityY; }
    float GetTravel() const { return mTravel; }
    int GetBumpAccumulatorX() const { return mBumpAccumX; }
    int GetBumpAccumulatorY() const { return mBumpAccumY; }

    void Update() override;
    void Draw(Graphics* g) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y) override;
    void MouseDrag(int x, int y) override;
    bool Contains(float x, float y) const override;
    void RemovedFromParent(WidgetContainer* parent) override;
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    const PropertyTable& GetPropertyTable() const override;
    static const PropertyTable& Properties();

    // Settings the "add" command gives (see the script documentation).
    bool mDepthMargins = false;
    bool mElasticBump = false;
    bool mMomentum = false;
    bool mFlingable = false;
    bool mCanDragPastX = false;
    bool mCanDragPastY = false;
    float mAllowanceX = 0.0f;
    float mAllowanceY = 0.0f;
    float mPushSpeed = 5.0f;

private:
    // The frame's bounding box in widget coordinates (the widget's rectangle without boxes).
    Rect FrameBox() const;
    void Margins(int* mx, int* my) const;
    void StopPushOfParent();
    // The point (x, y) of the widget in root coordinates. The pointer's travel and last position
    // are kept there: the widget follows the pointer, so in its own coordinates a drag would
    // hardly travel at all.
    Point ScreenPoint(int x, int y) const;
    // The travel and last position grow while the pointer is pressed and moving.
    void TrackPointer(const Point& at);
    // at: the release point in root coordinates.
    void Slide(const Point& at, int velocityX, int velocityY);

    int mBumpMode;
    int mBumpLeft, mBumpTop, mBumpWidth, mBumpHeight;
    bool mDraggable = true;
    bool mDragging = false;
    bool mPushesParent = false;
    int mGrabX = 0, mGrabY = 0;
    bool mSelectRequired = false;
    int mDragTicks = 0;
    int mVelocityX = 0, mVelocityY = 0;
    bool mPushable = false;
    bool mDefaultBump = false;
    float mEdgeZoneX = 0.0f, mEdgeZoneY = 0.0f;
    float mPushVelocityX = 0.0f, mPushVelocityY = 0.0f;
    bool mPressed = false;
    bool mSelected = false;
    int mPointerX = -1, mPointerY = -1;  // the last pointer position of the press (root)
    bool mPointerKnown = false;
    float mTravel = 0.0f;
    int mBumpAccumX = 0, mBumpAccumY = 0;
    bool mDrawnOnce = false;
};
