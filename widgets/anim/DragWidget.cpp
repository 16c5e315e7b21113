#include "widgets/anim/DragWidget.h"

#include <algorithm>
#include <cmath>

#include "core/expr/NamedConstants.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/EasingCurveFactory.h"
#include "widgets/anim/Tweener.h"
#include "widgets/script/Animation.h"

namespace {

constexpr const char* kSlideX = "drag_slide_x";
constexpr const char* kSlideY = "drag_slide_y";

int DesignWidth() {
    WidgetHost* host = GetWidgetHost();
    return host != nullptr ? host->GetDesignWidth() : 1024;
}

int DesignHeight() {
    WidgetHost* host = GetWidgetHost();
    return host != nullptr ? host->GetDesignHeight() : 768;
}

float ConstantOr(const char* name, float fallback) {
    ExprValue value;
    return FindConstant(name, &value) ? value.AsReal() : fallback;
}

}  // namespace

float DragWidget::SloppyClickDistance() {
    static const float distance = [] {
        const float value = ConstantOr("sloppy_click_threshold", 0.0f);
        return value == 0.0f ? 10.0f : value;
    }();
    return distance;
}

DragWidget::DragWidget(int x, int y, Image* image, float opacity, int bumpMode, int bumpLeft,
                       int bumpTop, int bumpWidth, int bumpHeight)
    : AnimationWidget(x, y, image, opacity),
      mBumpMode(bumpMode),
      mBumpLeft(bumpLeft),
      mBumpTop(bumpTop),
      mBumpWidth(bumpWidth),
      mBumpHeight(bumpHeight) {
    SloppyClickDistance();
    mMouseVisible = true;
    if (bumpMode == kBumpInner && bumpLeft == -1 && bumpTop == -1 && bumpWidth == -1 &&
        bumpHeight == -1) {
        mBumpLeft = 0;
        mBumpTop = 0;
        mBumpWidth = DesignWidth();
        mBumpHeight = DesignHeight();
        mDefaultBump = true;
    }
    if (mDefaultBump) {
        mEdgeZoneX = 0.25f * static_cast<float>(mBumpWidth);
        mEdgeZoneY = 0.25f * static_cast<float>(mBumpHeight);
    } else {
        mEdgeZoneX = 0.25f * static_cast<float>(mWidth);
        mEdgeZoneY = 0.25f * static_cast<float>(mHeight);
    }
}

DragWidget::~DragWidget() = default;

void DragWidget::SetDraggable(bool on, bool endDrag) {
    if (!on && mDragging && endDrag) {
        EndDrag();
    }
    mDraggable = on;
}

void DragWidget::SetPushesParent(bool on) {
    if (!on) {
        StopPushOfParent();
    }
    mPushesParent = on;
}

void DragWidget::StopPushOfParent() {
    if (auto* parent = dynamic_cast<DragWidget*>(mParent)) {
        parent->mPushVelocityX = 0.0f;
        parent->mPushVelocityY = 0.0f;
    }
}

void DragWidget::SetPushable(bool on) {
    mPushable = on;
    mPushVelocityX = 0.0f;
    mPushVelocityY = 0.0f;
}

void DragWidget::SetEdgeZone(bool horizontal, float value) {
    const float half = 0.5f * static_cast<float>(horizontal ? std::min(mWidth, DesignWidth())
                                                            : std::min(mHeight, DesignHeight()));
    const float zone = value <= 0.0f ? half : std::min(value, half);
    (horizontal ? mEdgeZoneX : mEdgeZoneY) = zone;
}

void DragWidget::Margins(int* mx, int* my) const {
    *mx = 0;
    *my = 0;
    if (mDepthMargins) {
        const double aspect =
            static_cast<double>(DesignWidth()) / static_cast<double>(DesignHeight());
        *mx = static_cast<int>(mZ * 0.25f);
        *my = static_cast<int>(static_cast<double>(mZ) / (aspect * 4.0));
    }
}

