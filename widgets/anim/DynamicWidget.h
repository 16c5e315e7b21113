#pragma once
// The animated widget on which scripted objects, screens and grids stand: a Widget with named
// float properties (position, rotation, scale, shear, colour, clip rectangles, frame rates, a
// clock and a time scale) that scripts and expressions reach by name, an image with two frame
// clocks (image and mask), controllers, oscillations and clamps, blinking, finish actions that
// run once it stops animating, its own transform about its centre, and the three subtree draw
// modes. Main thread only.
//
// Float properties keep their addresses for the widget's lifetime (modifiers hold pointers to
// them); the "_ptr" handles that scripts see are field-registry handles, dropped when the widget
// is destroyed, so a binding to a removed widget's field reads as none.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/expr/ExtendedPropertyInterface.h"
#include "graphics/Transform.h"
#include "widgets/AnimationListener.h"
#include "widgets/AnimationSource.h"
#include "widgets/ListenerLink.h"
#include "widgets/RemovalWidget.h"
#include "widgets/Widget.h"
#include "widgets/anim/AnimatedPropertyOwner.h"
#include "widgets/anim/FrameSequence.h"
#include "widgets/anim/PropertyModifiers.h"
#include "widgets/anim/PropertyTable.h"
#include "widgets/controls/ButtonListener.h"

class EasingCurve;
class Image;
class ImageSurface;
class ShaderEffect;

