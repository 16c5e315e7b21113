#include "widgets/WidgetManager.h"

#include <algorithm>

#include "app/QuorAppBase.h"

namespace {

uint32_t ButtonBit(int clickCount) {
    return clickCount > 0 ? 1u : (clickCount < 0 ? 2u : 4u);
}

// Whether a comes before b in a depth-first walk of node's subtree in child order.
bool IsBelow(const WidgetContainer* node, const Widget* a, const Widget* b, bool* decided) {
    for (const Widget* child : node->mChildren) {
        if (child == a) {
            *decided = true;
            return true;
        }
        if (child == b) {
            *decided = true;
            return false;
        }
        const bool result = IsBelow(child, a, b, decided);
        if (*decided) {
            return result;
        }
    }
    return false;
}

}  // namespace

WidgetManager::WidgetManager(QuorAppBase* app) : mApp(app) {
    mManager = this;
}

WidgetManager::~WidgetManager() {
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
    if (widget->mHandCursor && (mApp == nullptr || mApp->GetCursor() != 11)) {
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
        Widget* old = record->mOverWidget;
        record->mOverWidget = nullptr;
        if (old != nullptr) {
            LeaveWidget(old);
        }
        record->mOverWidget = widget;
        if (widget != nullptr) {
            EnterWidget(widget);
            widget->MouseMove(static_cast<int>(localX), static_cast<int>(localY));
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
        Widget* old = record->mOverWidget;
        record->mOverWidget = nullptr;
        LeaveWidget(old);
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
    Widget* under = hitWidget == press ? hitWidget : GetEnabledWidgetAt(x, y, nullptr, nullptr);
    if (under == press) {
        if (record->mOverWidget == nullptr) {
            record->mOverWidget = press;
            EnterWidget(press);
        }
    } else if (record->mOverWidget != nullptr) {
        Widget* old = record->mOverWidget;
        record->mOverWidget = nullptr;
        LeaveWidget(old);
    }
    return true;
}

bool WidgetManager::MouseButtonDown(PointerState* record, int clickCount, int x, int y) {
    MoveTo(record, x, y);
    float lx = 0.0f;
    float ly = 0.0f;
    Widget* target = GetEnabledWidgetAt(x, y, &lx, &ly);
    if (record->mPressWidget != nullptr) {
        target = record->mPressWidget;
        target->GlobalToLocal(static_cast<float>(x), static_cast<float>(y), &lx, &ly);
    }
    record->mHeldButtons |= ButtonBit(clickCount);
    record->mPressWidget = target;
    if (target != nullptr) {
        if (target->WantsFocus()) {
            SetFocus(target);
        }
        target->mIsDown = true;
        target->MouseDown(static_cast<int>(lx), static_cast<int>(ly), clickCount);
    }
    return true;
}

bool WidgetManager::MouseButtonUp(PointerState* record, int x, int y, int clickCount) {
    const uint32_t bit = ButtonBit(clickCount);
    Widget* press = record->mPressWidget;
    if (press != nullptr && (record->mHeldButtons & bit) != 0) {
        record->mHeldButtons &= ~bit;
        if (record->mHeldButtons == 0) {
            record->mPressWidget = nullptr;
        }
        press->mIsDown = false;
        float lx = 0.0f;
        float ly = 0.0f;
        press->GlobalToLocal(static_cast<float>(x), static_cast<float>(y), &lx, &ly);
        press->MouseUpClicks(static_cast<int>(lx), static_cast<int>(ly), clickCount);
    } else {
        record->mHeldButtons &= ~bit;
    }
    MoveTo(record, x, y);
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

void WidgetManager::DropPointerWidgets() {
    for (auto& [id, record] : mPointerRecords) {
        if (record->mPressWidget != nullptr && record->mHeldButtons != 0) {
            Widget* press = record->mPressWidget;
            const uint32_t buttons = record->mHeldButtons;
            record->mPressWidget = nullptr;
            record->mHeldButtons = 0;
            SendButtonUps(press, record, buttons);
        }
    }
}

void WidgetManager::NotifyTrackedWidgetsA(int clickCount) {
    // Click listeners register with the standard controls; none exist at this level.
    (void)clickCount;
}

void WidgetManager::NotifyTrackedWidgetsB(int clickCount) {
    (void)clickCount;
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
                Widget* old = record->mOverWidget;
                record->mOverWidget = nullptr;
                LeaveWidget(old);
            }
        } else if (record->mPositionKnown) {
            MoveTo(record, record->mX, record->mY);
        }
    }
}

void WidgetManager::ForgetWidget(Widget* widget) {
    for (auto& [id, record] : mPointerRecords) {
        if (record->mOverWidget == widget) {
            record->mOverWidget = nullptr;
            LeaveWidget(widget);
        }
        if (record->mPressWidget == widget) {
            const uint32_t buttons = record->mHeldButtons;
            record->mPressWidget = nullptr;
            record->mHeldButtons = 0;
            SendButtonUps(widget, record, buttons);
        }
    }
    if (mFocusWidget == widget) {
        mFocusWidget = nullptr;
        widget->LostFocus();
    }
    if (mBaseWidget == widget) {
        mBaseWidget = nullptr;
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

bool WidgetManager::DrawScreen(Graphics* g) {
    if (!mDirty) {
        return false;
    }
    WidgetFlagState state;
    ComputeWidgetFlags(&state);
    mCurrentGraphics = g;
    const std::vector<Widget*> children = mChildren;
    for (Widget* child : children) {
        if (child == mBaseWidget) {
            state.reachedBase = true;
        }
        if (child->mVisible) {
            child->DrawAll(state, g);
        }
    }
    mCurrentGraphics = nullptr;
    mDirty = false;
    return true;
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

void WidgetManager::ApplyBaseLayer(const BaseLayer& layer) {
    mBaseWidget = layer.widget;
    mBelowAdd = layer.addMask;
    mBelowRemove = layer.removeMask;
    for (auto& [id, record] : mPointerRecords) {
        if ((mBelowRemove & widgetflags::kMouse) != 0 && record->mOverWidget != nullptr &&
            mBaseWidget != nullptr) {
            bool decided = false;
            if (IsBelow(this, record->mOverWidget, mBaseWidget, &decided)) {
                Widget* old = record->mOverWidget;
                record->mOverWidget = nullptr;
                LeaveWidget(old);
            }
        }
    }
    if (mFocusWidget != nullptr && (mBelowRemove & widgetflags::kFocus) != 0 &&
        mBaseWidget != nullptr) {
        bool decided = false;
        if (IsBelow(this, mFocusWidget, mBaseWidget, &decided)) {
            Widget* old = mFocusWidget;
            mFocusWidget = nullptr;
            old->LostFocus();
        }
    }
    if ((mBelowRemove & widgetflags::kMouse) != 0) {
        for (auto& [id, record] : mPointerRecords) {
            if (record->mPressWidget != nullptr && record->mHeldButtons != 0) {
                Widget* press = record->mPressWidget;
                const uint32_t buttons = record->mHeldButtons;
                record->mPressWidget = nullptr;
                record->mHeldButtons = 0;
                SendButtonUps(press, record, buttons);
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
            ApplyBaseLayer(mBaseLayers.back());
            Widget* saved = mBaseLayers.back().savedFocus;
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