void DragWidget::GetLimits(bool horizontal, float* low, float* high) const {
    int mx = 0;
    int my = 0;
    Margins(&mx, &my);
    const int margin = horizontal ? mx : my;
    const int start = horizontal ? mBumpLeft : mBumpTop;
    const int room = horizontal ? mBumpWidth : mBumpHeight;
    const int size = horizontal ? mWidth : mHeight;
    // Each mode in its own order, so that a widget that fits its mode has low <= high and a
    // position inside the limits is never moved (the draw step used to take the inner order in
    // both modes and made an outer widget jump between the edges).
    if (mBumpMode == kBumpInner) {
        *low = static_cast<float>(start + room - size + margin);
        *high = static_cast<float>(start - margin);
    } else {
        *low = static_cast<float>(start - margin);
        *high = static_cast<float>(start + room - size + margin);
    }
}

float DragWidget::ClampAxis(float value, float a, float b, int* accumulator) {
    float result = value;
    if (value < a) {
        result = a;
    } else if (value > b) {
        result = b;
    }
    if (result != value && !mElasticBump && accumulator != nullptr) {
        *accumulator += static_cast<int>(value - result);
    }
    return result;
}

void DragWidget::BeginDrag(int x, int y) {
    const FRect parent = ToParentRect(FRect(static_cast<float>(x), static_cast<float>(y), 0, 0));
    mGrabX = static_cast<int>(parent.mX) - static_cast<int>(mX);
    mGrabY = static_cast<int>(parent.mY) - static_cast<int>(mY);
    mDragTicks = 0;
    mDragging = true;
    mVelocityX = 0;
    mVelocityY = 0;
}

void DragWidget::EndDrag() {
    mDragging = false;
    mVelocityX = 0;
    mVelocityY = 0;
    if (mPushesParent) {
        StopPushOfParent();
    }
}

void DragWidget::DragTo(int x, int y) {
    const FRect parent = ToParentRect(FRect(static_cast<float>(x), static_cast<float>(y), 0, 0));
    const float oldX = mX;
    const float oldY = mY;
    float nx = static_cast<float>(static_cast<int>(parent.mX) - mGrabX);
    float ny = static_cast<float>(static_cast<int>(parent.mY) - mGrabY);
    if (mBumpMode == kBumpInner || mBumpMode == kBumpOuter) {
        float low = 0.0f;
        float high = 0.0f;
        if (!(mCanDragPastX && mAllowanceX == 0.0f)) {
            GetLimits(true, &low, &high);
            const float allowance = static_cast<float>(static_cast<int>(mAllowanceX));
            nx = ClampAxis(nx, low - allowance, high + allowance, &mBumpAccumX);
        }
        if (!(mCanDragPastY && mAllowanceY == 0.0f)) {
            GetLimits(false, &low, &high);
            const float allowance = static_cast<float>(static_cast<int>(mAllowanceY));
            ny = ClampAxis(ny, low - allowance, high + allowance, &mBumpAccumY);
        }
    }
    mVelocityX = static_cast<int>(nx - oldX);
    mVelocityY = static_cast<int>(ny - oldY);
    if (nx != oldX || ny != oldY) {
        OffsetNamedFloats("x", "y", nx - oldX, ny - oldY);
    }
    if (mPushesParent) {
        if (auto* parentDrag = dynamic_cast<DragWidget*>(mParent)) {
            parentDrag->ComputeEdgePush(static_cast<int>(mX), static_cast<int>(mY));
        }
    }
}

void DragWidget::ComputeEdgePush(int x, int y) {
    if (!mDraggable) {
        return;
    }
    mPushVelocityX = 0.0f;
    mPushVelocityY = 0.0f;
    auto axis = [this](float point, float zone, float position, int size, int design) {
        if (zone <= 0.0f) {
            return 0.0f;
        }
        const float leftEnd = mDefaultBump ? zone - position : zone;
        const float rightStart = mDefaultBump ? static_cast<float>(design) - zone - position
                                              : static_cast<float>(size) - zone;
        float push = 0.0f;
        if (point < leftEnd) {
            push = (leftEnd - point) / zone;
        } else if (point > rightStart) {
            push = (rightStart - point) / zone;
        }
        return std::clamp(push, -1.0f, 1.0f) * mPushSpeed;
    };
    mPushVelocityX = axis(static_cast<float>(x), mEdgeZoneX, mX, mWidth, DesignWidth());
    mPushVelocityY = axis(static_cast<float>(y), mEdgeZoneY, mY, mHeight, DesignHeight());
}

