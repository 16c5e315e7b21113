#include "widgets/anim/DynamicWidget.h"

#include <algorithm>
#include <cmath>

#include "core/expr/ExprValue.h"
#include "core/expr/FieldRegistry.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/expr/NamedConstants.h"
#include "core/util/Log.h"
#include "graphics/ImageLoading.h"
#include "graphics/ImageSurface.h"
#include "graphics/Matrix4.h"
#include "graphics/ShaderEffect.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/Circler.h"
#include "widgets/anim/EasingCurves.h"
#include "widgets/anim/EffectHold.h"
#include "widgets/anim/Shearer.h"
#include "widgets/anim/Tweener.h"
#include "widgets/script/ScriptParams.h"

namespace {

// The minimum pixel alpha that counts as a hit, read once.
int OpacityThreshold() {
    static const int threshold = GetConstantValue("opacity_threshold").AsInt();
    return threshold;
}

// A share of the image when something owns it through shared pointers; null for pictures that
// live for ever or inside an object of their own.
std::shared_ptr<Image> ShareOf(Image* image) {
    return image != nullptr ? image->weak_from_this().lock() : nullptr;
}

}  // namespace

DynamicWidget::DynamicWidget(int x, int y, Image* image, float opacity)
    : mOpacity(std::fabs(opacity)) {
    // Scripts read this widget's properties through values that hold it.
    LiveObjectRegistry::RegisterWidget(this, static_cast<ExtendedPropertyInterface*>(this));
    mLastX = static_cast<float>(x);
    mLastY = static_cast<float>(y);
    if (image != nullptr) {
        HoldImage(image);
        Resize(static_cast<float>(x), static_cast<float>(y), image->GetCelWidth(),
               image->GetCelHeight());
    } else {
        Move(static_cast<float>(x), static_cast<float>(y));
    }
}

DynamicWidget::~DynamicWidget() {
    // From here on nothing may read properties of a half-destroyed widget.
    LiveObjectRegistry::RegisterWidget(this, nullptr);
    FieldRegistry::UnregisterOwner(this);
    mModifiers.ClearControllers();
    mModifiers.ClearOscillations(false);
    mModifiers.ClearClamps(false);
    ClearAnimationListener();
}

bool DynamicWidget::IsAnimating() const {
    return GetCountedControllers() > 0 || mBlinkPeriod > 0 || mFrames.HasRepeatsToPlay() ||
           mMaskFrames.HasRepeatsToPlay();
}

ImageSurface* DynamicWidget::GetOwnImageSurface() {
    if (mImage == nullptr) {
        return nullptr;
    }
    if (!mOwnsImage) {
        // The shared copy takes atlas pieces out of their sheet and keeps the image flags
        // (tessellation and texture wrap read them).
        std::shared_ptr<Image> copy = CopyImage(mImage);
        if (!copy) {
            return nullptr;
        }
        HoldImage(copy.get());
        mOwnsImage = true;
    }
    return dynamic_cast<ImageSurface*>(mImage);
}

float* DynamicWidget::FindAnimatedProperty(std::string_view name, int& flags) {
    return GetPropertyTable().FindWritable(*this, name, flags);
}

void DynamicWidget::PropertiesChanged(int flags) {
    if (flags == kChangedPosition && mCache && !mCache->followsPosition && mParent != nullptr) {
        mParent->MarkDirty();
        return;
    }
    if ((flags & kChangedTransform) != 0) {
        mTransformDirty = true;
    }
    if (flags != 0 && mVisible) {
        if (mOpacity > 0.0f || (flags & kChangedColor) != 0) {
            MarkDirty();
        }
    }
}

void DynamicWidget::SetNamedFloat(std::string_view name, float value) {
    int flags = 0;
    float* field = FindAnimatedProperty(name, flags);
    if (field == nullptr) {
        return;
    }
    mModifiers.RemoveEffects();
    *field = value;
    mModifiers.ApplyEffects();
    PropertiesChanged(flags);
}

void DynamicWidget::OffsetNamedFloats(std::string_view nameA, std::string_view nameB, float da,
                                      float db) {
    int flags = 0;
    float* a = FindAnimatedProperty(nameA, flags);
    float* b = FindAnimatedProperty(nameB, flags);
    if (a == nullptr && b == nullptr) {
        return;
    }
    mModifiers.RemoveEffects();
    if (a != nullptr) {
        *a += da;
    }
    if (b != nullptr) {
        *b += db;
    }
    mModifiers.ApplyEffects();
    PropertiesChanged(flags);
}

bool DynamicWidget::GetProperty(const std::string& name, ExprValue* out) const {
    if (GetPropertyTable().Read(*this, name, out)) {
        return true;
    }
    return ExtendedPropertyInterface::GetProperty(name, out);
}