class DynamicWidget : public Widget,
                      public ButtonListener,
                      public AnimationListener,
                      public AnimationSource,
                      public RemovalWidget,
                      public ExtendedPropertyInterface,
                      public AnimatedPropertyOwner {
public:
    // Draw modes of the subtree.
    static constexpr int kDrawOwn = 0;         // own image tinted
    static constexpr int kDrawPostrender = 1;  // subtree through an intermediate image
    static constexpr int kDrawInherit = 2;     // subtree tinted by the widget's colour

    // The widget keeps a share of image while showing it when something owns the image through
    // shared pointers (the asset tables, another widget); with an image the widget takes its
    // cell size. opacity is taken as its absolute value.
    DynamicWidget(int x, int y, Image* image, float opacity);
    ~DynamicWidget() override;

    // --- the operations added to Widget's ---
    // A counted controller runs, the widget blinks, or a frame sequence has repeats to play.
    virtual bool IsAnimating() const;
    // The image as a private surface of this widget (copied on first use); null when the image
    // is not a surface or there is none.
    virtual ImageSurface* GetOwnImageSurface();
    float* FindAnimatedProperty(std::string_view name, int& flags) override;
    // Marks dirty and the transform stale as the flags (1 position, 2 transform, 4 colour,
    // 8 clip) ask.
    void PropertiesChanged(int flags) override;

    // --- property access by name ---
    // Writes the field under the modifiers' effects (an oscillation's offset stays on top of the
    // new base value). Unknown names are ignored.
    void SetNamedFloat(std::string_view name, float value);
    void OffsetNamedFloats(std::string_view nameA, std::string_view nameB, float da, float db);
    // "x", "y", "right", "bottom", ... (see the widget documentation); false for other names.
    bool GetProperty(const std::string& name, ExprValue* out) const override;
    // The table of the class's script-visible properties (readable, writable, handles); each
    // class with properties of its own overrides it with a table chained to its base's.
    virtual const PropertyTable& GetPropertyTable() const;
    static const PropertyTable& Properties();

    // --- motion shortcuts (each adds a controller) ---
    // curve may be null (linear). duration in units of the widget's clock.
    void TweenNamedFloat(std::string_view name, float target, float duration,
                         std::unique_ptr<EasingCurve> curve, int flags);
    // A jump to (targetX, targetY) peaking height above (negative: below) the lower end, at
    // least clearance beyond the higher one. Nothing happens unless height != 0 and duration > 0.
    void JumpTo(float targetX, int targetY, int height, int clearance, int duration);
    // A controller named name moving "x" and "y" about (centerX, centerY) by sweepDegrees over
    // duration; the radius and start angle come from the base position, under the oscillations
    // and clamps. curve may be null (linear).
    void CircleTo(std::string_view name, int centerX, int centerY, float sweepDegrees,
                  float duration, std::unique_ptr<EasingCurve> curve, int flags);
    // A controller named name bringing the shear to (shearX, shearY) about the offset from the
    // centre; speed, acceleration and damping as the shear controller takes them.
    void ShearTo(std::string_view name, float shearX, float shearY, float offsetX, float offsetY,
                 float speed, float acceleration, float damping);

    // --- modifier tables ---
    void AddController(std::unique_ptr<Controller> controller);
    void StopController(std::string_view name);
    void ClearControllers();
    bool HasController(std::string_view name) const { return mModifiers.HasController(name); }
    void AddOscillation(std::unique_ptr<PropertyOscillation> oscillation);
    void StopOscillation(std::string_view name, bool undo);
    void ClearOscillations(bool undo);
    void AddClamp(std::unique_ptr<PropertyClamp> clamp);
    void StopClamp(std::string_view name, bool undo);
    void ClearClamps(bool undo);
    // Ends the tweens that write this field ("set" and "change" on a property).
    void DropTweensOn(const float* field) { mModifiers.DropTweensOn(field); }
    PropertyModifiers& GetModifiers() { return mModifiers; }

    // --- other setters ---
    // Each argument equal to 2^28 keeps its value; else the centre offset becomes
    // width/2 - x, height/2 - y and -z.
    void SetCenter(float x, float y, float z);
    void SetRotationAxis(float x, float y, float z);  // normalised; a zero vector is kept as is
    void Flip(bool vertical);
    // Takes the image's cell size as the widget's size and a share of the image (and of the
    // picture it is a piece of) while it shows it; the previous picture's share is dropped.
    void SetImage(Image* image);
    // Takes ownership of a private image, which it shares with any widget that shows it too.
    void SetOwnImageCopy(std::unique_ptr<Image> image);
    Image* GetImage() const { return mImage; }
    // Keeps a share of the mask, as of the image, while it is used.
    void SetMask(Image* mask);
    Image* GetMask() const { return mMaskImage; }
    void SetMaskRect(const FRect& rect);
    // The mask is stretched over the whole image again.
    void ClearMaskRect() {
        mMaskRectGiven = false;
        MarkDirty();
    }
    void SetTransformMode(bool on);
    void SetDrawMode(int mode);
    void SetBlendMode(int mode) { mBlendMode = mode; }
    void SetClipping(bool on);
    void SetTessellation(int cols, int rows);
    void SetTextureWrap(bool on);
    void SetCulling(bool on) { mCulling = on; }
    // Attaches the effect (none: draws plainly again), deleting the previous one, and feeds the
    // widget's clock to its constant "Clock" from then on.
    void SetShader(std::unique_ptr<ShaderEffect> effect);
    ShaderEffect* GetShader() const { return mShader.get(); }
    // Feeds the float field behind a field handle (a "_ptr" value) to the effect's constant of
    // that name at every draw; a handle whose field went feeds nothing.
    void SetShaderConstantSource(const std::string& name, int32_t handle);
    // false deletes the render cache; true creates one (rendered after 1 draw when soon, else 30).
    void SetCache(bool enable, bool soon);
    void SetFrame(int frame);
    void SetMaskFrame(int frame);
    // Crossfades from the current frame to frame over time (units of the widget's clock).
    void FadeToFrame(int frame, float time);
    // halfPeriod in fixed updates; count 0 blinks for ever; start is the counter's first value.
    void StartBlinking(int halfPeriod, int count, int start);
    void SetCheckPixels(bool on) { mCheckPixels = on; }

    // Finish actions: given true while idle, each acts at once; otherwise it waits for the end of
    // the first float update in which the widget is not animating.
    void SetRemoveWhenDone(bool on);
    void SetHideWhenDone(bool on);
    void SetClearFlagWhenDone(bool on);
    void SetResetEffectsWhenDone(bool on);

    void SetButtonListener(ButtonListener* listener) { mButtonListener.Set(listener); }
    ButtonListener* GetButtonListener() const { return mButtonListener.Get(); }

    // The transform, rebuilt when stale; acts about the image's (or the widget's) centre.
    const Transform& GetTransform();
    bool IsTransformNonTrivial();
    // The point (local) mapped into the image's pixels through the inverse transform.
    void MapToImage(float x, float y, float* outX, float* outY) const;
    // The intersection of the clip rectangles in local coordinates (left and top inside).
    FRect GetClipRect() const;

    // --- Widget operations ---
    void Update() override;
    void UpdateF(float elapsed) override;
    void UpdateAllF(WidgetFlagState& state, float elapsed) override;
    bool HasScheduledWork() const override;
    // HasScheduledWork as the animated widget itself answers it (its animated state and its
    // children), for a derived class that adds no updates of its own to answer with.
    bool AnimatedStateHasScheduledWork() const;
    void Draw(Graphics* g) override;
    void DrawAll(WidgetFlagState& state, Graphics* g) override;
    void DropKeptPicture() override;
    FRect ToParentRect(const FRect& rect) const override;
    FRect ToLocalRect(const FRect& rect) const override;
    Widget* FindWidgetAt(float x, float y, uint32_t flags, float* outX, float* outY) override;
    bool Contains(float x, float y) const override;
    bool IsPointInside(int x, int y) const override;
    void AddedToParent(WidgetContainer* parent) override;
    void RemovedFromParent(WidgetContainer* parent) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y) override;
    // Passed on to the parent when it listens to animations.
    void AnimationEvent(uint32_t id, const std::string& message) override;

    // --- state (script-visible names in quotes) ---
    std::string mScriptName;  // "id"
    float mZ = 0.0f;
    float mAngle = 0.0f;  // degrees
    float mAxisX = 0.0f, mAxisY = 0.0f, mAxisZ = 1.0f;
    int mFlipX = 1, mFlipY = 1;
    float mCenterX = 0.0f, mCenterY = 0.0f, mCenterZ = 0.0f;  // offsets from the middle
    float mAbsClipX1 = -1000000.0f, mAbsClipY1 = -1000000.0f;
    float mAbsClipX2 = 1000000.0f, mAbsClipY2 = 1000000.0f;
    float mRelClipX1 = -1000000.0f, mRelClipY1 = -1000000.0f;
    float mRelClipX2 = 1000000.0f, mRelClipY2 = 1000000.0f;
    float mScaleX = 1.0f, mScaleY = 1.0f;
    float mOpacity = 1.0f, mAlpha = 1.0f, mRed = 1.0f, mGreen = 1.0f, mBlue = 1.0f;
    float mShearX = 0.0f, mShearY = 0.0f, mShearXOffset = 0.0f, mShearYOffset = 0.0f;
    float mClock = 0.0f;       // seconds of float updates
    float mTimer = 1.0f;       // time scale handed to the subtree
    bool mEffectHeld = false;  // stopped by a test's hold on its effect (EffectHold)
    float mLastX = 0.0f, mLastY = 0.0f;
    float mCrossfadeWeight = 0.0f;
    int mPreviousFrame = -1;
    FrameSequence mFrames;
    FrameSequence mMaskFrames;
    bool mDepressOnlyWhenOver = true;

    int mBlinkCounter = 0;
    int mBlinkPeriod = 0;
    int mBlinksLeft = 0;

    bool mRemoveWhenDone = false;
    bool mHideWhenDone = false;
    bool mClearFlagWhenDone = false;
    bool mResetEffectsWhenDone = false;

    bool mTransformMode = false;
    int mDrawMode = kDrawOwn;
    bool mClipping = false;
    bool mCheckPixels = true;
    int mBlendMode = 0;
    bool mCulling = false;
    bool mTextureWrap = false;
    bool mTessellated = false;
    int mTessCols = 0, mTessRows = 0;

    bool mTransformChanged = true;

