#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>

#include "graphics/Graphics.h"
#include "platform/CursorNumbers.h"
#include "widgets/ClickListener.h"
#include "widgets/WidgetHost.h"

namespace {

uint32_t ButtonBit(int clickCount) {
    return clickCount > 0 ? 1u : (clickCount < 0 ? 2u : 4u);
}

}  // namespace

WidgetManager::WidgetManager(WidgetHost* host) : mHost(host) {
    mManager = this;
}

WidgetManager::~WidgetManager() {
    for (ClickListener* listener : mClickListeners) {
        listener->mTrackedBy = nullptr;
    }
    mClickListeners.clear();
    mDeferredDraws.clear();
    FreePointerStates();
    mBaseLayers.clear();
    mFocusWidget = nullptr;
    mBaseWidget = nullptr;
    RemoveAllWidgets(false, false);
    mManager = nullptr;
}

void WidgetManager::SetAreaRects(const Rect& drawRect, const Rect& mouseRect) {
    mDrawRect = drawRect;
    mMouseRect = mouseRect;
    mWidth = drawRect.mWidth + 2 * drawRect.mX;
    mHeight = drawRect.mHeight + 2 * drawRect.mY;
    MarkDirty();
}

void WidgetManager::MarkDirty() {
    mDirty = true;
    mDirtyWhole = true;
}

void WidgetManager::MarkDirtyArea(const FRect& area) {
    // Whole pixels, widened by two for filtered edges and fractional positions; an area that is
    // not a finite number stands for the whole screen.
    constexpr float kLimit = 1.0e6f;
    const float right = area.mX + area.mWidth;
    const float bottom = area.mY + area.mHeight;
    if (!(std::fabs(area.mX) < kLimit && std::fabs(area.mY) < kLimit && std::fabs(right) < kLimit &&
          std::fabs(bottom) < kLimit)) {
        MarkDirty();
        return;
    }
    const int x0 = static_cast<int>(std::floor(std::min(area.mX, right))) - 2;
    const int y0 = static_cast<int>(std::floor(std::min(area.mY, bottom))) - 2;
    const int x1 = static_cast<int>(std::ceil(std::max(area.mX, right))) + 2;
    const int y1 = static_cast<int>(std::ceil(std::max(area.mY, bottom))) + 2;
    if (mDirtyArea.IsEmpty()) {
        mDirtyArea = Rect(x0, y0, x1 - x0, y1 - y0);
    } else {
        const int left = std::min(mDirtyArea.mX, x0);
        const int top = std::min(mDirtyArea.mY, y0);
        mDirtyArea = Rect(left, top, std::max(mDirtyArea.mX + mDirtyArea.mWidth, x1) - left,
                          std::max(mDirtyArea.mY + mDirtyArea.mHeight, y1) - top);
    }
    mDirty = true;
}

bool WidgetManager::GetDirtyArea(Rect* area) const {
    if (!mDirty || mDirtyWhole) {
        return false;
    }
    const Rect screen(0, 0, mWidth, mHeight);
    const Rect inside = mDirtyArea.Intersection(screen);
    if (inside == screen) {
        return false;
    }
    *area = inside;
    return true;
}

void WidgetManager::RemapMousePosition(int* x, int* y) const {
    // An empty mouse area (before the window is sized) would divide by zero: pass through.
    if (mMouseRect.mWidth <= 0 || mMouseRect.mHeight <= 0) {
        return;
    }
    *x = static_cast<int>(static_cast<int64_t>(*x - mMouseRect.mX) * mDrawRect.mWidth /
                          mMouseRect.mWidth) +
         mDrawRect.mX;
    *y = static_cast<int>(static_cast<int64_t>(*y - mMouseRect.mY) * mDrawRect.mHeight /
                          mMouseRect.mHeight) +
         mDrawRect.mY;
}

uint32_t WidgetManager::GetWidgetFlags() const {
    return mHasFocus ? mDefaultFlags : (mDefaultFlags | mLostFocusAdd) & ~mLostFocusRemove;
}

void WidgetManager::ComputeWidgetFlags(WidgetFlagState* state) const {
    state->overFlags = GetWidgetFlags();
    state->underFlags = (state->overFlags | mBelowAdd) & ~mBelowRemove;
    state->reachedBase = mBaseWidget == nullptr;
}

