// The drawing half of DynamicWidget: the own image with its colour passes, masks, blend modes,
// tessellation and crossfade, and the three ways of drawing the subtree.

#include <algorithm>
#include <cmath>

#include "core/expr/FieldRegistry.h"
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

// Draws through g once with the colour (r, gr, b, a) and, while a component is above 1, again
// with each lowered by 1 and alpha 0: premultiplied, such a pass adds light, so colours above
// white brighten instead of saturating. draw() issues the draw itself.
template <typename DrawFn>
void DrawInColorPasses(Graphics* g, float r, float gr, float b, float a, const DrawFn& draw) {
    const bool overbright = r > 1.0f || gr > 1.0f || b > 1.0f;
    const bool batching = g->GetBatching();
    if (overbright) {
        g->SetBatching(true);
    }
    const Color keptColor = g->GetColor();
    const bool keptColorize = g->GetColorizeImages();
    bool first = true;
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
        draw();
    }
    g->SetColor(keptColor);
    g->SetColorizeImages(keptColorize);
    if (overbright) {
        g->SetBatching(batching);
    }
}

// A pooled render target cleared to transparent (pooled targets keep what was drawn last).
ImageSurface* AcquireClearedSurface(int width, int height) {
    ImageSurface* target = Graphics::AcquireScratchSurface(width, height);
    if (D3DInterface* device = D3DInterface::Get(); device != nullptr) {
        device->ClearTarget(target, Rect(0, 0, width, height), Color(0, 0, 0, 0));
    }
    return target;
}

// A cleared target of the size of g's destination surface; null when g only measures. The
// perspective view depends on the target's size, so a picture drawn into a target of the
// destination's size lands on the same pixels it would have covered in the destination.
ImageSurface* AcquireDestinationSizedSurface(const Graphics* g) {
    const Image* destination = g->GetDestination();
    ImageSurface* base = destination != nullptr ? destination->GetBaseSurface() : nullptr;
    if (g->IsMeasuringOnly() || base == nullptr) {
        return nullptr;
    }
    return AcquireClearedSurface(base->GetWidth(), base->GetHeight());
}

// Places a fresh context over an intermediate target so that it draws where g draws: the same
// translation, clip, state matrix and font. Tint, colour and draw mode stay behind: they belong
// to the draw of the finished group.
void MirrorPlacement(const Graphics& g, Graphics* into) {
    if (g.HasTransform()) {
        Transform matrix;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                matrix.At(row, column) = g.GetRenderState().mMatrix.m[row][column];
            }
        }
        // Applied while the context is untranslated, so it is taken as it stands.
        into->ApplyTransform(matrix, false);
    }
    into->Translate(g.GetTranslateX(), g.GetTranslateY());
    into->ReplaceClipRect(g.GetClipRect());
    into->SetFont(g.GetFont());
}

}  // namespace

void DynamicWidget::DrawImagePass(Graphics* g, Image* image, int frame, const Transform& transform,
                                  bool transformed) {
    if (mMaskImage != nullptr) {
        const FRect place = mMaskRectGiven
                                ? mMaskRect
                                : FRect(0.0f, 0.0f, static_cast<float>(mMaskImage->GetCelWidth()),
                                        static_cast<float>(mMaskImage->GetCelHeight()));
        g->DrawImageMasked(image, frame, mMaskImage, mMaskFrames.mFrame, place,
                           transformed ? &transform : nullptr, 0.0f, 0.0f);
    } else if (mBlendMode >= 2 && mBlendMode <= 4) {
        if (transformed) {
            g->DrawImageWithBackdropTransformed(image, transform, frame, 0.0f, 0.0f);
        } else {
            g->DrawImageWithBackdrop(image, 0.0f, 0.0f, frame);
        }
    } else if (mTessellated) {
        g->DrawImageTessellated(image, transform, frame, 0.0f, 0.0f, std::max(1, mTessCols),
                                std::max(1, mTessRows));
    } else if (transformed) {
        g->DrawImageTransformed(image, transform, frame, 0.0f, 0.0f);
    } else if (mTextureWrap) {
        g->DrawImageStretchedSrc(image, image->GetCelRect(frame),
                                 FRect(0.0f, 0.0f,
                                       static_cast<float>(static_cast<int>(
                                           static_cast<float>(image->GetCelWidth()) * mScaleX)),
                                       static_cast<float>(static_cast<int>(
                                           static_cast<float>(image->GetCelHeight()) * mScaleY))));
    } else {
        g->DrawImage(image, 0.0f, 0.0f, frame);
    }
}