namespace {

using W = DynamicWidget;

ExprValue Real(float value) {
    return ExprValue::FromFloat(value);
}

// A writable float field with its change flags; handle adds "<name>_ptr".
#define P7_FIELD(name, member, flags, handle)                                   \
    PropertyEntry {                                                             \
        name, [](W& w) { return &w.member; }, nullptr, flags,                   \
            PropertyEntry::kWritable | ((handle) ? PropertyEntry::kHandle : 0u) \
    }
// A computed, read-only value.
#define P7_VALUE(name, expr)                                 \
    PropertyEntry {                                          \
        name, nullptr, [](const W& w) { return expr; }, 0, 0 \
    }

}  // namespace

const PropertyTable& DynamicWidget::Properties() {
    static const PropertyTable table(
        nullptr, {
                     P7_FIELD("x", mX, kChangedPosition, true),
                     P7_FIELD("y", mY, kChangedPosition, true),
                     P7_FIELD("z", mZ, kChangedTransform, false),
                     P7_FIELD("angle", mAngle, kChangedTransform, true),
                     P7_FIELD("scale_x", mScaleX, kChangedTransform, true),
                     P7_FIELD("scale_y", mScaleY, kChangedTransform, true),
                     P7_FIELD("shear_x", mShearX, kChangedTransform, false),
                     P7_FIELD("shear_y", mShearY, kChangedTransform, false),
                     P7_FIELD("shear_x_offset", mShearXOffset, kChangedTransform, false),
                     P7_FIELD("shear_y_offset", mShearYOffset, kChangedTransform, false),
                     P7_FIELD("opacity", mOpacity, kChangedColor, true),
                     P7_FIELD("alpha", mAlpha, kChangedColor, false),
                     P7_FIELD("red", mRed, kChangedColor, false),
                     P7_FIELD("green", mGreen, kChangedColor, false),
                     P7_FIELD("blue", mBlue, kChangedColor, false),
                     P7_FIELD("abs_clip_x1", mAbsClipX1, kChangedClip, false),
                     P7_FIELD("abs_clip_y1", mAbsClipY1, kChangedClip, false),
                     P7_FIELD("abs_clip_x2", mAbsClipX2, kChangedClip, false),
                     P7_FIELD("abs_clip_y2", mAbsClipY2, kChangedClip, false),
                     P7_FIELD("rel_clip_x1", mRelClipX1, kChangedClip, false),
                     P7_FIELD("rel_clip_y1", mRelClipY1, kChangedClip, false),
                     P7_FIELD("rel_clip_x2", mRelClipX2, kChangedClip, false),
                     P7_FIELD("rel_clip_y2", mRelClipY2, kChangedClip, false),
                     P7_FIELD("clock", mClock, 0, false),
                     P7_FIELD("timer", mTimer, 0, true),
                     P7_FIELD("frame_rate", mFrames.mFrameTime, 0, false),
                     P7_FIELD("mask_frame_rate", mMaskFrames.mFrameTime, 0, false),
                     // Written by the float update only; scripts read them and may bind to them.
                     PropertyEntry{"last_x", [](W& w) { return &w.mLastX; }, nullptr, 0,
                                   PropertyEntry::kHandle},
                     PropertyEntry{"last_y", [](W& w) { return &w.mLastY; }, nullptr, 0,
                                   PropertyEntry::kHandle},
                     P7_VALUE("right", Real(w.mX + static_cast<float>(w.mWidth))),
                     P7_VALUE("bottom", Real(w.mY + static_cast<float>(w.mHeight))),
                     P7_VALUE("center_x", Real(w.mX + static_cast<float>(w.mWidth) * 0.5f)),
                     P7_VALUE("center_y", Real(w.mY + static_cast<float>(w.mHeight) * 0.5f)),
                     P7_VALUE("abs_x", Real(w.LocalToGlobal().mX)),
                     P7_VALUE("abs_y", Real(w.LocalToGlobal().mY)),
                     P7_VALUE("width", ExprValue::FromInt(w.mWidth)),
                     P7_VALUE("height", ExprValue::FromInt(w.mHeight)),
                     P7_VALUE("depth", ExprValue::FromInt(w.mZOrder)),
                     P7_VALUE("frame_timer", Real(w.mFrames.mTimer)),
                     P7_VALUE("frame", ExprValue::FromInt(w.mFrames.mFrame)),
                     P7_VALUE("flip_x", ExprValue::FromBool(w.mFlipX != 1)),
                     P7_VALUE("flip_y", ExprValue::FromBool(w.mFlipY != 1)),
                     P7_VALUE("changing", ExprValue::FromBool(w.IsAnimating())),
                     P7_VALUE("image", ExprValue::FromObject2(w.GetImage())),
                     P7_VALUE("id", ExprValue::FromString(w.mScriptName)),
                     P7_VALUE("mouse_visible", ExprValue::FromBool(w.mMouseVisible)),
                 });
    return table;
}

#undef P7_FIELD
#undef P7_VALUE

const PropertyTable& DynamicWidget::GetPropertyTable() const {
    return Properties();
}

void DynamicWidget::TweenNamedFloat(std::string_view name, float target, float duration,
                                    std::unique_ptr<EasingCurve> curve, int flags) {
    if (!curve) {
        curve = std::make_unique<Linear>();
    }
    auto tween = std::make_unique<Tweener>(this, "", std::move(curve), duration, 0.0f, flags);
    // The tween starts from the base value, not from what an oscillation adds on top of it.
    mModifiers.RemoveEffects();
    const bool known = tween->AddProperty(name, target);
    mModifiers.ApplyEffects();
    if (known) {
        AddController(std::move(tween));
    }
}

