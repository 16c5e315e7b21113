#pragma once
// The root of the widget tree: it runs the update and draw passes and turns the application's
// input calls into widget calls (hover, press and drag per pointer, keys to the focus widget).
// It lives as long as the application. Main thread only.
//
// Widgets that change the tree from inside any of these calls (an enter handler that removes
// its widget, a focus handler that disables another) are safe: each step re-checks that the
// widget it is about to call is still the one the pointer record holds.

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "graphics/Point.h"
#include "graphics/Rect.h"
#include "widgets/Widget.h"

class ClickListener;
class Graphics;
class Image;
class WidgetHost;

// Pointer state: the press widget keeps all pointer input until its last button is released.
struct PointerState {
    int mPointerId = 0;
    Widget* mPressWidget = nullptr;
    Widget* mOverWidget = nullptr;
    uint32_t mHeldButtons = 0;  // 1 left, 2 right, 4 middle
    // The held buttons whose press reached mPressWidget; only their releases go to it (a button
    // first pressed over empty space never reaches a widget pressed later).
    uint32_t mPressButtons = 0;
    int mX = 0;
    int mY = 0;
    bool mPositionKnown = false;
};

class WidgetManager : public WidgetContainer {
public:
    explicit WidgetManager(WidgetHost* host);
    ~WidgetManager() override;

    // Stores the drawing area inside the window and the window area whose mouse coordinates map
    // onto it; the manager's size becomes the drawing area with equal margins.
    void SetAreaRects(const Rect& drawRect, const Rect& mouseRect);
    // Window coordinates to root coordinates (identity while the mouse area is empty).
    void RemapMousePosition(int* x, int* y) const;

    // The record for a mouse event from sourceKey, or null when the event is over no widget and
    // the source has no record yet. hitWidget and the local point (may be null) get the widget
    // under the point.
    PointerState* FindPointerRecord(int x, int y, uintptr_t sourceKey, Widget** hitWidget,
                                    float* localX, float* localY);
    bool MouseMoveEvent(PointerState* record, int x, int y, Widget* hitWidget, float localX,
                        float localY);
    bool MouseButtonDown(PointerState* record, int clickCount, int x, int y);
    bool MouseButtonUp(PointerState* record, int x, int y, int clickCount);
    // delta in wheel steps (the system delta divided by 120).
    void MouseWheel(PointerState* record, int delta);
    // The pointer left the window.
    bool ClearPointerFlags();
    // The window lost the capture while buttons were held: press widgets get their releases.
    void DropPointerWidgets();
    // Called around every button press (before and after dispatch): each click listener's
    // OnClick, respectively OnClickDone.
    void NotifyTrackedWidgetsA(int clickCount);
    void NotifyTrackedWidgetsB(int clickCount);
    // Registers a click listener (once); the list does not own it, and a listener destroyed
    // while registered leaves the list by itself.
    void AddTrackedWidget(ClickListener* listener);
    void RemoveTrackedWidget(ClickListener* listener);
    size_t GetTrackedWidgetCount() const { return mClickListeners.size(); }
    PointerState* GetOrCreatePointerState(int pointerId);
    // The record's last position in root coordinates; (0, 0) when it does not exist.
    Point GetPointerPosition(int pointerId) const;
    // Runs the record's last pointer move again (a widget was enabled under the still pointer).
    void ReplayPointerMove(int pointerId);
    // Deletes every pointer record (shutdown).
    void FreePointerStates();

    // Keyboard input from the application (virtual-key codes, typed bytes): recorded and passed to
    // the focus widget, if any. Always true (the key is taken).
    bool KeyDown(int key);
    bool KeyUp(int key);
    bool KeyChar(char c);
    // The window gained or lost the keyboard focus.
    void GotFocus();
    void LostFocus();
    void SetFocus(Widget* widget) override;
    bool IsKeyDown(int key) const {
        return key >= 0 && key < 255 && mKeyDown[static_cast<size_t>(key)];
    }
    bool HasFocus() const { return mHasFocus; }

    // One fixed, respectively float, update pass; both return the dirty flag.
    bool UpdateFrame();
    bool UpdateFrameF(float elapsed);
    // Draws the tree when something is dirty; false when nothing was drawn. g is the context over
    // the screen; when null, a context over the screen image (SetScreenImage) is made, or one
    // that only measures when there is none.
    bool DrawScreen(Graphics* g);
    // Draws the whole tree into g (a picture of the screen); dirty is neither tested nor cleared
    // and deferred overlays are not flushed.
    void DrawPassA(Graphics* g);
    // The destination of DrawScreen when it is given no context; not owned.
    void SetScreenImage(Image* image) { mScreenImage = image; }
    // During a draw pass: the widget's DrawOverlayAtPriority runs later (see FlushDeferredDraws).
    void QueueDeferredDraw(Widget* widget, int priority);
    // Draws the queued overlays in ascending priority (queue order within one priority) while
    // the lowest pending priority is below limit.
    void FlushDeferredDraws(int limit);
    // The lowest priority still queued; 0x7FFFFFFF when none.
    int GetLowestDeferredPriority() const { return mLowestDeferredPriority; }
    // The whole screen needs a draw.
    void MarkDirty() override;
    // An area of the screen (root coordinates) needs a draw; areas add up to their bounding box.
    void MarkDirtyArea(const FRect& area);
    bool IsDirty() const { return mDirty; }
    // Until the next DrawScreen: true with the part of the screen (whole pixels, within the
    // manager's size) that needs a draw when only areas were marked and they leave some of the
    // screen out; false when the whole screen needs one or nothing does.
    bool GetDirtyArea(Rect* area) const;