Widget* WidgetManager::GetEnabledWidgetAt(int x, int y, float* localX, float* localY) {
    float lx = 0.0f;
    float ly = 0.0f;
    Widget* widget =
        FindWidgetAt(static_cast<float>(x), static_cast<float>(y), GetWidgetFlags(), &lx, &ly);
    if (widget != nullptr && widget->mDisabled) {
        widget = nullptr;
    }
    if (localX != nullptr) {
        *localX = lx;
    }
    if (localY != nullptr) {
        *localY = ly;
    }
    return widget;
}

PointerState* WidgetManager::GetOrCreatePointerState(int pointerId) {
    auto it = mPointerRecords.find(pointerId);
    if (it != mPointerRecords.end()) {
        return it->second;
    }
    auto* record = new PointerState;
    record->mPointerId = pointerId;
    mPointerRecords[pointerId] = record;
    return record;
}

void WidgetManager::FreePointerStates() {
    for (auto& [id, record] : mPointerRecords) {
        delete record;
    }
    mPointerRecords.clear();
    mPointerSources.clear();
}

PointerState* WidgetManager::FindPointerRecord(int x, int y, uintptr_t sourceKey,
                                               Widget** hitWidget, float* localX, float* localY) {
    constexpr int kReservedPointer = static_cast<int>(0xDEADBEEFu);
    PointerState* known = nullptr;
    const auto source = mPointerSources.find(sourceKey);
    if (source != mPointerSources.end()) {
        if (source->second == kReservedPointer) {
            return nullptr;
        }
        known = GetOrCreatePointerState(source->second);
    }
    Widget* hit = GetEnabledWidgetAt(x, y, localX, localY);
    if (hitWidget != nullptr) {
        *hitWidget = hit;
    }
    if (hit == nullptr) {
        return known;
    }
    // One pointer in this system: every source reaches record 0.
    mPointerSources[sourceKey] = 0;
    return GetOrCreatePointerState(0);
}

void WidgetManager::EnterWidget(Widget* widget) {
    widget->mIsOver = true;
    if (widget->mHandCursor) {
        widget->SetHandCursor(true);
    }
    widget->MouseEnter();
}

void WidgetManager::LeaveWidget(Widget* widget) {
    widget->mIsOver = false;
    if (widget->mHandCursor && (mHost == nullptr || mHost->GetCursor() != cursor::kNone)) {
        widget->SetHandCursor(false);
    }
    widget->MouseLeave();
}

void WidgetManager::SetOverWidget(PointerState* record, Widget* widget, float localX, float localY,
                                  int x, int y) {
    const bool moved = record->mX != x || record->mY != y;
    record->mX = x;
    record->mY = y;
    if (widget != record->mOverWidget) {
        ClearOver(record);
        record->mOverWidget = widget;
        if (widget != nullptr) {
            EnterWidget(widget);
            // The enter handler may have removed or disabled the widget.
            if (record->mOverWidget == widget) {
                widget->MouseMove(static_cast<int>(localX), static_cast<int>(localY));
            }
        }
    } else if (widget != nullptr && moved) {
        widget->MouseMove(static_cast<int>(localX), static_cast<int>(localY));
    }
}

void WidgetManager::MoveTo(PointerState* record, int x, int y) {
    float lx = 0.0f;
    float ly = 0.0f;
    Widget* widget = GetEnabledWidgetAt(x, y, &lx, &ly);
    if (widget != nullptr || record->mOverWidget != nullptr) {
        SetOverWidget(record, widget, lx, ly, x, y);
    }
}

void WidgetManager::TrackPressedHover(PointerState* record, Widget* under) {
    Widget* press = record->mPressWidget;
    if (record->mOverWidget != nullptr && record->mOverWidget != press) {
        ClearOver(record);
    }
    if (press == nullptr || record->mPressWidget != press) {
        return;
    }
    if (under == press) {
        if (record->mOverWidget == nullptr) {
            record->mOverWidget = press;
            EnterWidget(press);
        }
    } else if (record->mOverWidget != nullptr) {
        ClearOver(record);
    }
}

