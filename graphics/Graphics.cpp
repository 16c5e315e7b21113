#include "graphics/Graphics.h"

#include <algorithm>
#include <cassert>
#include <mutex>
#include <numeric>

#include "core/expr/MainThread.h"
#include "graphics/Image.h"
#include "graphics/ImageSurface.h"

struct Graphics::Layer {
    ImageSurface* mSurface = nullptr;
    std::shared_ptr<Layer> mParent;
    int mDrawMode = kDrawNormal;
    bool mEnded = false;
};

namespace {

uint32_t PackColor(const Color& c) {
    auto byte = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return byte(c.mRed) | (byte(c.mGreen) << 8) | (byte(c.mBlue) << 16) | (byte(c.mAlpha) << 24);
}

// The corners (clockwise from top-left) of the quad (0, 0)-(source size) through a matrix for
// column vectors.
void MatrixQuadCorners(const Matrix4& matrix, const Rect& source, float corners[4][3]) {
    float w = float(source.mWidth), h = float(source.mHeight);
    float local[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    const auto& m = matrix.m;
    for (int i = 0; i < 4; ++i) {
        float lx = local[i][0], ly = local[i][1];
        corners[i][0] = m[0][0] * lx + m[0][1] * ly + m[0][3];
        corners[i][1] = m[1][0] * lx + m[1][1] * ly + m[1][3];
        corners[i][2] = m[2][0] * lx + m[2][1] * ly + m[2][3];
    }
}

std::mutex gPoolLock;
std::vector<ImageSurface*> gPool;
constexpr size_t kMaxPooled = 12;
uint64_t gScratchTakes = 0;        // under gPoolLock
uint64_t gScratchTakesAtTrim = 0;  // under gPoolLock

}  // namespace

Graphics::Graphics(Image* destination) : mDestination(destination) {
    mBatch = std::make_shared<Batch>();
    if (destination == nullptr) {
        return;
    }
    mTarget = destination->GetBaseSurface();
    if (mTarget == nullptr) {
        return;
    }
    if (!mTarget->IsRenderTarget()) {
        mTarget->SetRenderTarget(true);
    }
    Point off = destination->GetBaseOffset();
    mState.mTransX = float(off.mX);
    mState.mTransY = float(off.mY);
    mState.mClip = Rect(off.mX, off.mY, destination->GetWidth(), destination->GetHeight());
}

Graphics::Graphics(const Graphics& other)
    : mDestination(other.mDestination),
      mTarget(other.mTarget),
      mState(other.mState),
      mBatch(other.mBatch) {}

Graphics::~Graphics() {
    if (Layer* layer = ActiveLayer(); layer != nullptr && mState.mLayer.use_count() == 1) {
        EndLayer(layer);
    }
    if (mBatch.use_count() == 1) {
        FlushBatch();
        // The last context of a drawing sends it all: a picture drawn outside the frame is
        // complete when its context ends, and the window's GL state is left as it was.
        if (D3DInterface* device = D3DInterface::Get(); device != nullptr && mTarget != nullptr) {
            device->Flush();
        }
    }
    if (mScratchTarget != nullptr) {
        ReleaseScratchSurface(mScratchTarget);
    }
}

void Graphics::CopyStateFrom(const Graphics& other) {
    if (!(mState.mRender == other.mState.mRender)) {
        FlushBatch();
    }
    Layer* mine = ActiveLayer();
    if (mine != nullptr) {
        // A layer begun below the other context's state ends when that state comes back.
        bool shared = false;
        for (Layer* l = other.mState.mLayer.get(); l != nullptr; l = l->mParent.get()) {
            shared = shared || (l == mine);
        }
        if (!shared) {
            EndLayer(mine);
        }
    }
    mState = other.mState;
}

// --- state ---

void Graphics::Translate(float dx, float dy) {
    mState.mTransX += dx;
    mState.mTransY += dy;
}

void Graphics::SetClipRect(int x, int y, int width, int height) {
    Rect r(int(float(x) + mState.mTransX), int(float(y) + mState.mTransY), width, height);
    mState.mClip = mState.mClip.Intersection(r);
}

void Graphics::ReplaceClipRect(const Rect& rect) {
    mState.mClip = rect;
}

void Graphics::ClearClipRect() {
    if (mTarget != nullptr) {
        // A piece of an atlas page is drawn into only within its own rectangle of the page.
        Point off = mDestination->GetBaseOffset();
        mState.mClip = Rect(off.mX, off.mY, mDestination->GetWidth(), mDestination->GetHeight());
    }
}

void Graphics::ApplyTransform(const Transform& transform, bool multiply) {
    FlushBatch();
    Transform local;
    local.Translate(mState.mTransX, mState.mTransY);
    local.Multiply(transform);
    local.ApplyTranslation(-mState.mTransX, -mState.mTransY);
    Matrix4 m = local.BuildMatrix();
    if (multiply && mState.mHasMatrix) {
        MatrixMultiply(&mState.mRender.mMatrix, mState.mRender.mMatrix, m);
    } else {
        mState.mRender.mMatrix = m;
    }
    mState.mHasMatrix = !mState.mRender.mMatrix.IsIdentity();
}

void Graphics::ClearTransform() {
    FlushBatch();
    mState.mRender.mMatrix = Matrix4();
    mState.mHasMatrix = false;
}

void Graphics::MultiplyTint(const Color& color) {
    if (mState.mTinting) {
        mState.mTint = mState.mTint.Multiply(color);
    } else {
        mState.mTint = color;
        mState.mTinting = true;
    }
}

void Graphics::SetDrawMode(int mode) {
    if (ActiveLayer() != nullptr) {
        return;
    }
    mState.mRender.mDrawMode = mode;
}

// --- batching and layers ---

void Graphics::SetBatching(bool on) {
    if (!on && mState.mBatching) {
        FlushBatch();
    }
    mState.mBatching = on;
}

namespace {

// The pixels a batched draw can touch, one pixel wider on each side for the filter; unbounded
// for a draw out of the flat plane, whose place on the target the perspective decides.
struct DrawBounds {
    float mLeft, mTop, mRight, mBottom;