void DynamicWidget::JumpTo(float targetX, int targetY, int height, int clearance, int duration) {
    if (height == 0 || duration <= 0) {
        return;
    }
    // The arc is planned and tweened on the base position, under the oscillations and clamps.
    mModifiers.RemoveEffects();
    if (targetY == static_cast<int>(mY)) {
        mY = static_cast<float>(clearance < 0 ? targetY + 1 : targetY - 1);
    }
    const int cur = static_cast<int>(mY);
    const int lo = std::min(cur, targetY);
    const int hi = std::max(cur, targetY);
    const int apex =
        height < 1 ? std::min(hi + clearance, lo + height) : std::max(lo + clearance, hi + height);
    const float r = (static_cast<float>(apex) - mY) / (static_cast<float>(targetY) - mY);
    // f(t) = a t² + b t with f(1) = 1 and its extreme value r inside (0, 1): b² - 4rb + 4r = 0,
    // the root whose vertex -b / 2a lies inside. Between 0 and 1 there is no such parabola and
    // the straight line serves.
    float a = 0.0f;
    float b = 1.0f;
    if (std::isfinite(r) && (r > 1.0f || r < 0.0f)) {
        const float root = std::sqrt(r * (r - 1.0f));
        b = r > 1.0f ? 2.0f * (r + root) : 2.0f * (r - root);
        a = 1.0f - b;
    }
    auto tx = std::make_unique<Tweener>(this, "", std::make_unique<Linear>(),
                                        static_cast<float>(duration), 0.0f, kChangedPosition);
    tx->AddProperty("x", targetX);
    auto ty = std::make_unique<Tweener>(this, "", std::make_unique<ParabolicCurve>(a, b, 0.0f),
                                        static_cast<float>(duration), 0.0f, kChangedPosition);
    ty->AddProperty("y", static_cast<float>(targetY));
    mModifiers.ApplyEffects();
    AddController(std::move(tx));
    AddController(std::move(ty));
}

void DynamicWidget::CircleTo(std::string_view name, int centerX, int centerY, float sweepDegrees,
                             float duration, std::unique_ptr<EasingCurve> curve, int flags) {
    mModifiers.RemoveEffects();
    auto circler = std::make_unique<Circler>(this, name, std::move(curve), centerX, centerY,
                                             sweepDegrees, duration, flags);
    mModifiers.ApplyEffects();
    AddController(std::move(circler));
}

void DynamicWidget::ShearTo(std::string_view name, float shearX, float shearY, float offsetX,
                            float offsetY, float speed, float acceleration, float damping) {
    AddController(std::make_unique<Shearer>(this, name, shearX, shearY, offsetX, offsetY, speed,
                                            acceleration, damping, kChangedTransform));
}

void DynamicWidget::AddController(std::unique_ptr<Controller> controller) {
    mModifiers.AddController(std::move(controller));
}

void DynamicWidget::StopController(std::string_view name) {
    mModifiers.StopController(name);
}

void DynamicWidget::ClearControllers() {
    mModifiers.ClearControllers();
}

void DynamicWidget::AddOscillation(std::unique_ptr<PropertyOscillation> oscillation) {
    const int flags = oscillation ? oscillation->GetFlags() : 0;
    mModifiers.AddOscillation(std::move(oscillation));
    PropertiesChanged(flags);
}

void DynamicWidget::StopOscillation(std::string_view name, bool undo) {
    mModifiers.StopOscillation(name, undo);
    PropertiesChanged(kChangedPosition | kChangedTransform | kChangedColor);
}

void DynamicWidget::ClearOscillations(bool undo) {
    mModifiers.ClearOscillations(undo);
    PropertiesChanged(kChangedPosition | kChangedTransform | kChangedColor);
}

void DynamicWidget::AddClamp(std::unique_ptr<PropertyClamp> clamp) {
    const int flags = clamp ? clamp->GetFlags() : 0;
    mModifiers.AddClamp(std::move(clamp));
    PropertiesChanged(flags);
}

void DynamicWidget::StopClamp(std::string_view name, bool undo) {
    mModifiers.StopClamp(name, undo);
    PropertiesChanged(kChangedPosition | kChangedTransform | kChangedColor);
}

void DynamicWidget::ClearClamps(bool undo) {
    mModifiers.ClearClamps(undo);
    PropertiesChanged(kChangedPosition | kChangedTransform | kChangedColor);
}

void DynamicWidget::SetCenter(float x, float y, float z) {
    if (!IsNotGiven(x)) {
        mCenterX = static_cast<float>(mWidth) * 0.5f - x;
    }
    if (!IsNotGiven(y)) {
        mCenterY = static_cast<float>(mHeight) * 0.5f - y;
    }
    if (!IsNotGiven(z)) {
        mCenterZ = -z;
    }
    mTransformDirty = true;
}