bool WidgetManager::MouseMoveEvent(PointerState* record, int x, int y, Widget* hitWidget,
                                   float localX, float localY) {
    if (record->mHeldButtons == 0) {
        record->mPositionKnown = true;
        SetOverWidget(record, hitWidget, localX, localY, x, y);
        return true;
    }
    // A drag: only the pressed widget is ever over, entering and leaving as the pointer crosses.
    record->mPositionKnown = true;
    record->mX = x;
    record->mY = y;
    Widget* press = record->mPressWidget;
    if (record->mOverWidget != nullptr && record->mOverWidget != press) {
        ClearOver(record);
    }
    if (press == nullptr) {
        return true;
    }
    float lx = localX;
    float ly = localY;
    if (press != hitWidget) {
        press->GlobalToLocal(static_cast<float>(x), static_cast<float>(y), &lx, &ly);
    }
    press->MouseDrag(static_cast<int>(lx), static_cast<int>(ly));
    if (record->mPressWidget != press) {
        return true;  // the drag handler let go of the widget
    }
    // Found anew unless the hit was the pressed widget: the drag may have moved widgets.
    TrackPressedHover(record,
                      hitWidget == press ? hitWidget : GetEnabledWidgetAt(x, y, nullptr, nullptr));
    return true;
}

bool WidgetManager::MouseButtonDown(PointerState* record, int clickCount, int x, int y) {
    if (record->mPressWidget != nullptr) {
        // Another button while one is held: the hover stays with the pressed widget, so a widget
        // under the pointer gets no enter while another one holds the pointer.
        record->mX = x;
        record->mY = y;
        TrackPressedHover(record, GetEnabledWidgetAt(x, y, nullptr, nullptr));
    } else {
        MoveTo(record, x, y);
    }
    float lx = 0.0f;
    float ly = 0.0f;
    Widget* target = GetEnabledWidgetAt(x, y, &lx, &ly);
    if (record->mPressWidget != nullptr) {
        target = record->mPressWidget;
        target->GlobalToLocal(static_cast<float>(x), static_cast<float>(y), &lx, &ly);
    } else {
        record->mPressButtons = 0;
    }
    const uint32_t bit = ButtonBit(clickCount);
    record->mHeldButtons |= bit;
    record->mPressWidget = target;
    if (target != nullptr) {
        record->mPressButtons |= bit;
        if (target->WantsFocus()) {
            SetFocus(target);
            if (record->mPressWidget != target) {
                return true;  // the focus change removed or disabled it
            }
        }
        target->mIsDown = true;
        target->MouseDown(static_cast<int>(lx), static_cast<int>(ly), clickCount);
    }
    return true;
}

bool WidgetManager::MouseButtonUp(PointerState* record, int x, int y, int clickCount) {
    const uint32_t bit = ButtonBit(clickCount);
    Widget* press = record->mPressWidget;
    record->mHeldButtons &= ~bit;
    if (press != nullptr && (record->mPressButtons & bit) != 0) {
        record->mPressButtons &= ~bit;
        if (record->mPressButtons == 0) {
            record->mPressWidget = nullptr;
        }
        press->mIsDown = false;
        float lx = 0.0f;
        float ly = 0.0f;
        press->GlobalToLocal(static_cast<float>(x), static_cast<float>(y), &lx, &ly);
        press->MouseUpClicks(static_cast<int>(lx), static_cast<int>(ly), clickCount);
    }
    if (record->mHeldButtons != 0) {
        // Still dragging: only the pressed widget (if any is left) may be over.
        record->mX = x;
        record->mY = y;
        TrackPressedHover(record, GetEnabledWidgetAt(x, y, nullptr, nullptr));
    } else {
        MoveTo(record, x, y);
    }
    return true;
}

void WidgetManager::MouseWheel(PointerState* record, int delta) {
    if (record != nullptr && record->mOverWidget != nullptr) {
        record->mOverWidget->MouseWheel(delta);
    }
}

bool WidgetManager::ClearPointerFlags() {
    for (auto& [id, record] : mPointerRecords) {
        record->mPositionKnown = false;
    }
    return true;
}