    static DrawBounds Of(const DrawVertex* vertices, size_t count) {
        DrawBounds b{1e30f, 1e30f, -1e30f, -1e30f};
        for (size_t i = 0; i < count; ++i) {
            const DrawVertex& v = vertices[i];
            if (v.mZ > 1e-4f || v.mZ < -1e-4f) {
                return DrawBounds{-1e30f, -1e30f, 1e30f, 1e30f};
            }
            b.mLeft = std::min(b.mLeft, v.mX - 1.0f);
            b.mTop = std::min(b.mTop, v.mY - 1.0f);
            b.mRight = std::max(b.mRight, v.mX + 1.0f);
            b.mBottom = std::max(b.mBottom, v.mY + 1.0f);
        }
        return b;
    }
    bool Overlaps(const DrawBounds& o) const {
        return mLeft < o.mRight && o.mLeft < mRight && mTop < o.mBottom && o.mTop < mBottom;
    }
    void Add(const DrawBounds& o) {
        mLeft = std::min(mLeft, o.mLeft);
        mTop = std::min(mTop, o.mTop);
        mRight = std::max(mRight, o.mRight);
        mBottom = std::max(mBottom, o.mBottom);
    }
};

// How far back a draw looks for a group of its own state to join; bounds the flush's work.
constexpr size_t kMaxGroupLookBack = 48;

}  // namespace

void Graphics::FlushBatch() {
    Batch& batch = *mBatch;
    if (batch.mItems.empty()) {
        return;
    }
    D3DInterface* device = D3DInterface::Get();
    if (device == nullptr) {
        batch.mItems.clear();
        batch.mVertices.clear();
        return;
    }
    std::vector<size_t> order(batch.mItems.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&batch](size_t a, size_t b) {
        return batch.mItems[a].mPriority < batch.mItems[b].mPriority;
    });
    // Fewer state changes without changing a pixel: a draw joins the latest earlier group of
    // the same state when it overlaps nothing drawn after that group, so every pixel still sees
    // its draws in priority order, and no draw passes a draw into another target. Draws that
    // read the destination gather in groups of their own, whatever their state: moved only past
    // draws they do not overlap, each still reads the destination as the earlier draws left
    // it, and the device copies the destination once for a run of them that do not overlap.
    struct Group {
        const DrawKey* mKey;
        DrawBounds mBounds;
        bool mReadsDestination;
        std::vector<size_t> mItems;
    };
    std::vector<Group> groups;
    for (size_t index : order) {
        const BatchItem& item = batch.mItems[index];
        DrawBounds bounds = DrawBounds::Of(&batch.mVertices[item.mFirst], item.mCount);
        const bool readsDestination = DrawModeReadsDestination(item.mKey.mDrawMode);
        Group* joined = nullptr;
        size_t looked = 0;
        for (auto it = groups.rbegin(); it != groups.rend() && looked < kMaxGroupLookBack;
             ++it, ++looked) {
            const bool sameKind =
                readsDestination ? it->mReadsDestination && it->mKey->mTarget == item.mKey.mTarget
                                 : !it->mReadsDestination && *it->mKey == item.mKey;
            if (sameKind) {
                joined = &*it;
                break;
            }
            if (it->mKey->mTarget != item.mKey.mTarget || it->mBounds.Overlaps(bounds)) {
                break;
            }
        }
        if (joined != nullptr) {
            joined->mBounds.Add(bounds);
            joined->mItems.push_back(index);
        } else {
            groups.push_back(Group{&item.mKey, bounds, readsDestination, {index}});
        }
    }
    for (const Group& group : groups) {
        for (size_t index : group.mItems) {
            const BatchItem& item = batch.mItems[index];
            device->SubmitTriangles(item.mKey, &batch.mVertices[item.mFirst], item.mCount);
        }
    }
    batch.mItems.clear();
    batch.mVertices.clear();
}