void DynamicWidget::SetRotationAxis(float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f && std::isfinite(length)) {
        x /= length;
        y /= length;
        z /= length;
    }
    mAxisX = x;
    mAxisY = y;
    mAxisZ = z;
    mTransformDirty = true;
}

void DynamicWidget::Flip(bool vertical) {
    if (vertical) {
        mFlipY = -mFlipY;
    } else {
        mFlipX = -mFlipX;
    }
    mTransformDirty = true;
    MarkDirty();
}

void DynamicWidget::HoldImage(Image* image) {
    // The new shares are taken before the old ones go: the new picture may be a piece of the
    // old one, or live only through it.
    std::shared_ptr<Image> share = ShareOf(image);
    ImageSurface* base = image != nullptr ? image->GetBaseSurface() : nullptr;
    std::shared_ptr<Image> baseShare = base != image ? ShareOf(base) : nullptr;
    mOwnsImage = mOwnsImage && image == mImage;
    mImage = image;
    mImageShare = std::move(share);
    mBaseShare = std::move(baseShare);
}

void DynamicWidget::SetImage(Image* image) {
    HoldImage(image);
    if (image != nullptr) {
        Resize(mX, mY, image->GetCelWidth(), image->GetCelHeight());
        if (mFrames.mFrame >= image->GetCelCount()) {
            mFrames.mFrame = 0;
        }
    }
    MarkDirty();
}

void DynamicWidget::SetOwnImageCopy(std::unique_ptr<Image> image) {
    const std::shared_ptr<Image> own(std::move(image));
    SetImage(own.get());
    mOwnsImage = own != nullptr;
}

void DynamicWidget::SetMask(Image* mask) {
    mMaskShare = ShareOf(mask);
    mMaskImage = mask;
}

void DynamicWidget::SetMaskRect(const FRect& rect) {
    mMaskRect = rect;
    mMaskRectGiven = true;
    MarkDirty();
}

void DynamicWidget::SetTransformMode(bool on) {
    mTransformMode = on;
    MarkDirty();
}

void DynamicWidget::SetDrawMode(int mode) {
    mDrawMode = mode;
    MarkDirty();
}

void DynamicWidget::SetClipping(bool on) {
    mClipping = on;
    MarkDirty();
}

void DynamicWidget::SetTessellation(int cols, int rows) {
    mTessCols = cols;
    mTessRows = rows;
    mTessellated = cols > 1 || rows > 1;
    MarkDirty();
}

void DynamicWidget::SetTextureWrap(bool on) {
    mTextureWrap = on;
    if (on && mImage != nullptr) {
        if (ImageSurface* surface = mImage->GetBaseSurface()) {
            surface->SetFlags(surface->GetFlags() | ImageSurface::kSurfaceWrap);
        }
    }
    MarkDirty();
}

void DynamicWidget::SetShader(std::unique_ptr<ShaderEffect> effect) {
    mShader = std::move(effect);
    mShaderConstants["Clock"] = FieldRegistry::Register(&mClock, this);
    MarkDirty();
}

void DynamicWidget::SetShaderConstantSource(const std::string& name, int32_t handle) {
    mShaderConstants[name] = handle;
}

void DynamicWidget::SetCache(bool enable, bool soon) {
    if (!enable) {
        mCache.reset();
        MarkDirty();
        return;
    }
    if (!mCache) {
        mCache = std::make_unique<RenderCache>();
        mCache->countdown = soon ? 1 : 30;
    }
}

void DynamicWidget::SetFrame(int frame) {
    mFrames.mTimer = 0.0f;
    if (frame != mFrames.mFrame) {
        mFrames.mFrame = frame;
        MarkDirty();
    }
}

void DynamicWidget::SetMaskFrame(int frame) {
    mMaskFrames.mTimer = 0.0f;
    if (frame != mMaskFrames.mFrame) {
        mMaskFrames.mFrame = frame;
        MarkDirty();
    }
}

void DynamicWidget::FadeToFrame(int frame, float time) {
    mFrames.mTimer = 0.0f;
    if (frame == mFrames.mFrame) {
        return;
    }
    mPreviousFrame = mFrames.mFrame;
    mFrames.mFrame = frame;
    mCrossfadeWeight = 1.0f;
    mModifiers.DropTweensOn(&mCrossfadeWeight);
    auto fade =
        std::make_unique<Tweener>(this, "", std::make_unique<Linear>(), time, 0.0f, kChangedColor);
    fade->AddTarget(&mCrossfadeWeight, 1.0f, 0.0f);
    AddController(std::move(fade));
    MarkDirty();
}

void DynamicWidget::StartBlinking(int halfPeriod, int count, int start) {
    mBlinkPeriod = std::max(0, halfPeriod) * 2;
    mBlinksLeft = count;
    mBlinkCounter = start;
    ApplyBlinkVisibility();
}

void DynamicWidget::ApplyBlinkVisibility() {
    SetVisible(mBlinkPeriod <= 0 || mBlinkCounter < mBlinkPeriod / 2);
}