void DragWidget::EnforceBump(Graphics* g) {
    if (mBumpMode != kBumpInner && mBumpMode != kBumpOuter) {
        return;
    }
    const float oldX = mX;
    const float oldY = mY;
    float nx = mX;
    float ny = mY;
    float low = 0.0f;
    float high = 0.0f;
    if (!(mCanDragPastX && mAllowanceX == 0.0f)) {
        GetLimits(true, &low, &high);
        const float allowance = static_cast<float>(static_cast<int>(mAllowanceX));
        nx = ClampAxis(nx, low - allowance, high + allowance, nullptr);
    }
    if (!(mCanDragPastY && mAllowanceY == 0.0f)) {
        GetLimits(false, &low, &high);
        const float allowance = static_cast<float>(static_cast<int>(mAllowanceY));
        ny = ClampAxis(ny, low - allowance, high + allowance, nullptr);
    }
    if (nx == oldX && ny == oldY) {
        return;
    }
    OffsetNamedFloats("x", "y", nx - oldX, ny - oldY);
    MarkDirty();
    if (g != nullptr) {
        g->Translate(mX - oldX, mY - oldY);
    }
    if (nx != oldX) {
        StopController(kSlideX);
    }
    if (ny != oldY) {
        StopController(kSlideY);
    }
}

Rect DragWidget::FrameBox() const {
    if (mImage != nullptr) {
        const std::vector<Rect>& boxes = mImage->GetCelBounds();
        const int frame = mFrames.mFrame;
        if (frame >= 0 && static_cast<size_t>(frame) < boxes.size()) {
            return boxes[static_cast<size_t>(frame)];
        }
    }
    return Rect(0, 0, mWidth, mHeight);
}

bool DragWidget::Contains(float x, float y) const {
    if (mDragging) {
        return true;
    }
    if (!AnimationWidget::Contains(x, y)) {
        return false;
    }
    if (mCheckPixels) {
        return true;
    }
    const Rect box = FrameBox();
    return x >= static_cast<float>(box.mX) && y >= static_cast<float>(box.mY) &&
           x < static_cast<float>(box.mX + box.mWidth) &&
           y < static_cast<float>(box.mY + box.mHeight);
}

void DragWidget::Update() {
    AnimationWidget::Update();
    if (mDraggable && mDragging) {
        ++mDragTicks;
        // A long drag follows the pointer even while it rests, so a widget held still under the
        // pointer catches up after limits or tweens moved it.
        if (mDragTicks > 30 && mManager != nullptr) {
            const Point at = mManager->GetPointerPosition(mPointerId);
            float lx = 0.0f;
            float ly = 0.0f;
            GlobalToLocal(static_cast<float>(at.mX), static_cast<float>(at.mY), &lx, &ly);
            DragTo(static_cast<int>(lx), static_cast<int>(ly));
        }
    }
    if (!mDragging && (mPushVelocityX != 0.0f || mPushVelocityY != 0.0f)) {
        float nx = mX + mPushVelocityX;
        float ny = mY + mPushVelocityY;
        if (mBumpMode == kBumpInner || mBumpMode == kBumpOuter) {
            float low = 0.0f;
            float high = 0.0f;
            GetLimits(true, &low, &high);
            nx = ClampAxis(nx, low, high, nullptr);
            GetLimits(false, &low, &high);
            ny = ClampAxis(ny, low, high, nullptr);
        }
        OffsetNamedFloats("x", "y", nx - mX, ny - mY);
        MarkDirty();
    }
}

void DragWidget::Draw(Graphics* g) {
    if (mDrawnOnce) {
        EnforceBump(g);
    }
    mDrawnOnce = true;
    AnimationWidget::Draw(g);
}

Point DragWidget::ScreenPoint(int x, int y) const {
    const FPoint origin = LocalToGlobal();
    return Point(static_cast<int>(origin.mX) + x, static_cast<int>(origin.mY) + y);
}

void DragWidget::TrackPointer(const Point& at) {
    if (!mPressed) {
        return;
    }
    if (mPointerKnown) {
        const float dx = static_cast<float>(at.mX - mPointerX);
        const float dy = static_cast<float>(at.mY - mPointerY);
        mTravel += std::sqrt(dx * dx + dy * dy);
    }
    mPointerX = at.mX;
    mPointerY = at.mY;
    mPointerKnown = true;
}