Graphics::Layer* Graphics::ActiveLayer() const {
    for (Layer* l = mState.mLayer.get(); l != nullptr; l = l->mParent.get()) {
        if (!l->mEnded) {
            return l;
        }
    }
    return nullptr;
}

ImageSurface* Graphics::CurrentTarget() const {
    Layer* layer = ActiveLayer();
    return layer != nullptr ? layer->mSurface : mTarget;
}

bool Graphics::IsLayered() const {
    return ActiveLayer() != nullptr;
}

void Graphics::SetLayered(bool on) {
    if (mTarget == nullptr) {
        return;
    }
    Layer* active = ActiveLayer();
    if (on) {
        if (active != nullptr) {
            return;
        }
        FlushBatch();
        auto layer = std::make_shared<Layer>();
        layer->mSurface = AcquireScratchSurface(mTarget->GetWidth(), mTarget->GetHeight());
        layer->mParent = mState.mLayer;
        layer->mDrawMode = mState.mRender.mDrawMode;
        if (D3DInterface* device = D3DInterface::Get()) {
            device->ClearTarget(layer->mSurface,
                                Rect(0, 0, mTarget->GetWidth(), mTarget->GetHeight()),
                                Color(0, 0, 0, 0));
        }
        mState.mLayer = layer;
        mState.mRender.mDrawMode = kDrawNormal;
    } else if (active != nullptr) {
        EndLayer(active);
        mState.mRender.mDrawMode = active->mDrawMode;
        while (mState.mLayer && mState.mLayer->mEnded) {
            mState.mLayer = mState.mLayer->mParent;
        }
    }
}