void DynamicWidget::SetRemoveWhenDone(bool on) {
    if (on && !IsAnimating()) {
        MarkForRemoval();
        return;
    }
    mRemoveWhenDone = on;
}

void DynamicWidget::SetHideWhenDone(bool on) {
    if (on && !IsAnimating()) {
        SetVisible(false);
        return;
    }
    mHideWhenDone = on;
}

void DynamicWidget::SetClearFlagWhenDone(bool on) {
    if (on && !IsAnimating()) {
        mFlagsAdd &= ~widgetflags::kLayered;
        return;
    }
    mClearFlagWhenDone = on;
}

void DynamicWidget::SetResetEffectsWhenDone(bool on) {
    if (on && !IsAnimating()) {
        SetTransformMode(false);
        SetDrawMode(kDrawOwn);
        SetClipping(false);
        return;
    }
    mResetEffectsWhenDone = on;
}

void DynamicWidget::RunFinishActions() {
    if (mRemoveWhenDone) {
        mRemoveWhenDone = false;
        MarkForRemoval();
        return;
    }
    if (mHideWhenDone) {
        mHideWhenDone = false;
        SetVisible(false);
    }
    if (mClearFlagWhenDone) {
        mClearFlagWhenDone = false;
        mFlagsAdd &= ~widgetflags::kLayered;
    }
    if (mResetEffectsWhenDone) {
        mResetEffectsWhenDone = false;
        SetTransformMode(false);
        SetDrawMode(kDrawOwn);
        SetClipping(false);
    }
}

void DynamicWidget::BuildTransform() {
    mTransform.Reset();
    mTransformNonTrivial = false;
    if (mShearX != 0.0f || mShearY != 0.0f) {
        mTransform.ForceFullMatrix();
        mTransform.At(0, 1) = mShearX;
        mTransform.At(1, 0) = mShearY;
        mTransform.At(0, 3) = -mShearX * mShearYOffset;
        mTransform.At(1, 3) = -mShearY * mShearXOffset;
        mTransformNonTrivial = true;
    }
    const bool centred = mCenterX != 0.0f || mCenterY != 0.0f || mCenterZ != 0.0f;
    if (centred) {
        mTransform.Translate(mCenterX, mCenterY, mCenterZ);
    }
    if (mFlipX != 1 || mFlipY != 1 || mScaleX != 1.0f || mScaleY != 1.0f) {
        mTransform.Scale(mScaleX * static_cast<float>(mFlipX),
                         mScaleY * static_cast<float>(mFlipY));
        mTransformNonTrivial = true;
    }
    if (mAngle != 0.0f) {
        mTransform.RotateDegrees(mAngle, mAxisX, mAxisY, mAxisZ);
        mTransformNonTrivial = true;
    }
    if (centred) {
        mTransform.Translate(-mCenterX, -mCenterY, -mCenterZ);
    }
    if (mZ != 0.0f) {
        mTransform.Translate(0.0f, 0.0f, mZ);
        mTransformNonTrivial = true;
    }
    mTransformDirty = false;
    mTransformChanged = true;
}

const Transform& DynamicWidget::GetTransform() {
    if (mTransformDirty) {
        BuildTransform();
    }
    return mTransform;
}

bool DynamicWidget::IsTransformNonTrivial() {
    GetTransform();
    return mTransformNonTrivial;
}