void WidgetManager::SendButtonUps(Widget* widget, PointerState* record, uint32_t buttons) {
    static constexpr int kCodes[3] = {1, -1, 0};
    for (int i = 0; i < 3; ++i) {
        if ((buttons & (1u << i)) == 0) {
            continue;
        }
        widget->mIsDown = false;
        float lx = 0.0f;
        float ly = 0.0f;
        widget->GlobalToLocal(static_cast<float>(record->mX), static_cast<float>(record->mY), &lx,
                              &ly);
        widget->MouseUpClicks(static_cast<int>(lx), static_cast<int>(ly), kCodes[i]);
    }
}

void WidgetManager::ClearOver(PointerState* record) {
    Widget* old = record->mOverWidget;
    record->mOverWidget = nullptr;
    if (old != nullptr) {
        LeaveWidget(old);
    }
}

void WidgetManager::ReleasePress(PointerState* record) {
    Widget* press = record->mPressWidget;
    const uint32_t buttons = record->mPressButtons;
    record->mPressWidget = nullptr;
    record->mHeldButtons = 0;
    record->mPressButtons = 0;
    if (press != nullptr) {
        SendButtonUps(press, record, buttons);
    }
}

void WidgetManager::DropPointerWidgets() {
    for (auto& [id, record] : mPointerRecords) {
        if (record->mPressWidget != nullptr && record->mHeldButtons != 0) {
            ReleasePress(record);
        }
    }
}

void WidgetManager::NotifyClickListeners(int clickCount, bool done) {
    // Over a copy: a listener may register or leave from its handler. One that left (and may be
    // gone) is skipped.
    const std::vector<ClickListener*> listeners = mClickListeners;
    for (ClickListener* listener : listeners) {
        if (std::find(mClickListeners.begin(), mClickListeners.end(), listener) ==
            mClickListeners.end()) {
            continue;
        }
        if (done) {
            listener->OnClickDone(clickCount);
        } else {
            listener->OnClick(clickCount);
        }
    }
}

void WidgetManager::NotifyTrackedWidgetsA(int clickCount) {
    NotifyClickListeners(clickCount, false);
}

void WidgetManager::NotifyTrackedWidgetsB(int clickCount) {
    NotifyClickListeners(clickCount, true);
}

void WidgetManager::AddTrackedWidget(ClickListener* listener) {
    if (listener == nullptr || std::find(mClickListeners.begin(), mClickListeners.end(),
                                         listener) != mClickListeners.end()) {
        return;
    }
    if (listener->mTrackedBy != nullptr && listener->mTrackedBy != this) {
        listener->mTrackedBy->RemoveTrackedWidget(listener);
    }
    mClickListeners.push_back(listener);
    listener->mTrackedBy = this;
}

void WidgetManager::RemoveTrackedWidget(ClickListener* listener) {
    const auto it = std::find(mClickListeners.begin(), mClickListeners.end(), listener);
    if (it != mClickListeners.end()) {
        mClickListeners.erase(it);
        listener->mTrackedBy = nullptr;
    }
}

Point WidgetManager::GetPointerPosition(int pointerId) const {
    const auto it = mPointerRecords.find(pointerId);
    if (it == mPointerRecords.end()) {
        return Point(0, 0);
    }
    return Point(it->second->mX, it->second->mY);
}

void WidgetManager::ReplayPointerMove(int pointerId) {
    const auto it = mPointerRecords.find(pointerId);
    if (it == mPointerRecords.end() || !it->second->mPositionKnown) {
        return;
    }
    PointerState* record = it->second;
    float lx = 0.0f;
    float ly = 0.0f;
    Widget* hit = GetEnabledWidgetAt(record->mX, record->mY, &lx, &ly);
    MouseMoveEvent(record, record->mX, record->mY, hit, lx, ly);
}

void WidgetManager::RehupMouse() {
    for (auto& [id, record] : mPointerRecords) {
        if (record->mHeldButtons != 0) {
            continue;
        }
        if (record->mPressWidget != nullptr) {
            if (record->mOverWidget != nullptr &&
                GetEnabledWidgetAt(record->mX, record->mY, nullptr, nullptr) !=
                    record->mPressWidget) {
                ClearOver(record);
            }
        } else if (record->mPositionKnown) {
            MoveTo(record, record->mX, record->mY);
        }
    }
}