void Graphics::EndLayer(Layer* layer) {
    FlushBatch();
    layer->mEnded = true;
    ImageSurface* below = CurrentTarget();  // the next live layer down, or the destination
    D3DInterface* device = D3DInterface::Get();
    if (device != nullptr && below != nullptr && layer->mSurface != nullptr) {
        DrawKey key;
        key.mTarget = below;
        key.mTexture = layer->mSurface;
        key.mClip = Rect(0, 0, below->GetWidth(), below->GetHeight());
        key.mDrawMode = layer->mDrawMode;
        float w = float(layer->mSurface->GetWidth());
        float h = float(layer->mSurface->GetHeight());
        uint32_t white = PackColor(Color::White);
        DrawVertex v[6] = {{0, 0, 0, 0, 0, 0, 0, white}, {w, 0, 0, 1, 0, 0, 0, white},
                           {w, h, 0, 1, 1, 0, 0, white}, {0, 0, 0, 0, 0, 0, 0, white},
                           {w, h, 0, 1, 1, 0, 0, white}, {0, h, 0, 0, 1, 0, 0, white}};
        device->SubmitTriangles(key, v, 6);
        device->Flush();
    }
    if (layer->mSurface != nullptr) {
        ReleaseScratchSurface(layer->mSurface);
        layer->mSurface = nullptr;
    }
}

// --- vertex building ---

DrawKey Graphics::MakeKey(ImageSurface* texture) const {
    // Inside a layer the draws go to the layer as they are; its mode applies when it ends.
    Layer* layer = ActiveLayer();
    DrawKey key;
    key.mTarget = layer != nullptr ? layer->mSurface : mTarget;
    key.mTexture = texture;
    key.mClip = mState.mClip;
    key.mDrawMode = layer != nullptr ? int(kDrawNormal) : mState.mRender.mDrawMode;
    key.mCull = mState.mRender.mCull;
    key.mWrap = mState.mRender.mWrap;
    key.mEffect = mState.mRender.mEffect;
    return key;
}

uint32_t Graphics::VertexColor(const Color& base) const {
    Color c = base.Premultiplied();
    if (mState.mTinting) {
        c = c.Multiply(mState.mTint.Premultiplied());
    }
    return PackColor(c);
}

uint32_t Graphics::ImageVertexColor() const {
    return VertexColor(mState.mColorize ? mState.mColor : Color::White);
}

void Graphics::FinishVertex(DrawVertex* v, float x, float y, float z) const {
    x += mState.mTransX;
    y += mState.mTransY;
    if (mState.mHasMatrix) {
        const auto& m = mState.mRender.mMatrix.m;
        float nx = m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3];
        float ny = m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3];
        float nz = m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3];
        x = nx;
        y = ny;
        z = nz;
    }
    v->mX = x;
    v->mY = y;
    v->mZ = z;
}

void Graphics::EmitQuad(const DrawKey& key, const float corners[4][3], const float uv[4][2],
                        uint32_t color, const float maskUV[4][2]) {
    DrawVertex quad[4];
    for (int i = 0; i < 4; ++i) {
        FinishVertex(&quad[i], corners[i][0], corners[i][1], corners[i][2]);
        quad[i].mU = uv[i][0];
        quad[i].mV = uv[i][1];
        quad[i].mMaskU = maskUV != nullptr ? maskUV[i][0] : 0.0f;
        quad[i].mMaskV = maskUV != nullptr ? maskUV[i][1] : 0.0f;
        quad[i].mColor = color;
    }
    // Two triangles, both clockwise on screen like the corners.
    DrawVertex tris[6] = {quad[0], quad[1], quad[2], quad[0], quad[2], quad[3]};
    Submit(key, tris, 6);
}

void Graphics::Submit(const DrawKey& key, const DrawVertex* vertices, size_t count) {
    if (mTarget == nullptr || key.mTarget == nullptr || key.mClip.IsEmpty()) {
        return;
    }
    assert(IsMainThread() && "Graphics draws on the main thread only");
    D3DInterface* device = D3DInterface::Get();
    if (device == nullptr) {
        return;
    }
    Batch& batch = *mBatch;
    if (mState.mBatching) {
        // Draws that read the destination are filed too: in priority order they read what the
        // draws before them in that order left.
        batch.mItems.push_back({mState.mBatchPriority, key, batch.mVertices.size(), count});
        batch.mVertices.insert(batch.mVertices.end(), vertices, vertices + count);
        return;
    }
    // Unbatched draws come after everything filed so far.
    FlushBatch();
    device->SubmitTriangles(key, vertices, count);
}

