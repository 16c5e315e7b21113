// The drawing half of DynamicWidget: the own image with its colour passes, masks, blend modes,
// tessellation and crossfade, and the three ways of drawing the subtree.

#include <algorithm>
#include <cmath>

#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/ShaderEffect.h"
#include "widgets/anim/DynamicWidget.h"

namespace {

int ClampToInt(float v) {
    return static_cast<int>(std::clamp(v, -1.0e8f, 1.0e8f));
}

// Clips g to a local float rectangle.
void ClipTo(Graphics* g, const FRect& rect) {
    const int left = ClampToInt(std::floor(rect.mX));
    const int top = ClampToInt(std::floor(rect.mY));
    const int right = ClampToInt(std::ceil(rect.mX + rect.mWidth));
    const int bottom = ClampToInt(std::ceil(rect.mY + rect.mHeight));
    g->SetClipRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// The clip intersection in g's local frame: the absolute rectangle made relative to where g
// draws the widget.
FRect LocalClip(const DynamicWidget& w, const Graphics* g) {
    const float gx = g->GetTranslateX();
    const float gy = g->GetTranslateY();
    const float left = std::max(w.mAbsClipX1 - gx, w.mRelClipX1);
    const float top = std::max(w.mAbsClipY1 - gy, w.mRelClipY1);
    const float right = std::min(w.mAbsClipX2 - gx, w.mRelClipX2);
    const float bottom = std::min(w.mAbsClipY2 - gy, w.mRelClipY2);
    return FRect(left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top));
}

}  // namespace

void DynamicWidget::DrawImagePass(Graphics* g, Image* image, int frame, const Transform& transform,
                                  bool transformed) {
    const float cx = static_cast<float>(image->GetCelWidth()) * 0.5f;
    const float cy = static_cast<float>(image->GetCelHeight()) * 0.5f;
    if (mMaskImage != nullptr) {
        const FRect place =
            mMaskRectGiven ? mMaskRect
                           : FRect(0.0f, 0.0f, static_cast<float>(mMaskImage->GetCelWidth()),
                                   static_cast<float>(mMaskImage->GetCelHeight()));
        g->DrawImageMasked(image, frame, mMaskImage, mMaskFrames.mFrame, place,
                           transformed ? &transform : nullptr, 0.0f, 0.0f);
    } else if (mBlendMode >= 2 && mBlendMode <= 4) {
        if (transformed) {
            g->DrawImageWithBackdropTransformed(image, transform, frame, cx, cy);
        } else {
            g->DrawImageWithBackdrop(image, 0.0f, 0.0f, frame);
        }
    } else if (mTessellated) {
        g->DrawImageTessellated(image, transform, frame, cx, cy, std::max(1, mTessCols),
                                std::max(1, mTessRows));
    } else if (transformed) {
        g->DrawImageTransformed(image, transform, frame, cx, cy);
    } else if (mTextureWrap) {
        g->DrawImageStretchedSrc(
            image, image->GetCelRect(frame),
            FRect(0.0f, 0.0f, static_cast<float>(static_cast<int>(cx * 2.0f * mScaleX)),
                  static_cast<float>(static_cast<int>(cy * 2.0f * mScaleY))));
    } else {
        g->DrawImage(image, 0.0f, 0.0f, frame);
    }
}

void DynamicWidget::DrawOwnImage(Graphics* g, Image* image, int frame, float r, float gr, float b,
                                 float a) {
    const Transform& transform = GetTransform();
    const bool transformed = mTransformNonTrivial && !mTransformMode;
    const bool overbright = r > 1.0f || gr > 1.0f || b > 1.0f;
    const bool batching = g->GetBatching();
    if (overbright) {
        g->SetBatching(true);
    }
    const Color keptColor = g->GetColor();
    const bool keptColorize = g->GetColorizeImages();
    bool first = true;
    // Overbright colours draw the image again, additively lighter each time, until every
    // component is at most 1.
    while (first || r > 1.0f || gr > 1.0f || b > 1.0f) {
        if (!first) {
            r -= 1.0f;
            gr -= 1.0f;
            b -= 1.0f;
            a = 0.0f;
        }
        first = false;
        if (r < 1.0f || gr < 1.0f || b < 1.0f || a < 1.0f) {
            g->SetColor(Color::FromFloats(r, gr, b, a));
            g->SetColorizeImages(true);
        } else {
            g->SetColorizeImages(keptColorize);
        }
        DrawImagePass(g, image, frame, transform, transformed);
    }
    g->SetColor(keptColor);
    g->SetColorizeImages(keptColorize);
    if (overbright) {
        g->SetBatching(batching);
    }
}