void WidgetManager::ForgetWidget(Widget* widget) {
    for (auto& [id, record] : mPointerRecords) {
        if (record->mOverWidget == widget) {
            ClearOver(record);
        }
        if (record->mPressWidget == widget) {
            ReleasePress(record);
        }
    }
    if (mFocusWidget == widget) {
        mFocusWidget = nullptr;
        widget->LostFocus();
    }
    if (mBaseWidget == widget) {
        mBaseWidget = nullptr;
    }
    // An overlay queued by a widget that has left the tree is not drawn.
    for (DeferredDraw& entry : mDeferredDraws) {
        if (entry.widget == widget) {
            entry.widget = nullptr;
        }
    }
    for (BaseLayer& layer : mBaseLayers) {
        if (layer.savedFocus == widget) {
            layer.savedFocus = nullptr;
        }
    }
}

bool WidgetManager::KeyDown(int key) {
    if (key >= 0 && key <= 254) {
        mKeyDown[static_cast<size_t>(key)] = true;
    }
    if (mFocusWidget != nullptr) {
        mFocusWidget->KeyDown(key);
    }
    return true;
}

bool WidgetManager::KeyUp(int key) {
    if (key >= 0 && key <= 254) {
        mKeyDown[static_cast<size_t>(key)] = false;
    }
    if (mFocusWidget != nullptr) {
        mFocusWidget->KeyUp(key);
    }
    return true;
}

bool WidgetManager::KeyChar(char c) {
    if (mFocusWidget != nullptr) {
        mFocusWidget->KeyChar(c);
    }
    return true;
}

void WidgetManager::SetFocus(Widget* widget) {
    if (widget == mFocusWidget) {
        return;
    }
    Widget* old = mFocusWidget;
    mFocusWidget = nullptr;
    if (old != nullptr) {
        old->LostFocus();
    }
    if (widget != nullptr && widget->mManager == this) {
        mFocusWidget = widget;
        if (mHasFocus) {
            widget->GotFocus();
        }
    }
}

void WidgetManager::GotFocus() {
    if (mHasFocus) {
        return;
    }
    mHasFocus = true;
    if (mFocusWidget != nullptr) {
        mFocusWidget->GotFocus();
    }
}

void WidgetManager::LostFocus() {
    if (!mHasFocus) {
        return;
    }
    // The focus widget sees the release of every key still held.
    for (int key = 0; key <= 254; ++key) {
        if (mKeyDown[static_cast<size_t>(key)]) {
            KeyUp(key);
        }
    }
    mHasFocus = false;
    if (mFocusWidget != nullptr) {
        mFocusWidget->LostFocus();
    }
}

bool WidgetManager::UpdateFrame() {
    WidgetFlagState state;
    ComputeWidgetFlags(&state);
    UpdateAll(state);
    return mDirty;
}

bool WidgetManager::UpdateFrameF(float elapsed) {
    WidgetFlagState state;
    ComputeWidgetFlags(&state);
    UpdateAllF(state, elapsed);
    return mDirty;
}

void WidgetManager::DrawChildren(WidgetFlagState& state, Graphics* g) {
    const Graphics kept(*g);
    // The same cursor walk as every node, so a draw handler that changes the tree is safe.
    WidgetContainer::DrawAll(state, g);
    g->CopyStateFrom(kept);
}

bool WidgetManager::DrawScreen(Graphics* g) {
    if (!mDirty) {
        return false;
    }
    WidgetFlagState state;
    ComputeWidgetFlags(&state);
    mDeferredDraws.clear();
    mLowestDeferredPriority = 0x7FFFFFFF;
    Graphics own(g == nullptr ? mScreenImage : nullptr);
    Graphics* root = g != nullptr ? g : &own;
    // Overlays flushed in the middle of the walk start from the root's own state, not from the
    // walk's context, which by then is translated to the widget being drawn.
    Graphics rootState(*root);
    mCurrentGraphics = &rootState;
    DrawChildren(state, root);
    FlushDeferredDraws(0x7FFFFFFF);
    mCurrentGraphics = nullptr;
    mDirty = false;
    mDirtyWhole = false;
    mDirtyArea = Rect();
    return true;
}

void WidgetManager::DrawPassA(Graphics* g) {
    WidgetFlagState state;
    ComputeWidgetFlags(&state);
    Graphics rootState(*g);
    mCurrentGraphics = &rootState;
    DrawChildren(state, g);
    mCurrentGraphics = nullptr;
}