bool Graphics::SourceUV(Image* image, const Rect& source, float uv[4][2],
                        ImageSurface** base) const {
    if (image == nullptr || mTarget == nullptr) {
        return false;
    }
    ImageSurface* surface = image->GetBaseSurface();
    if (surface == nullptr || surface->GetWidth() <= 0 || surface->GetHeight() <= 0) {
        return false;
    }
    Point off = image->GetBaseOffset();
    float sw = float(surface->GetWidth());
    float sh = float(surface->GetHeight());
    float u0 = float(off.mX + source.mX) / sw;
    float v0 = float(off.mY + source.mY) / sh;
    float u1 = float(off.mX + source.mX + source.mWidth) / sw;
    float v1 = float(off.mY + source.mY + source.mHeight) / sh;
    float values[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    std::copy(&values[0][0], &values[0][0] + 8, &uv[0][0]);
    *base = surface;
    return true;
}

// --- drawing ---

void Graphics::FillRect(float x, float y, float width, float height) {
    if (mTarget == nullptr || width <= 0.0f || height <= 0.0f) {
        return;
    }
    float corners[4][3] = {
        {x, y, 0}, {x + width, y, 0}, {x + width, y + height, 0}, {x, y + height, 0}};
    float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    EmitQuad(MakeKey(nullptr), corners, uv, VertexColor(mState.mColor));
}

void Graphics::DrawRect(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    FillRect(float(x), float(y), float(width), 1.0f);
    if (height > 1) {
        FillRect(float(x), float(y + height - 1), float(width), 1.0f);
    }
    if (height > 2) {
        FillRect(float(x), float(y + 1), 1.0f, float(height - 2));
        if (width > 1) {
            FillRect(float(x + width - 1), float(y + 1), 1.0f, float(height - 2));
        }
    }
}

void Graphics::ClearRect(const Rect& rect) {
    if (mTarget == nullptr || rect.IsEmpty()) {
        return;
    }
    DrawKey key = MakeKey(nullptr);
    key.mDrawMode = kDrawNone;
    float x = float(rect.mX), y = float(rect.mY);
    float w = float(rect.mWidth), h = float(rect.mHeight);
    float corners[4][3] = {{x, y, 0}, {x + w, y, 0}, {x + w, y + h, 0}, {x, y + h, 0}};
    float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    EmitQuad(key, corners, uv, 0u);
}

void Graphics::DrawImage(Image* image, float x, float y, int cell) {
    if (image == nullptr) {
        return;
    }
    DrawImage(image, x, y, image->GetCelRect(cell));
}

void Graphics::DrawImage(Image* image, float x, float y, const Rect& source) {
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    float w = float(source.mWidth), h = float(source.mHeight);
    float corners[4][3] = {{x, y, 0}, {x + w, y, 0}, {x + w, y + h, 0}, {x, y + h, 0}};
    EmitQuad(MakeKey(base), corners, uv, ImageVertexColor());
}

void Graphics::DrawImageTransformed(Image* image, const Transform& transform, int cell, float x,
                                    float y) {
    if (image == nullptr) {
        return;
    }
    DrawImageTransformedSrc(image, transform, image->GetCelRect(cell), x, y);
}

void Graphics::DrawImageTransformedSrc(Image* image, const Transform& transform, const Rect& source,
                                       float x, float y) {
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    float hw = float(source.mWidth) * 0.5f, hh = float(source.mHeight) * 0.5f;
    float local[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
    float corners[4][3];
    for (int i = 0; i < 4; ++i) {
        float p[4];
        transform.TransformPoint(local[i][0], local[i][1], 0.0f, p);
        corners[i][0] = p[0] + x + hw;
        corners[i][1] = p[1] + y + hh;
        corners[i][2] = p[2];
    }
    EmitQuad(MakeKey(base), corners, uv, ImageVertexColor());
}

void Graphics::DrawImageStretched(Image* image, const FRect& dest) {
    if (image == nullptr) {
        return;
    }
    DrawImageStretchedSrc(image, Rect(0, 0, image->GetWidth(), image->GetHeight()), dest);
}

void Graphics::DrawImageStretchedSrc(Image* image, const Rect& source, const FRect& dest) {
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    float x = dest.mX, y = dest.mY, w = dest.mWidth, h = dest.mHeight;
    float corners[4][3] = {{x, y, 0}, {x + w, y, 0}, {x + w, y + h, 0}, {x, y + h, 0}};
    EmitQuad(MakeKey(base), corners, uv, ImageVertexColor());
}

void Graphics::DrawImageMatrix(Image* image, const Matrix4& matrix, const Rect& source) {
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    DrawKey key = MakeKey(base);
    key.mClip = Rect(0, 0, key.mTarget->GetWidth(), key.mTarget->GetHeight());
    // Unbatched: Submit sends what is filed first, then this draw.
    bool batching = mState.mBatching;
    mState.mBatching = false;
    float corners[4][3];
    MatrixQuadCorners(matrix, source, corners);
    EmitQuad(key, corners, uv, ImageVertexColor());
    mState.mBatching = batching;
}

void Graphics::DrawImageMatrixClipped(Image* image, const Matrix4& matrix, const Rect& source) {
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    float corners[4][3];
    MatrixQuadCorners(matrix, source, corners);
    EmitQuad(MakeKey(base), corners, uv, ImageVertexColor());
}

void Graphics::DrawImageWithBackdrop(Image* image, float x, float y, int cell) {
    // Submit copies the destination behind any draw whose mode reads it; the backdrop forms
    // exist so callers can say which draws need it.
    DrawImage(image, x, y, cell);
}

void Graphics::DrawImageWithBackdropTransformed(Image* image, const Transform& transform, int cell,
                                                float x, float y) {
    DrawImageTransformed(image, transform, cell, x, y);
}

void Graphics::DrawImageMasked(Image* image, int cell, Image* mask, int maskCell,
                               const FRect& place, const Transform* transform, float x, float y) {
    if (image == nullptr) {
        return;
    }
    Rect source = image->GetCelRect(cell);
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    ImageSurface* maskBase = mask != nullptr ? mask->GetBaseSurface() : nullptr;
    if (maskBase == nullptr || place.mWidth <= 0.0f || place.mHeight <= 0.0f) {
        return;  // nothing of the image lies under the mask
    }
    Rect maskCel = mask->GetCelRect(maskCell);
    Point moff = mask->GetBaseOffset();
    float mw = float(maskBase->GetWidth()), mh = float(maskBase->GetHeight());
    float w = float(source.mWidth), h = float(source.mHeight);
    float local[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    float maskUV[4][2];
    for (int i = 0; i < 4; ++i) {
        float mx = (local[i][0] - place.mX) * float(maskCel.mWidth) / place.mWidth;
        float my = (local[i][1] - place.mY) * float(maskCel.mHeight) / place.mHeight;
        maskUV[i][0] = (float(moff.mX + maskCel.mX) + mx) / mw;
        maskUV[i][1] = (float(moff.mY + maskCel.mY) + my) / mh;
    }
    float corners[4][3];
    for (int i = 0; i < 4; ++i) {
        if (transform != nullptr) {
            float p[4];
            transform->TransformPoint(local[i][0] - w * 0.5f, local[i][1] - h * 0.5f, 0.0f, p);
            corners[i][0] = p[0] + x + w * 0.5f;
            corners[i][1] = p[1] + y + h * 0.5f;
            corners[i][2] = p[2];
        } else {
            corners[i][0] = local[i][0] + x;
            corners[i][1] = local[i][1] + y;
            corners[i][2] = 0.0f;
        }
    }
    DrawKey key = MakeKey(base);
    key.mMask = maskBase;
    key.mMaskBounds[0] = float(moff.mX + maskCel.mX) / mw;
    key.mMaskBounds[1] = float(moff.mY + maskCel.mY) / mh;
    key.mMaskBounds[2] = float(moff.mX + maskCel.mX + maskCel.mWidth) / mw;
    key.mMaskBounds[3] = float(moff.mY + maskCel.mY + maskCel.mHeight) / mh;
    EmitQuad(key, corners, uv, ImageVertexColor(), maskUV);
}

void Graphics::DrawImageTessellated(Image* image, const Transform& transform, int cell, float x,
                                    float y, int cols, int rows) {
    if (image == nullptr) {
        return;
    }
    cols = std::clamp(cols, 1, 256);
    rows = std::clamp(rows, 1, 256);
    Rect source = image->GetCelRect(cell);
    float uv[4][2];
    ImageSurface* base = nullptr;
    if (!SourceUV(image, source, uv, &base)) {
        return;
    }
    float w = float(source.mWidth), h = float(source.mHeight);
    float u0 = uv[0][0], v0 = uv[0][1], du = uv[2][0] - u0, dv = uv[2][1] - v0;
    uint32_t color = ImageVertexColor();
    DrawKey key = MakeKey(base);
    // Every grid point goes through the transform once; the quads share them.
    std::vector<DrawVertex> grid(size_t(cols + 1) * size_t(rows + 1));
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= cols; ++c) {
            float fx = float(c) / float(cols), fy = float(r) / float(rows);
            float p[4];
            transform.TransformPoint(fx * w - w * 0.5f, fy * h - h * 0.5f, 0.0f, p);
            DrawVertex& v = grid[size_t(r) * size_t(cols + 1) + size_t(c)];
            FinishVertex(&v, p[0] + x + w * 0.5f, p[1] + y + h * 0.5f, p[2]);
            v.mU = u0 + fx * du;
            v.mV = v0 + fy * dv;
            v.mMaskU = v.mMaskV = 0.0f;
            v.mColor = color;
        }
    }
    std::vector<DrawVertex> tris;
    tris.reserve(size_t(cols) * size_t(rows) * 6);
    auto at = [&](int r, int c) { return grid[size_t(r) * size_t(cols + 1) + size_t(c)]; };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            DrawVertex tl = at(r, c), tr = at(r, c + 1), br = at(r + 1, c + 1), bl = at(r + 1, c);
            tris.insert(tris.end(), {tl, tr, br, tl, br, bl});
        }
    }
    Submit(key, tris.data(), tris.size());
}

