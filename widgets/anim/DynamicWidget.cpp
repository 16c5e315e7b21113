#include "widgets/anim/DynamicWidget.h"

#include <algorithm>
#include <cmath>

#include "core/expr/ExprValue.h"
#include "core/expr/FieldRegistry.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/expr/NamedConstants.h"
#include "core/util/Log.h"
#include "graphics/ImageSurface.h"
#include "graphics/Matrix4.h"
#include "graphics/ShaderEffect.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/Circler.h"
#include "widgets/anim/EasingCurves.h"
#include "widgets/anim/Shearer.h"
#include "widgets/anim/Tweener.h"
#include "widgets/script/ScriptParams.h"

namespace {

struct FloatName {
    const char* name;
    float DynamicWidget::*field;
    int flags;
};

// mX and mY live in the container base; they are handled before this table.
const FloatName kFloatNames[] = {
    {"z", &DynamicWidget::mZ, kChangedTransform},
    {"angle", &DynamicWidget::mAngle, kChangedTransform},
    {"scale_x", &DynamicWidget::mScaleX, kChangedTransform},
    {"scale_y", &DynamicWidget::mScaleY, kChangedTransform},
    {"shear_x", &DynamicWidget::mShearX, kChangedTransform},
    {"shear_y", &DynamicWidget::mShearY, kChangedTransform},
    {"shear_x_offset", &DynamicWidget::mShearXOffset, kChangedTransform},
    {"shear_y_offset", &DynamicWidget::mShearYOffset, kChangedTransform},
    {"opacity", &DynamicWidget::mOpacity, kChangedColor},
    {"alpha", &DynamicWidget::mAlpha, kChangedColor},
    {"red", &DynamicWidget::mRed, kChangedColor},
    {"green", &DynamicWidget::mGreen, kChangedColor},
    {"blue", &DynamicWidget::mBlue, kChangedColor},
    {"abs_clip_x1", &DynamicWidget::mAbsClipX1, kChangedClip},
    {"abs_clip_y1", &DynamicWidget::mAbsClipY1, kChangedClip},
    {"abs_clip_x2", &DynamicWidget::mAbsClipX2, kChangedClip},
    {"abs_clip_y2", &DynamicWidget::mAbsClipY2, kChangedClip},
    {"rel_clip_x1", &DynamicWidget::mRelClipX1, kChangedClip},
    {"rel_clip_y1", &DynamicWidget::mRelClipY1, kChangedClip},
    {"rel_clip_x2", &DynamicWidget::mRelClipX2, kChangedClip},
    {"rel_clip_y2", &DynamicWidget::mRelClipY2, kChangedClip},
    {"clock", &DynamicWidget::mClock, 0},
    {"timer", &DynamicWidget::mTimer, 0},
};

// The minimum pixel alpha that counts as a hit, read once.
int OpacityThreshold() {
    static const int threshold = GetConstantValue("opacity_threshold").AsInt();
    return threshold;
}

bool IsOwnHandleName(const std::string& name, const char* prefix) {
    return name == std::string(prefix) + "_ptr";
}

}  // namespace