void DragWidget::MouseMove(int x, int y) {
    // Taken before the drag moves the widget: the point is in its coordinates of the moment.
    const Point at = ScreenPoint(x, y);
    AnimationWidget::MouseMove(x, y);
    if (mDragging) {
        DragTo(x, y);
    }
    TrackPointer(at);
    if (mPushable) {
        ComputeEdgePush(x, y);
    }
}

void DragWidget::MouseDrag(int x, int y) {
    const Point at = ScreenPoint(x, y);
    if (mDragging) {
        DragTo(x, y);
    }
    TrackPointer(at);
}

void DragWidget::MouseDown(int x, int y, int clickCount) {
    mPressed = true;
    AnimationWidget::MouseDown(x, y, clickCount);
    StopController(kSlideX);
    StopController(kSlideY);
    if (mDraggable && !mDragging && clickCount == 1 && (!mSelectRequired || mSelected)) {
        BeginDrag(x, y);
    }
    mTravel = 0.0f;
    const Point at = ScreenPoint(x, y);
    mPointerX = at.mX;
    mPointerY = at.mY;
    mPointerKnown = true;
}

void DragWidget::MouseUp(int x, int y) {
    const Point at = ScreenPoint(x, y);
    const bool wasPressed = mPressed;
    mPressed = false;
    AnimationWidget::MouseUp(x, y);
    if (wasPressed) {
        bool moved = false;
        if (mBumpMode == kBumpInner || mBumpMode == kBumpOuter) {
            float low = 0.0f;
            float high = 0.0f;
            GetLimits(true, &low, &high);
            const float nx = ClampAxis(mX, low, high, &mBumpAccumX);
            GetLimits(false, &low, &high);
            const float ny = ClampAxis(mY, low, high, &mBumpAccumY);
            moved = nx != mX || ny != mY;
            if (moved) {
                OffsetNamedFloats("x", "y", nx - mX, ny - mY);
            }
        }
        const bool click = mTravel <= SloppyClickDistance() && !moved;
        if (click) {
            OnClicked(x, y);
            mSelected = true;
        }
        const int velocityX = mVelocityX;
        const int velocityY = mVelocityY;
        const bool wasDragging = mDragging;
        if (mDragging) {
            EndDrag();
        }
        if (mMomentum && !click && wasDragging) {
            Slide(at, velocityX, velocityY);
        }
    }
    mTravel = 0.0f;
    mPointerX = -1;
    mPointerY = -1;
    mPointerKnown = false;
}

void DragWidget::Slide(const Point& at, int velocityX, int velocityY) {
    const float dx = static_cast<float>(at.mX - mPointerX);
    const float dy = static_cast<float>(at.mY - mPointerY);
    float flingX = 0.5f * (dx + static_cast<float>(velocityX));
    float flingY = 0.5f * (dy + static_cast<float>(velocityY));
    const float speed = 0.5f * (static_cast<float>(velocityX * velocityX + velocityY * velocityY) +
                                static_cast<float>(static_cast<int>(dx * dx + dy * dy)));
    if (static_cast<int>(speed) <= 25) {
        flingX = 0.0f;
        flingY = 0.0f;
    }
    float sx = 1.0f;
    float sy = 1.0f;
    if (mFlingable) {
        const float t = ConstantOr("post_drag_fling_threshold", 0.05f);
        const float m = ConstantOr("post_drag_fling_multiplier", 4.0f);
        sx = std::max(1.0f, std::fabs(flingX) / static_cast<float>(DesignWidth()) + 1.0f - t);
        sy = std::max(1.0f, std::fabs(flingY) / static_cast<float>(DesignHeight()) + 1.0f - t);
        if (sx > 1.0f) {
            sx *= m;
        }
        if (sy > 1.0f) {
            sy *= m;
        }
    }
    const float d = ConstantOr("post_drag_slide_distance", 15.0f);
    const float time = ConstantOr("post_drag_slide_time", 70.0f);
    float tx = mX + d * flingX * sx;
    float ty = mY + d * flingY * sy;
    if (mBumpMode == kBumpInner || mBumpMode == kBumpOuter) {
        float low = 0.0f;
        float high = 0.0f;
        GetLimits(true, &low, &high);
        tx = ClampAxis(tx, low, high, nullptr);
        GetLimits(false, &low, &high);
        ty = ClampAxis(ty, low, high, nullptr);
    }
    auto tween = [this, time](const char* name, const char* property, float target) {
        auto slide =
            std::make_unique<Tweener>(this, name, MakeEasingCurve("out_quad", nullptr, nullptr),
                                      time, 0.0f, kChangedPosition);
        if (slide->AddProperty(property, target)) {
            AddController(std::move(slide));
        }
    };
    if (tx != mX) {
        tween(kSlideX, "x", tx);
    }
    if (ty != mY) {
        tween(kSlideY, "y", ty);
    }
}