protected:
    // Nothing of this widget's own (controllers, effects, frames, blinking, a held button,
    // pending finish actions) would change in a coming update.
    bool IsAtRest() const;
    // Runs the stored finish actions (at most once each); the widget may be marked for removal.
    void RunFinishActions();
    // Draws the image (or its crossfade) once with the colour components given.
    void DrawImagePass(Graphics* g, Image* image, int frame, const Transform& transform,
                       bool transformed);
    void DrawOwnImage(Graphics* g, Image* image, int frame, float r, float gr, float b, float a);
    // Draw mode 1: the subtree into an intermediate picture of the destination's size, which is
    // then drawn with the widget's colour through the colour passes of the own draw.
    void DrawSubtreePostrendered(WidgetFlagState& state, Graphics* g);
    // Draws the subtree from the render cache (rendering it first when stale) and answers true;
    // false when the subtree is to be drawn directly this time.
    bool DrawThroughCache(WidgetFlagState& state, Graphics* g);

    Image* mImage = nullptr;
    // Shares of mImage and of the picture whose pixels it shows when it is a piece of another
    // (each null when nothing owns that picture through shared pointers): a picture made by
    // another widget stays while this one shows it, whatever happens to that widget.
    std::shared_ptr<Image> mImageShare;
    std::shared_ptr<Image> mBaseShare;
    // mImage was made or copied for this widget, which may draw into it.
    bool mOwnsImage = false;
    Image* mMaskImage = nullptr;
    std::shared_ptr<Image> mMaskShare;
    FRect mMaskRect;
    bool mMaskRectGiven = false;
    std::unique_ptr<ShaderEffect> mShader;
    // Constant name to field handle: the widget's own clock, or a field of any widget, which a
    // handle outlives safely.
    std::map<std::string, int32_t> mShaderConstants;

    struct RenderCache {
        std::unique_ptr<ImageSurface> target;
        bool followsPosition = true;
        float offsetX = 0.0f, offsetY = 0.0f;
        int countdown = 0;
        bool rendered = false;
        float cachedX = 0.0f, cachedY = 0.0f;
    };
    std::unique_ptr<RenderCache> mCache;

private:
    // Shows image (without resizing) and takes the shares of it that keep it alive.
    void HoldImage(Image* image);
    void BuildTransform();
    // An effect changes the widget's own picture at every update: where that picture is drawn
    // plainly in the widget's place, only its rectangle is drawn again, else the whole tree.
    void MarkEffectDrawn();
    void ApplyBlinkVisibility();
    void StepFrames(float dt);

    Transform mTransform;
    bool mTransformDirty = true;
    bool mTransformNonTrivial = false;
    ListenerSlot<ButtonListener> mButtonListener;
    // The fields by name; declared last so that it is destroyed first (its controllers point
    // into the fields above).
    PropertyModifiers mModifiers;
};