// --- scratch surfaces ---

ImageSurface* Graphics::GetScratchTarget() {
    if (mTarget == nullptr) {
        return nullptr;
    }
    if (mScratchTarget == nullptr) {
        mScratchTarget = AcquireScratchSurface(mTarget->GetWidth(), mTarget->GetHeight());
    }
    return mScratchTarget;
}

ImageSurface* Graphics::AcquireScratchSurface(int width, int height) {
    {
        std::lock_guard<std::mutex> lock(gPoolLock);
        ++gScratchTakes;
        for (auto it = gPool.begin(); it != gPool.end(); ++it) {
            if ((*it)->GetWidth() == width && (*it)->GetHeight() == height) {
                ImageSurface* s = *it;
                gPool.erase(it);
                return s;
            }
        }
    }
    auto* s = new ImageSurface(true);
    s->SetName("scratch");
    s->Create(width, height);
    return s;
}

void Graphics::ReleaseScratchSurface(ImageSurface* surface) {
    if (surface == nullptr) {
        return;
    }
    ImageSurface* dropped = nullptr;
    {
        std::lock_guard<std::mutex> lock(gPoolLock);
        gPool.push_back(surface);
        if (gPool.size() > kMaxPooled) {
            dropped = gPool.front();
            gPool.erase(gPool.begin());
        }
    }
    delete dropped;
}

size_t Graphics::TrimScratchPool() {
    {
        std::lock_guard<std::mutex> lock(gPoolLock);
        if (gScratchTakes != gScratchTakesAtTrim) {
            gScratchTakesAtTrim = gScratchTakes;
            return 0;
        }
    }
    return FreeScratchPool();
}

size_t Graphics::FreeScratchPool() {
    std::vector<ImageSurface*> pool;
    {
        std::lock_guard<std::mutex> lock(gPoolLock);
        pool.swap(gPool);
    }
    size_t bytes = 0;
    for (ImageSurface* s : pool) {
        bytes += size_t(s->GetWidth()) * size_t(s->GetHeight()) * 4;
        delete s;
    }
    return bytes;
}