namespace {

// The middle about which the own transform acts: the image cell's, else the widget's.
void TransformCentre(const Image* image, int width, int height, float* cx, float* cy) {
    if (image != nullptr) {
        *cx = static_cast<float>(image->GetCelWidth()) * 0.5f;
        *cy = static_cast<float>(image->GetCelHeight()) * 0.5f;
    } else {
        *cx = static_cast<float>(width) * 0.5f;
        *cy = static_cast<float>(height) * 0.5f;
    }
}

// p' = C + M (p - C), or with the inverse of M.
bool MapAboutCentre(const Transform& transform, bool inverse, float cx, float cy, float x, float y,
                    float* outX, float* outY) {
    Matrix4 m = transform.BuildMatrix();
    if (inverse && !MatrixInverse(&m, m)) {
        return false;
    }
    const float in[4] = {x - cx, y - cy, 0.0f, 1.0f};
    float out[4];
    // Column vectors: out = m * in.
    for (int row = 0; row < 4; ++row) {
        out[row] =
            m.m[row][0] * in[0] + m.m[row][1] * in[1] + m.m[row][2] * in[2] + m.m[row][3] * in[3];
    }
    const float w = (out[3] != 0.0f && out[3] != 1.0f) ? out[3] : 1.0f;
    *outX = out[0] / w + cx;
    *outY = out[1] / w + cy;
    return true;
}

// A homogeneous point (x, y, depth, w) mapped about the centre through m (column vectors); the
// depth and w pass on so that the root can project what lies off the screen's plane.
FRect MapPointAboutCentre(const Matrix4& m, float cx, float cy, const FRect& p) {
    const float in[4] = {p.mX - cx * p.mHeight, p.mY - cy * p.mHeight, p.mWidth, p.mHeight};
    float out[4];
    for (int row = 0; row < 4; ++row) {
        out[row] =
            m.m[row][0] * in[0] + m.m[row][1] * in[1] + m.m[row][2] * in[2] + m.m[row][3] * in[3];
    }
    return FRect(out[0] + cx * out[3], out[1] + cy * out[3], out[2], out[3]);
}

// Whether the matrix moves points off the plane or mixes depth into it (a depth or a rotation
// about another axis than z): then the screen shows the widget in perspective.
bool HasDepth(const Matrix4& m) {
    return m.m[2][3] != 0.0f || m.m[0][2] != 0.0f || m.m[1][2] != 0.0f || m.m[2][0] != 0.0f ||
           m.m[2][1] != 0.0f;
}

// The plane-to-screen homography through four point pairs (u, v) -> (x, y), as the 3x3 matrix
// h (h[8] = 1). False when the points are degenerate (a plane seen edge-on).
bool SolveHomography(const double u[4], const double v[4], const double x[4], const double y[4],
                     double h[9]) {
    double a[8][9] = {};
    for (int i = 0; i < 4; ++i) {
        double* rx = a[2 * i];
        double* ry = a[2 * i + 1];
        rx[0] = u[i], rx[1] = v[i], rx[2] = 1.0, rx[6] = -u[i] * x[i], rx[7] = -v[i] * x[i];
        rx[8] = x[i];
        ry[3] = u[i], ry[4] = v[i], ry[5] = 1.0, ry[6] = -u[i] * y[i], ry[7] = -v[i] * y[i];
        ry[8] = y[i];
    }
    for (int col = 0; col < 8; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 8; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) {
                pivot = r;
            }
        }
        if (std::fabs(a[pivot][col]) < 1e-12) {
            return false;
        }
        for (int c = 0; c < 9; ++c) {
            std::swap(a[col][c], a[pivot][c]);
        }
        for (int r = 0; r < 8; ++r) {
            if (r != col) {
                const double f = a[r][col] / a[col][col];
                for (int c = col; c < 9; ++c) {
                    a[r][c] -= f * a[col][c];
                }
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        h[i] = a[i][8] / a[i][i];
    }
    h[8] = 1.0;
    return true;
}

// (x, y) through the inverse of the homography h; false when h is singular or the point lies
// on the horizon.
bool InverseHomography(const double h[9], double x, double y, double* u, double* v) {
    const double inv[9] = {
        h[4] * h[8] - h[5] * h[7], h[2] * h[7] - h[1] * h[8], h[1] * h[5] - h[2] * h[4],
        h[5] * h[6] - h[3] * h[8], h[0] * h[8] - h[2] * h[6], h[2] * h[3] - h[0] * h[5],
        h[3] * h[7] - h[4] * h[6], h[1] * h[6] - h[0] * h[7], h[0] * h[4] - h[1] * h[3]};
    const double det = h[0] * inv[0] + h[1] * inv[3] + h[2] * inv[6];
    if (std::fabs(det) < 1e-18) {
        return false;
    }
    const double w = inv[6] * x + inv[7] * y + inv[8];
    if (std::fabs(w) < 1e-12) {
        return false;
    }
    *u = (inv[0] * x + inv[1] * y + inv[2]) / w;
    *v = (inv[3] * x + inv[4] * y + inv[5]) / w;
    return true;
}

}  // namespace

void DynamicWidget::MapToImage(float x, float y, float* outX, float* outY) const {
    auto* self = const_cast<DynamicWidget*>(this);
    if (!self->IsTransformNonTrivial()) {
        *outX = x;
        *outY = y;
        return;
    }
    float cx = 0.0f;
    float cy = 0.0f;
    TransformCentre(mImage, mWidth, mHeight, &cx, &cy);
    if (!MapAboutCentre(self->GetTransform(), true, cx, cy, x, y, outX, outY)) {
        // A singular transform (a scale of 0) shows nothing, so nothing is hit.
        *outX = -1.0e9f;
        *outY = -1.0e9f;
    }
}

FRect DynamicWidget::GetClipRect() const {
    const FPoint at = LocalToGlobal();
    const float left = std::max(mAbsClipX1 - at.mX, mRelClipX1);
    const float top = std::max(mAbsClipY1 - at.mY, mRelClipY1);
    const float right = std::min(mAbsClipX2 - at.mX, mRelClipX2);
    const float bottom = std::min(mAbsClipY2 - at.mY, mRelClipY2);
    return FRect(left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top));
}

void DynamicWidget::Update() {
    if (mIsDown && mIsOver) {
        if (ButtonListener* listener = mButtonListener.Get()) {
            listener->ButtonDownTick(mId);
        }
    }
    if (mBlinkPeriod > 0) {
        ++mBlinkCounter;
        const int half = mBlinkPeriod / 2;
        if (half > 0 && mBlinkCounter % half == 0) {
            if (mBlinkCounter >= mBlinkPeriod) {
                mBlinkCounter = 0;
                if (mBlinksLeft > 0) {
                    --mBlinksLeft;
                    if (mBlinksLeft == 0) {
                        mBlinkPeriod = 0;
                    }
                }
            }
            ApplyBlinkVisibility();
        }
    }
}