void DynamicWidget::DrawOwnImage(Graphics* g, Image* image, int frame, float r, float gr, float b,
                                 float a) {
    const Transform& transform = GetTransform();
    const bool transformed = mTransformNonTrivial && !mTransformMode;
    DrawInColorPasses(g, r, gr, b, a,
                      [&] { DrawImagePass(g, image, frame, transform, transformed); });
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
        for (const auto& [name, handle] : mShaderConstants) {
            if (const float* field = FieldRegistry::GetFloat(handle)) {
                mShader->SetConstants(name, *field);
            }
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
            composed = AcquireClearedSurface(image->GetCelWidth(), image->GetCelHeight());
            {
                Graphics mix(composed);
                mix.SetDrawMode(1);
                mix.SetColorizeImages(true);
                mix.SetColor(Color(255, 255, 255, static_cast<int>(w * 255.0f)));
                mix.DrawImage(image, 0.0f, 0.0f, mPreviousFrame);
                mix.SetColor(Color(255, 255, 255, static_cast<int>((1.0f - w) * 255.0f)));
                mix.DrawImage(image, 0.0f, 0.0f, frame);
            }  // the mix is sent when its context ends
            image = composed;
            frame = 0;
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

void DynamicWidget::DrawSubtreePostrendered(WidgetFlagState& state, Graphics* g) {
    ImageSurface* group = AcquireDestinationSizedSurface(g);
    if (group == nullptr) {
        Widget::DrawAll(state, g);
        return;
    }
    {
        Graphics inner(group);
        MirrorPlacement(*g, &inner);
        Widget::DrawAll(state, &inner);
    }  // the inner context sends its draws when it ends

    // The group is drawn once, in destination pixels, so overlapping children are tinted and
    // faded as one picture instead of showing through each other.
    Graphics outer(*g);
    outer.ClearTransform();
    outer.Translate(-outer.GetTranslateX(), -outer.GetTranslateY());
    const float o = mOpacity;
    DrawInColorPasses(&outer, mRed * o, mGreen * o, mBlue * o, mAlpha * o,
                      [&] { outer.DrawImage(group, 0.0f, 0.0f, 0); });
    // The pooled target may be handed out again only after its draw has been sent.
    outer.FlushBatch();
    Graphics::ReleaseScratchSurface(group);
}

bool DynamicWidget::DrawThroughCache(WidgetFlagState& state, Graphics* g) {
    const uint32_t passFlags = state.reachedBase ? state.overFlags : state.underFlags;
    if (!mCache || g->IsMeasuringOnly() ||
        (((passFlags | mFlagsAdd) & ~mFlagsRemove) & widgetflags::kDraw) == 0) {
        return false;
    }
    RenderCache& cache = *mCache;
    const float atX = g->GetTranslateX();
    const float atY = g->GetTranslateY();
    if (cache.followsPosition && (atX != cache.cachedX || atY != cache.cachedY)) {
        cache.countdown = 30;
        cache.rendered = false;
        cache.cachedX = atX;
        cache.cachedY = atY;
    }
    if (cache.countdown > 0) {
        // Still changing: the picture would be stale before it paid for itself.
        --cache.countdown;
        cache.rendered = false;
        return false;
    }
    // A following cache holds the subtree where it stands in the destination; another holds it
    // at its own origin and is drawn wherever the widget is.
    const float originX = cache.offsetX + (cache.followsPosition ? atX : 0.0f);
    const float originY = cache.offsetY + (cache.followsPosition ? atY : 0.0f);
    if (!cache.rendered) {
        const ImageSurface* base = g->GetDestination()->GetBaseSurface();
        if (base == nullptr) {
            return false;
        }
        if (!cache.target || cache.target->GetWidth() != base->GetWidth() ||
            cache.target->GetHeight() != base->GetHeight()) {
            cache.target = std::make_unique<ImageSurface>(true);
            cache.target->SetName("render cache");
            cache.target->Create(base->GetWidth(), base->GetHeight());
        }
        // A draw of the old picture may still wait in the batch.
        g->FlushBatch();
        if (D3DInterface* device = D3DInterface::Get(); device != nullptr) {
            device->ClearTarget(cache.target.get(),
                                Rect(0, 0, cache.target->GetWidth(), cache.target->GetHeight()),
                                Color(0, 0, 0, 0));
        }
        // Set first: a draw handler that marks the tree dirty makes this picture stale.
        cache.rendered = true;
        {
            Graphics inner(cache.target.get());
            inner.Translate(originX, originY);
            inner.SetFont(g->GetFont());
            Widget::DrawAll(state, &inner);
        }
    }
    const bool keptColorize = g->GetColorizeImages();
    g->SetColorizeImages(false);
    g->DrawImage(cache.target.get(), -originX, -originY, 0);
    g->SetColorizeImages(keptColorize);
    return true;
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
    if (DrawThroughCache(state, g)) {
        return;
    }
    if (mDrawMode == kDrawPostrender) {
        const float o = mOpacity;
        if (mRed * o == 1.0f && mGreen * o == 1.0f && mBlue * o == 1.0f && mAlpha * o == 1.0f) {
            Widget::DrawAll(state, g);
        } else if (o > 0.0f) {
            DrawSubtreePostrendered(state, g);
        }
        return;
    }
    Widget::DrawAll(state, g);
}