void WidgetManager::QueueDeferredDraw(Widget* widget, int priority) {
    if (widget == nullptr) {
        return;
    }
    mDeferredDraws.push_back(DeferredDraw{widget, priority});
    mLowestDeferredPriority = std::min(mLowestDeferredPriority, priority);
}

void WidgetManager::FlushDeferredDraws(int limit) {
    if (mCurrentGraphics == nullptr) {
        return;
    }
    while (true) {
        const int drawing = mLowestDeferredPriority;
        int lowest = 0x7FFFFFFF;
        // By index: an overlay may queue another one while it draws.
        for (size_t i = 0; i < mDeferredDraws.size(); ++i) {
            Widget* widget = mDeferredDraws[i].widget;
            const int priority = mDeferredDraws[i].priority;
            if (widget == nullptr) {
                continue;
            }
            if (priority != drawing) {
                lowest = std::min(lowest, priority);
                continue;
            }
            mDeferredDraws[i].widget = nullptr;
            Graphics copy(*mCurrentGraphics);
            copy.Translate(static_cast<float>(-mDrawRect.mX), static_cast<float>(-mDrawRect.mY));
            const FPoint origin = widget->LocalToGlobal();
            copy.Translate(origin.mX, origin.mY);
            widget->DrawOverlayAtPriority(&copy, priority);
        }
        mLowestDeferredPriority = lowest;
        if (lowest == 0x7FFFFFFF) {
            mDeferredDraws.clear();
            return;
        }
        if (lowest >= limit) {
            return;
        }
    }
}

void WidgetManager::PushDefaultBaseLayer(Widget* widget) {
    PushBaseLayer(widget, mDefaultLayerAdd, mDefaultLayerRemove);
}

void WidgetManager::PushBaseLayer(Widget* widget, uint32_t addMask, uint32_t removeMask) {
    if (!mBaseLayers.empty()) {
        mBaseLayers.back().savedFocus = mFocusWidget;
    }
    mBaseLayers.push_back(BaseLayer{widget, nullptr, addMask, removeMask});
    ApplyBaseLayer(mBaseLayers.back());
}

void WidgetManager::ApplyBaseLayer(BaseLayer layer) {
    // By value: the leave and button-up handlers below may push or pop layers.
    mBaseWidget = layer.widget;
    mBelowAdd = layer.addMask;
    mBelowRemove = layer.removeMask;
    for (auto& [id, record] : mPointerRecords) {
        if ((mBelowRemove & widgetflags::kMouse) != 0 && record->mOverWidget != nullptr &&
            mBaseWidget != nullptr) {
            if (IsBelow(this, record->mOverWidget, mBaseWidget)) {
                ClearOver(record);
            }
        }
    }
    if (mFocusWidget != nullptr && (mBelowRemove & widgetflags::kFocus) != 0 &&
        mBaseWidget != nullptr) {
        if (IsBelow(this, mFocusWidget, mBaseWidget)) {
            Widget* old = mFocusWidget;
            mFocusWidget = nullptr;
            old->LostFocus();
        }
    }
    if ((mBelowRemove & widgetflags::kMouse) != 0) {
        for (auto& [id, record] : mPointerRecords) {
            if (record->mPressWidget != nullptr && record->mHeldButtons != 0) {
                ReleasePress(record);
            }
        }
    }
    RehupMouse();
}

void WidgetManager::RemoveBaseLayer(Widget* widget) {
    if (mBaseLayers.empty()) {
        return;
    }
    if (mBaseLayers.back().widget == widget) {
        mBaseLayers.pop_back();
        if (!mBaseLayers.empty()) {
            const BaseLayer top = mBaseLayers.back();
            ApplyBaseLayer(top);
            Widget* saved = mBaseLayers.empty() ? nullptr : mBaseLayers.back().savedFocus;
            if (mFocusWidget == nullptr && saved != nullptr) {
                mFocusWidget = saved;
                saved->GotFocus();
            }
        }
        // After the last layer the masks stay in force until the widget leaves the tree.
        return;
    }
    const auto it = std::find_if(mBaseLayers.begin(), mBaseLayers.end(),
                                 [widget](const BaseLayer& l) { return l.widget == widget; });
    if (it != mBaseLayers.end()) {
        mBaseLayers.erase(it);
    }
}