DynamicWidget::DynamicWidget(int x, int y, Image* image, float opacity)
    : mOpacity(std::fabs(opacity)) {
    // Scripts read this widget's properties through values that hold it.
    LiveObjectRegistry::RegisterWidget(this, static_cast<ExtendedPropertyInterface*>(this));
    mLastX = static_cast<float>(x);
    mLastY = static_cast<float>(y);
    if (image != nullptr) {
        mImage = image;
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
    if (!mOwnedImage) {
        auto* source = dynamic_cast<ImageSurface*>(mImage);
        if (source == nullptr) {
            return nullptr;
        }
        auto copy = std::make_unique<ImageSurface>();
        copy->SetPixels(source->GetWidth(), source->GetHeight(), source->GetPixelData());
        copy->SetCells(source->GetCols(), source->GetRows());
        copy->SetName(source->GetName());
        mImage = copy.get();
        mOwnedImage = std::move(copy);
    }
    return dynamic_cast<ImageSurface*>(mImage);
}

float* DynamicWidget::FindAnimatedProperty(std::string_view name, int& flags) {
    if (name == "x") {
        flags |= kChangedPosition;
        return &mX;
    }
    if (name == "y") {
        flags |= kChangedPosition;
        return &mY;
    }
    if (name == "frame_rate") {
        return &mFrames.mFrameTime;
    }
    if (name == "mask_frame_rate") {
        return &mMaskFrames.mFrameTime;
    }
    for (const FloatName& entry : kFloatNames) {
        if (name == entry.name) {
            flags |= entry.flags;
            return &(this->*entry.field);
        }
    }
    return nullptr;
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
    const float w = static_cast<float>(mWidth);
    const float h = static_cast<float>(mHeight);
    auto real = [out](float v) {
        *out = ExprValue::FromFloat(v);
        return true;
    };
    auto handle = [this, out](const float* field) {
        out->SetIntFromPointer(const_cast<float*>(field), this);
        return true;
    };
    if (name == "x")
        return real(mX);
    if (name == "y")
        return real(mY);
    if (name == "right")
        return real(mX + w);
    if (name == "bottom")
        return real(mY + h);
    if (name == "center_x")
        return real(mX + w * 0.5f);
    if (name == "center_y")
        return real(mY + h * 0.5f);
    if (name == "abs_x" || name == "abs_y") {
        const FPoint at = LocalToGlobal();
        return real(name == "abs_x" ? at.mX : at.mY);
    }
    if (name == "width") {
        *out = ExprValue::FromInt(mWidth);
        return true;
    }
    if (name == "height") {
        *out = ExprValue::FromInt(mHeight);
        return true;
    }
    if (name == "depth") {
        *out = ExprValue::FromInt(mZOrder);
        return true;
    }
    if (name == "z")
        return real(mZ);
    if (name == "angle")
        return real(mAngle);
    if (name == "scale_x")
        return real(mScaleX);
    if (name == "scale_y")
        return real(mScaleY);
    if (name == "opacity")
        return real(mOpacity);
    if (name == "last_x")
        return real(mLastX);
    if (name == "last_y")
        return real(mLastY);
    if (name == "timer")
        return real(mTimer);
    if (name == "clock")
        return real(mClock);
    if (name == "frame_rate")
        return real(mFrames.mFrameTime);
    if (name == "frame_timer")
        return real(mFrames.mTimer);
    if (name == "frame") {
        *out = ExprValue::FromInt(mFrames.mFrame);
        return true;
    }
    if (name == "flip_x" || name == "flip_y") {
        *out = ExprValue::FromBool((name == "flip_x" ? mFlipX : mFlipY) != 1);
        return true;
    }
    if (name == "abs_clip_x1")
        return real(mAbsClipX1);
    if (name == "abs_clip_y1")
        return real(mAbsClipY1);
    if (name == "abs_clip_x2")
        return real(mAbsClipX2);
    if (name == "abs_clip_y2")
        return real(mAbsClipY2);
    if (name == "rel_clip_x1")
        return real(mRelClipX1);
    if (name == "rel_clip_y1")
        return real(mRelClipY1);
    if (name == "rel_clip_x2")
        return real(mRelClipX2);
    if (name == "rel_clip_y2")
        return real(mRelClipY2);
    if (name == "changing") {
        *out = ExprValue::FromBool(IsAnimating());
        return true;
    }
    if (IsOwnHandleName(name, "x"))
        return handle(&mX);
    if (IsOwnHandleName(name, "y"))
        return handle(&mY);
    if (IsOwnHandleName(name, "opacity"))
        return handle(&mOpacity);
    if (IsOwnHandleName(name, "angle"))
        return handle(&mAngle);
    if (IsOwnHandleName(name, "scale_x"))
        return handle(&mScaleX);
    if (IsOwnHandleName(name, "scale_y"))
        return handle(&mScaleY);
    if (IsOwnHandleName(name, "timer"))
        return handle(&mTimer);
    if (IsOwnHandleName(name, "last_x"))
        return handle(&mLastX);
    if (IsOwnHandleName(name, "last_y"))
        return handle(&mLastY);
    if (name == "image") {
        *out = ExprValue::FromObject2(mImage);
        return true;
    }
    if (name == "id") {
        *out = ExprValue::FromString(mScriptName);
        return true;
    }
    if (name == "mouse_visible") {
        *out = ExprValue::FromBool(mMouseVisible);
        return true;
    }
    return ExtendedPropertyInterface::GetProperty(name, out);
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

void DynamicWidget::CircleTo(int centerX, int centerY, float sweepDegrees, float duration,
                             std::unique_ptr<EasingCurve> curve, int flags) {
    // The radius and start angle are taken from the base position (see TweenNamedFloat).
    mModifiers.RemoveEffects();
    auto circler = std::make_unique<Circler>(this, "", std::move(curve), centerX, centerY,
                                             sweepDegrees, duration, flags);
    mModifiers.ApplyEffects();
    AddController(std::move(circler));
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

void DynamicWidget::ShearTo(float shearX, float shearY, float offsetX, float offsetY, float speed,
                            float acceleration, float damping) {
    AddController(std::make_unique<Shearer>(this, "", shearX, shearY, offsetX, offsetY, speed,
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

void DynamicWidget::SetImage(Image* image) {
    if (mOwnedImage && mOwnedImage.get() != image) {
        mOwnedImage.reset();
    }
    mImage = image;
    if (image != nullptr) {
        Resize(mX, mY, image->GetCelWidth(), image->GetCelHeight());
        if (mFrames.mFrame >= image->GetCelCount()) {
            mFrames.mFrame = 0;
        }
    }
    MarkDirty();
}

void DynamicWidget::SetOwnImageCopy(std::unique_ptr<Image> image) {
    Image* raw = image.get();
    SetImage(raw);
    mOwnedImage = std::move(image);
}

void DynamicWidget::SetMaskRect(const FRect& rect) {
    mMaskRect = rect;
    mMaskRectGiven = true;
    MarkDirty();
}

void DynamicWidget::SetShader(std::unique_ptr<ShaderEffect> effect) {
    mShader = std::move(effect);
    mShaderConstants["Clock"] = &mClock;
    MarkDirty();
}

void DynamicWidget::SetShaderConstantSource(const std::string& name, float* field) {
    mShaderConstants[name] = field;
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
                sequence->mFrame = before;
                const float timer = sequence->mTimer;
                FadeToFrame(next, sequence->mCrossfadeTime);
                sequence->mTimer = timer;
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
            MarkDirty();
        }
        RunFinishActions();
    }
}

void DynamicWidget::UpdateAllF(WidgetFlagState& state, float elapsed) {
    Widget::UpdateAllF(state, elapsed * mTimer);
}

void DynamicWidget::MarkDirty() {
    if (mCache) {
        mCache->countdown = 30;
        mCache->rendered = false;
    }
    Widget::MarkDirty();
}

FRect DynamicWidget::ToParentRect(const FRect& rect) const {
    if (!mTransformMode) {
        return Widget::ToParentRect(rect);
    }
    auto* self = const_cast<DynamicWidget*>(this);
    FRect mapped = rect;
    if (self->IsTransformNonTrivial()) {
        MapAboutCentre(self->GetTransform(), false, static_cast<float>(mWidth) * 0.5f,
                       static_cast<float>(mHeight) * 0.5f, rect.mX, rect.mY, &mapped.mX,
                       &mapped.mY);
    }
    return Widget::ToParentRect(mapped);
}

FRect DynamicWidget::ToLocalRect(const FRect& rect) const {
    FRect local = Widget::ToLocalRect(rect);
    if (!mTransformMode) {
        return local;
    }
    auto* self = const_cast<DynamicWidget*>(this);
    if (self->IsTransformNonTrivial()) {
        MapAboutCentre(self->GetTransform(), true, static_cast<float>(mWidth) * 0.5f,
                       static_cast<float>(mHeight) * 0.5f, local.mX, local.mY, &local.mX,
                       &local.mY);
    }
    return local;
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
    const uint32_t pixel =
        mImage->GetPixel(static_cast<int>(ix), static_cast<int>(iy), mFrames.mFrame);
    if (static_cast<int>(pixel >> 24) <= OpacityThreshold()) {
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