void DynamicWidget::StepFrames(float dt) {
    for (FrameSequence* sequence : {&mFrames, &mMaskFrames}) {
        const int due = sequence->Advance(dt);
        for (int i = 0; i < due && sequence->IsRunning(); ++i) {
            MarkDirty();
            const int before = sequence->mFrame;
            const int next = sequence->Step();
            if (sequence == &mFrames && sequence->mCrossfadeTime > 0.0f && next != before) {
                // The crossfade restarts the frame clock, so the next step waits a full frame
                // time after the fade began.
                sequence->mFrame = before;
                FadeToFrame(next, sequence->mCrossfadeTime);
            }
        }
    }
}

void DynamicWidget::UpdateF(float elapsed) {
    mClock += elapsed;
    mLastX = mX;
    mLastY = mY;
    mModifiers.Update(elapsed);
    StepFrames(elapsed);
    if (!IsAnimating()) {
        if (mShader && mVisible) {
            MarkEffectDrawn();
        }
        RunFinishActions();
    }
}

void DynamicWidget::MarkEffectDrawn() {
    const bool inPlace = mImage != nullptr && mDrawMode == kDrawOwn && mMaskImage == nullptr &&
                         !(mBlendMode >= 2 && mBlendMode <= 4) && !mTessellated &&
                         (mTransformMode || !IsTransformNonTrivial());
    if (!inPlace) {
        MarkDirty();
        return;
    }
    const float width = static_cast<float>(mImage->GetCelWidth());
    const float height = static_cast<float>(mImage->GetCelHeight());
    MarkDirtyWithin(mTextureWrap ? FRect(0.0f, 0.0f, width * mScaleX, height * mScaleY)
                                 : FRect(0.0f, 0.0f, width, height));
}

void DynamicWidget::UpdateAllF(WidgetFlagState& state, float elapsed) {
    if (mShader && EffectHoldsAsked()) {
        mEffectHeld = HoldsEffect(mShader->GetFileName(), mClock, elapsed * mTimer, mEffectHeld);
    }
    Widget::UpdateAllF(state, mEffectHeld ? 0.0f : elapsed * mTimer);
}

void DynamicWidget::DropKeptPicture() {
    if (mCache) {
        mCache->countdown = 30;
        mCache->rendered = false;
    }
}

FRect DynamicWidget::ToParentRect(const FRect& rect) const {
    if (!mTransformMode) {
        return Widget::ToParentRect(rect);
    }
    auto* self = const_cast<DynamicWidget*>(this);
    FRect mapped = rect;
    if (self->IsTransformNonTrivial()) {
        // The whole homogeneous point: a depth or a turn out of the plane reaches the root,
        // which projects it as it is drawn.
        mapped = MapPointAboutCentre(self->GetTransform().BuildMatrix(),
                                     static_cast<float>(mWidth) * 0.5f,
                                     static_cast<float>(mHeight) * 0.5f, rect);
    }
    return Widget::ToParentRect(mapped);
}

FRect DynamicWidget::ToLocalRect(const FRect& rect) const {
    FRect local = Widget::ToLocalRect(rect);
    if (!mTransformMode) {
        return local;
    }
    auto* self = const_cast<DynamicWidget*>(this);
    if (!self->IsTransformNonTrivial()) {
        return local;
    }
    const Matrix4 m = self->GetTransform().BuildMatrix();
    const float cx = static_cast<float>(mWidth) * 0.5f;
    const float cy = static_cast<float>(mHeight) * 0.5f;
    if (!HasDepth(m)) {
        Matrix4 inverse;
        if (!MatrixInverse(&inverse, m)) {
            return FRect(-1.0e9f, -1.0e9f, 1.0f, 1.0f);  // a scale of 0: nothing is hit
        }
        return MapPointAboutCentre(inverse, cx, cy, local);
    }
    // In perspective the point is a ray from the eye: find where it meets the widget's plane by
    // inverting the plane-to-screen mapping, taken through four points of the plane.
    const FRect screen = mParent != nullptr ? mParent->LocalToGlobalRect(rect) : rect;
    const double w = std::max(1.0, static_cast<double>(mWidth));
    const double h = std::max(1.0, static_cast<double>(mHeight));
    const double u[4] = {0.0, w, 0.0, w};
    const double v[4] = {0.0, 0.0, h, h};
    double x[4];
    double y[4];
    for (int i = 0; i < 4; ++i) {
        const FRect at = LocalToGlobalRect(
            FRect(static_cast<float>(u[i]), static_cast<float>(v[i]), 1.0f, 1.0f));
        x[i] = at.mX;
        y[i] = at.mY;
    }
    double homography[9];
    double lu = 0.0;
    double lv = 0.0;
    if (!SolveHomography(u, v, x, y, homography) ||
        !InverseHomography(homography, screen.mX, screen.mY, &lu, &lv)) {
        return FRect(-1.0e9f, -1.0e9f, 1.0f, 1.0f);  // seen edge-on: nothing is hit
    }
    return FRect(static_cast<float>(lu), static_cast<float>(lv), 1.0f, 1.0f);
}