void DragWidget::RemovedFromParent(WidgetContainer* parent) {
    if (mPushesParent) {
        if (auto* parentDrag = dynamic_cast<DragWidget*>(parent)) {
            parentDrag->mPushVelocityX = 0.0f;
            parentDrag->mPushVelocityY = 0.0f;
        }
    }
    AnimationWidget::RemovedFromParent(parent);
}

CommandAnswer DragWidget::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand != "set-bump") {
        return AnimationWidget::HandleCommand(command);
    }
    auto* target = dynamic_cast<DragWidget*>(GetParamObject("id"));
    if (target != nullptr) {
        if (HasParam("bump")) {
            const std::string bump = GetParamString("bump");
            target->mBumpMode = bump == "inner" ? kBumpInner : (bump == "outer" ? kBumpOuter : 0);
        }
        target->mBumpLeft = GetParamIntOr("x", target->mBumpLeft);
        target->mBumpTop = GetParamIntOr("y", target->mBumpTop);
        target->mBumpWidth = GetParamIntOr("width", target->mBumpWidth);
        target->mBumpHeight = GetParamIntOr("height", target->mBumpHeight);
    }
    return CommandAnswer::kHandled;
}

const PropertyTable& DragWidget::Properties() {
    using W = DynamicWidget;
    static const PropertyTable table(
        &AnimationWidget::Properties(),
        {
            PropertyEntry{"draggable", nullptr,
                          [](const W& w) {
                              return ExprValue::FromBool(
                                  static_cast<const DragWidget&>(w).IsDraggable());
                          }},
            PropertyEntry{"dragging", nullptr,
                          [](const W& w) {
                              return ExprValue::FromBool(
                                  static_cast<const DragWidget&>(w).IsDragging());
                          }},
            PropertyEntry{"pushable", nullptr,
                          [](const W& w) {
                              return ExprValue::FromBool(
                                  static_cast<const DragWidget&>(w).IsPushable());
                          }},
            PropertyEntry{"bounding_box_offset_x", nullptr,
                          [](const W& w) {
                              return ExprValue::FromInt(
                                  static_cast<const DragWidget&>(w).FrameBox().mX);
                          }},
            PropertyEntry{"bounding_box_offset_y", nullptr,
                          [](const W& w) {
                              return ExprValue::FromInt(
                                  static_cast<const DragWidget&>(w).FrameBox().mY);
                          }},
            PropertyEntry{"bounding_box_width", nullptr,
                          [](const W& w) {
                              return ExprValue::FromInt(
                                  static_cast<const DragWidget&>(w).FrameBox().mWidth);
                          }},
            PropertyEntry{"bounding_box_height", nullptr,
                          [](const W& w) {
                              return ExprValue::FromInt(
                                  static_cast<const DragWidget&>(w).FrameBox().mHeight);
                          }},
            PropertyEntry{"bounding_box_center_x", nullptr,
                          [](const W& w) {
                              const Rect box = static_cast<const DragWidget&>(w).FrameBox();
                              return ExprValue::FromFloat(static_cast<float>(box.mX) +
                                                          0.5f * static_cast<float>(box.mWidth));
                          }},
            PropertyEntry{"bounding_box_center_y", nullptr,
                          [](const W& w) {
                              const Rect box = static_cast<const DragWidget&>(w).FrameBox();
                              return ExprValue::FromFloat(static_cast<float>(box.mY) +
                                                          0.5f * static_cast<float>(box.mHeight));
                          }},
        });
    return table;
}

const PropertyTable& DragWidget::GetPropertyTable() const {
    return Properties();
}