void DynamicWidget::Draw(Graphics* g) {
    if (mImage == nullptr || mOpacity <= 0.0f) {
        return;
    }
    const Rect keptClip = g->GetClipRect();
    const RenderState keptRender = g->GetRenderState();
    if (!mClipping) {
        ClipTo(g, LocalClip(*this, g));
    }
    g->SetDrawMode(mBlendMode);
    g->SetCulling(mCulling);
    g->SetTextureWrap(mTextureWrap);
    if (mShader) {
        for (const auto& [name, field] : mShaderConstants) {
            mShader->SetConstants(name, *field);
        }
        g->SetShaderEffect(mShader.get());
    }

    Image* image = mImage;
    int frame = mFrames.mFrame;
    ImageSurface* composed = nullptr;
    const float w = mCrossfadeWeight;
    const bool previousValid = mPreviousFrame >= 0 && mPreviousFrame < image->GetCelCount();
    if (w > 0.0f && previousValid) {
        if (w == 1.0f) {
            frame = mPreviousFrame;
        } else if ((image->GetFlags() & Image::kFlagComposable) != 0 && !g->IsMeasuringOnly()) {
            composed = Graphics::AcquireScratchSurface(image->GetCelWidth(), image->GetCelHeight());
            if (composed != nullptr) {
                composed->Create(image->GetCelWidth(), image->GetCelHeight());
                Graphics mix(composed);
                mix.SetDrawMode(1);
                mix.SetColorizeImages(true);
                mix.SetColor(Color(255, 255, 255, static_cast<int>(w * 255.0f)));
                mix.DrawImage(image, 0.0f, 0.0f, mPreviousFrame);
                mix.SetColor(Color(255, 255, 255, static_cast<int>((1.0f - w) * 255.0f)));
                mix.DrawImage(image, 0.0f, 0.0f, frame);
                mix.FlushBatch();
                image = composed;
                frame = 0;
            }
        }
    }

    float r = mRed * mOpacity;
    float gr = mGreen * mOpacity;
    float b = mBlue * mOpacity;
    float a = mAlpha * mOpacity;
    if (mDrawMode == kDrawPostrender || mDrawMode == kDrawInherit) {
        r = gr = b = a = 1.0f;
    }
    DrawOwnImage(g, image, frame, r, gr, b, a);

    if (composed != nullptr) {
        g->FlushBatch();
        Graphics::ReleaseScratchSurface(composed);
    }
    g->SetShaderEffect(keptRender.mEffect);
    g->SetDrawMode(keptRender.mDrawMode);
    g->SetCulling(keptRender.mCull);
    g->SetTextureWrap(keptRender.mWrap);
    g->ReplaceClipRect(keptClip);
}

void DynamicWidget::DrawSubtreeTinted(WidgetFlagState& state, Graphics* g) {
    const float o = mOpacity;
    g->MultiplyTint(Color::FromFloats(std::min(1.0f, mRed * o), std::min(1.0f, mGreen * o),
                                      std::min(1.0f, mBlue * o), std::min(1.0f, mAlpha * o)));
    Widget::DrawAll(state, g);
}

void DynamicWidget::DrawAll(WidgetFlagState& state, Graphics* g) {
    if (mClipping) {
        ClipTo(g, LocalClip(*this, g));
    }
    if (mDrawMode == kDrawInherit) {
        if (mOpacity <= 0.0f) {
            return;
        }
        g->MultiplyTint(Color::FromFloats(mRed * mOpacity, mGreen * mOpacity, mBlue * mOpacity,
                                          mAlpha * mOpacity));
    }
    if (mTransformMode && IsTransformNonTrivial()) {
        // The subtree turns about the widget's middle; the centre offsets do not apply here.
        const float keptX = mCenterX;
        const float keptY = mCenterY;
        const float keptZ = mCenterZ;
        mCenterX = mCenterY = mCenterZ = 0.0f;
        BuildTransform();
        Transform about;
        about.Translate(-static_cast<float>(mWidth) * 0.5f, -static_cast<float>(mHeight) * 0.5f);
        Transform whole = mTransform;
        whole.Multiply(about);
        Transform result;
        result.Translate(static_cast<float>(mWidth) * 0.5f, static_cast<float>(mHeight) * 0.5f);
        result.Multiply(whole);
        g->ApplyTransform(result);
        mCenterX = keptX;
        mCenterY = keptY;
        mCenterZ = keptZ;
        mTransformDirty = true;
    }
    if (mDrawMode == kDrawPostrender) {
        const float o = mOpacity;
        if (mRed * o == 1.0f && mGreen * o == 1.0f && mBlue * o == 1.0f && mAlpha * o == 1.0f) {
            Widget::DrawAll(state, g);
            return;
        }
        if (o <= 0.0f) {
            return;
        }
        // The group is tinted as one through the context's tint (an intermediate image would
        // keep overlapping children from showing through each other).
        DrawSubtreeTinted(state, g);
        return;
    }
    Widget::DrawAll(state, g);
}