Widget* DynamicWidget::FindWidgetAt(float x, float y, uint32_t flags, float* outX, float* outY) {
    if (mClipping && !GetClipRect().Contains(x, y)) {
        return nullptr;
    }
    return Widget::FindWidgetAt(x, y, flags, outX, outY);
}

bool DynamicWidget::Contains(float x, float y) const {
    if (!GetClipRect().Contains(x, y)) {
        return false;
    }
    if (mImage == nullptr) {
        return Widget::Contains(x, y);
    }
    float ix = x + 0.5f;
    float iy = y + 0.5f;
    if (!mTransformMode) {
        MapToImage(x, y, &ix, &iy);
    }
    if (!(ix >= 0.0f && iy >= 0.0f && ix < static_cast<float>(mImage->GetCelWidth()) &&
          iy < static_cast<float>(mImage->GetCelHeight()))) {
        return false;
    }
    if (!mCheckPixels || mImage->IsListEmpty()) {
        return true;
    }
    if (mImage->GetAlpha(static_cast<int>(ix), static_cast<int>(iy), mFrames.mFrame) <=
        OpacityThreshold()) {
        return false;
    }
    if (mMaskImage != nullptr && !mMaskImage->IsListEmpty()) {
        const FRect place = mMaskRectGiven
                                ? mMaskRect
                                : FRect(0.0f, 0.0f, static_cast<float>(mMaskImage->GetCelWidth()),
                                        static_cast<float>(mMaskImage->GetCelHeight()));
        return mMaskImage->GetMaskAlphaAt(mMaskFrames.mFrame, place, ix, iy) > OpacityThreshold();
    }
    return true;
}

bool DynamicWidget::IsPointInside(int x, int y) const {
    const float w = static_cast<float>(mWidth);
    const float h = static_cast<float>(mHeight);
    // Points arrive in the parent's frame of the widget's own rectangle: the scaled rectangle
    // (or, when turned, the square that holds it in any turn) about the middle.
    const float px = static_cast<float>(x) + mX;
    const float py = static_cast<float>(y) + mY;
    if (mAngle == 0.0f) {
        const int left = static_cast<int>(mX + (1.0f - mScaleX) * w * 0.5f);
        const int top = static_cast<int>(mY + (1.0f - mScaleY) * h * 0.5f);
        const int sw = static_cast<int>(w * mScaleX);
        const int sh = static_cast<int>(h * mScaleY);
        return px >= static_cast<float>(left) && py >= static_cast<float>(top) &&
               px < static_cast<float>(left + sw) && py < static_cast<float>(top + sh);
    }
    const int side = static_cast<int>(w * mScaleX) + static_cast<int>(h * mScaleY);
    const int left = static_cast<int>(mX + w * 0.5f - static_cast<float>(side) * 0.5f);
    const int top = static_cast<int>(mY + h * 0.5f - static_cast<float>(side) * 0.5f);
    return px >= static_cast<float>(left) && py >= static_cast<float>(top) &&
           px < static_cast<float>(left + side) && py < static_cast<float>(top + side);
}

void DynamicWidget::AddedToParent(WidgetContainer* parent) {
    Widget::AddedToParent(parent);
    if (!mButtonListener.IsSet()) {
        if (auto* listener = dynamic_cast<ButtonListener*>(parent)) {
            mButtonListener.Set(listener);
        }
    }
}

void DynamicWidget::RemovedFromParent(WidgetContainer* parent) {
    if (mDeleteOnRemove) {
        ReportRemoval(mId);
        mButtonListener.Clear();
    }
    Widget::RemovedFromParent(parent);
}

void DynamicWidget::MouseEnter() {
    if (ButtonListener* listener = mButtonListener.Get()) {
        listener->ButtonMouseEnter(mId);
    }
}

void DynamicWidget::MouseLeave() {
    if (ButtonListener* listener = mButtonListener.Get()) {
        listener->ButtonMouseLeave(mId);
    }
}

void DynamicWidget::MouseMove(int x, int y) {
    if (ButtonListener* listener = mButtonListener.Get()) {
        listener->ButtonMouseMove(mId, x, y);
    }
}

void DynamicWidget::MouseDown(int x, int y, int clickCount) {
    if (ButtonListener* listener = mButtonListener.Get()) {
        listener->ButtonPressClicks(mId, clickCount);
    }
    Widget::MouseDown(x, y, clickCount);
}

void DynamicWidget::MouseUp(int x, int y) {
    (void)x, (void)y;
    ButtonListener* listener = mButtonListener.Get();
    if (listener == nullptr || mManager == nullptr || !mManager->HasFocus()) {
        return;
    }
    if (!mDepressOnlyWhenOver || mIsOver) {
        listener->ButtonDepress(mId);
    }
}

void DynamicWidget::AnimationEvent(uint32_t id, const std::string& message) {
    if (auto* listener = dynamic_cast<AnimationListener*>(mParent)) {
        listener->AnimationEvent(id, message);
    }
}