    // Makes widget modal: widgets below it lose the mouse and focus bits.
    void PushDefaultBaseLayer(Widget* widget);
    void PushBaseLayer(Widget* widget, uint32_t addMask, uint32_t removeMask);
    // Pops the widget's layer (only the first entry when it is not on top).
    void RemoveBaseLayer(Widget* widget);

    // Re-evaluates what the pointer is over after the tree changed under it.
    void RehupMouse();
    // Drops every reference to a widget that is disabled or leaves the tree: it leaves, gets
    // button-ups for the buttons still held on it and loses the focus; it stops being the base
    // widget and its queued overlays are dropped.
    void ForgetWidget(Widget* widget);

    // The flags every widget is asked with (WidgetContainer.h), changed while the window has no
    // focus; ComputeWidgetFlags adds the flags for widgets below the base widget.
    uint32_t GetWidgetFlags() const;
    void ComputeWidgetFlags(WidgetFlagState* state) const;

    WidgetHost* GetHost() const { return mHost; }
    Widget* GetFocusWidget() const { return mFocusWidget; }
    Widget* GetBaseWidget() const { return mBaseWidget; }
    const Rect& GetDrawRect() const { return mDrawRect; }
    const Rect& GetMouseRect() const { return mMouseRect; }

    // The root drawing context while a draw pass runs.
    Graphics* mCurrentGraphics = nullptr;
    bool mRehupPending = false;
    uint32_t mBelowAdd = 0;
    uint32_t mBelowRemove = 0;
    uint32_t mDefaultLayerAdd = 0;
    uint32_t mDefaultLayerRemove = widgetflags::kMouse | widgetflags::kFocus;
    // Applied to the default flags while the window does not have the keyboard focus.
    uint32_t mLostFocusAdd = 0;
    uint32_t mLostFocusRemove = 0;

private:
    struct BaseLayer {
        Widget* widget = nullptr;
        Widget* savedFocus = nullptr;
        uint32_t addMask = 0;
        uint32_t removeMask = 0;
    };

    Widget* GetEnabledWidgetAt(int x, int y, float* localX, float* localY);
    void SetOverWidget(PointerState* record, Widget* widget, float localX, float localY, int x,
                       int y);
    void MoveTo(PointerState* record, int x, int y);
    // While buttons are held only the press widget may be over: it enters and leaves as the
    // pointer crosses it, and every other widget is left.
    void TrackPressedHover(PointerState* record, Widget* under);
    // The over widget (if any) is cleared first, then left.
    void ClearOver(PointerState* record);
    // The record returns to idle; the former press widget gets a button-up for each of its
    // buttons.
    void ReleasePress(PointerState* record);
    void EnterWidget(Widget* widget);
    void LeaveWidget(Widget* widget);
    void SendButtonUps(Widget* widget, PointerState* record, uint32_t buttons);
    void ApplyBaseLayer(BaseLayer layer);
    void DrawChildren(WidgetFlagState& state, Graphics* g);
    void NotifyClickListeners(int clickCount, bool done);

    struct DeferredDraw {
        Widget* widget;
        int priority;
    };

    WidgetHost* mHost;
    bool mDirty = false;
    bool mDirtyWhole = false;  // a mark without an area since the last draw
    Rect mDirtyArea;           // the bounding box of the marked areas, in pixels
    bool mHasFocus = true;
    Widget* mFocusWidget = nullptr;
    Widget* mBaseWidget = nullptr;
    uint32_t mDefaultFlags = widgetflags::kDefault;
    std::vector<BaseLayer> mBaseLayers;
    Rect mDrawRect;
    Rect mMouseRect;
    std::array<bool, 255> mKeyDown{};
    std::map<int, PointerState*> mPointerRecords;
    std::map<uintptr_t, int> mPointerSources;
    std::vector<ClickListener*> mClickListeners;
    Image* mScreenImage = nullptr;
    std::vector<DeferredDraw> mDeferredDraws;
    int mLowestDeferredPriority = 0x7FFFFFFF;
};
