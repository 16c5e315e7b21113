#pragma once
// The drawing context over a destination image: translation, clip, colour, tint, font, draw mode,
// state matrix, batching and layered drawing. A context over no destination only measures (text
// layout works, drawing does nothing). Drawing happens on the main thread.
//
// Colours: images are multiplied by the colour when colourising is on, and every draw by the
// tint when tinting is on (see Color for the premultiplied convention).
//
// Batching: while batching is on, draws are filed under the batch priority and sent to the device
// in priority order (equal priorities in the order drawn) by FlushBatch, ApplyTransform, a change
// of render state through CopyStateFrom, SetBatching(false), and the end of the last context that
// shares the batch. Copies of a context share its batch and its layer.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/Color.h"
#include "graphics/D3DInterface.h"
#include "graphics/FRect.h"
#include "graphics/Rect.h"
#include "graphics/RenderState.h"
#include "graphics/Transform.h"

class Font;
class Image;
class ImageSurface;
class ShaderEffect;

class Graphics {
public:
    // destination: the image drawn into (its base surface becomes a render target), or null for
    // a context that only measures. Not owned; must outlive the context.
    explicit Graphics(Image* destination = nullptr);
    Graphics(const Graphics& other);  // same destination, state, batch and layer
    Graphics& operator=(const Graphics&) = delete;
    ~Graphics();

    // Takes another context's state; flushes the batch first when the render states differ.
    void CopyStateFrom(const Graphics& other);

    bool IsMeasuringOnly() const { return mTarget == nullptr; }
    Image* GetDestination() const { return mDestination; }

    // --- state ---
    void Translate(float dx, float dy);
    float GetTranslateX() const { return mState.mTransX; }
    float GetTranslateY() const { return mState.mTransY; }
    // Translates the rectangle and intersects it with the clip.
    void SetClipRect(int x, int y, int width, int height);
    // Replaces the clip with a rectangle in destination pixels.
    void ReplaceClipRect(const Rect& rect);
    void ClearClipRect();  // the whole destination
    const Rect& GetClipRect() const { return mState.mClip; }
    // Flushes the batch, then multiplies the state matrix by transform (multiply) or replaces it.
    // transform is in the context's current coordinates: the translation is taken into account.
    void ApplyTransform(const Transform& transform, bool multiply = true);
    void ClearTransform();
    bool HasTransform() const { return mState.mHasMatrix; }
    void SetColor(const Color& color) { mState.mColor = color; }
    const Color& GetColor() const { return mState.mColor; }
    // Multiplies the tint; the first call sets it and switches tinting on.
    void MultiplyTint(const Color& color);
    bool IsTinting() const { return mState.mTinting; }
    const Color& GetTint() const { return mState.mTint; }
    void SetColorizeImages(bool on) { mState.mColorize = on; }
    bool GetColorizeImages() const { return mState.mColorize; }
    // 0 to 10 (see DrawMode); ignored while layered drawing is on.
    void SetDrawMode(int mode);
    int GetDrawMode() const { return mState.mRender.mDrawMode; }
    void SetCulling(bool on) { mState.mRender.mCull = on; }
    void SetTextureWrap(bool on) { mState.mRender.mWrap = on; }
    // The effect draws the images that follow in place of the device's own shaders (none: the
    // device's own); it is carried in the render state, so batches never mix two effects.
    void SetShaderEffect(ShaderEffect* effect) { mState.mRender.mEffect = effect; }
    void SetFont(Font* font) { mState.mFont = font; }
    Font* GetFont() const { return mState.mFont; }
    const RenderState& GetRenderState() const { return mState.mRender; }

    // --- batching and layers ---
    void SetBatching(bool on);  // clearing it flushes
    bool GetBatching() const { return mState.mBatching; }
    void AddBatchPriority(int value) { mState.mBatchPriority += value; }
    int GetBatchPriority() const { return mState.mBatchPriority; }
    void FlushBatch();
    // While on, drawing goes into a scratch surface of the destination's size, which is drawn
    // onto the destination (in the draw mode in force when layering began) when it goes off.
    void SetLayered(bool on);
    bool IsLayered() const;

    // --- drawing (coordinates in the context's space) ---
    void FillRect(float x, float y, float width, float height);
    // Outline with its corners at x + width - 1 and y + height - 1.
    void DrawRect(int x, int y, int width, int height);
    // Makes the rectangle fully transparent.
    void ClearRect(const Rect& rect);
    void DrawImage(Image* image, float x, float y, int cell = 0);
    void DrawImage(Image* image, float x, float y, const Rect& source);
    // The transform acts about the centre of the drawn cell, which untransformed lies at (x, y).
    void DrawImageTransformed(Image* image, const Transform& transform, int cell, float x, float y);
    void DrawImageTransformedSrc(Image* image, const Transform& transform, const Rect& source,
                                 float x, float y);
    void DrawImageStretched(Image* image, const FRect& dest);
    // With texture wrap on, a source larger than the image repeats it.
    void DrawImageStretchedSrc(Image* image, const Rect& source, const FRect& dest);
    // The source rectangle's quad (0, 0)-(width, height) through matrix (column vectors). The
    // plain form is drawn at once without clipping; the clipped form is clipped and batched.
    void DrawImageMatrix(Image* image, const Matrix4& matrix, const Rect& source);
    void DrawImageMatrixClipped(Image* image, const Matrix4& matrix, const Rect& source);
    // For the modes that read the destination: the area behind the image is copied first.
    void DrawImageWithBackdrop(Image* image, float x, float y, int cell = 0);
    void DrawImageWithBackdropTransformed(Image* image, const Transform& transform, int cell,
                                          float x, float y);
    // A cell with the alpha of a mask cell multiplied in; place is where the mask cell lies over
    // the image (image pixels), and nothing shows outside it. transform may be null.
    void DrawImageMasked(Image* image, int cell, Image* mask, int maskCell, const FRect& place,
                         const Transform* transform, float x, float y);
    // A cell drawn as cols x rows sub-quads, each corner through the transform.
    void DrawImageTessellated(Image* image, const Transform& transform, int cell, float x, float y,
                              int cols, int rows);

    // --- text (the current font and colour; a context without a font draws and measures 0) ---
    void DrawString(std::string_view text, float x, float y);  // y is the baseline
    // Draws text[offset, offset + length) justified in [x, x + width) (0 centre, 1 right, else
    // left) when draw is set; returns its width. A negative length, or one past the end, means
    // to the end.
    int WriteString(std::string_view text, float x, float y, int width, int justification,
                    bool draw = true, int offset = 0, int length = -1);
    // Word-wraps text into rect's width and draws it, the first baseline at rect.mY; lineSpacing
    // -1 takes the font's. Returns the height used (lines less one times the spacing, plus the
    // font's height less its ascent padding); widest receives the widest line's width.
    int DrawStringWordWrapped(const Rect& rect, std::string_view text, int lineSpacing = -1,
                              int justification = -1, int* widest = nullptr);
    // One unwrapped line (breaks only at "[br]" and newlines) justified within wrapWidth.
    int DrawStringJustified(float x, float y, std::string_view text, int wrapWidth,
                            int justification, int* widest = nullptr);
    int GetWordWrappedHeight(int width, std::string_view text, int lineSpacing = -1,
                             int* widest = nullptr);
    // The greedy word wrap: breaks at spaces so each line fits width, forced breaks at "[br]"
    // and newlines, and a word wider than width on a line of its own. Spaces inside a line stay
    // as written; those at a break or ending a paragraph are dropped.
    static std::vector<std::string> WrapText(const Font& font, std::string_view text, int width);

    // --- scratch surfaces ---
    // A render target of the destination's size, kept for this context; null when measuring.
    ImageSurface* GetScratchTarget();
    // A render target of the size from the shared pool (or a new one); contents undefined.
    // Any thread.
    static ImageSurface* AcquireScratchSurface(int width, int height);
    static void ReleaseScratchSurface(ImageSurface* surface);
    // Frees the pooled surfaces (on the main thread: at exit, or trimmed); returns the bytes their
    // pixels took.
    static size_t FreeScratchPool();
    // Frees the pooled surfaces when none was taken since the previous call, so that a screen
    // at rest does not keep a fade's screen-sized targets; returns the bytes their pixels took.
    // Main thread, at a steady period (a pool in use is kept).
    static size_t TrimScratchPool();

private:
    struct Layer;
    struct BatchItem {
        int mPriority;
        DrawKey mKey;
        size_t mFirst;
        size_t mCount;
    };
    struct Batch {
        std::vector<BatchItem> mItems;
        std::vector<DrawVertex> mVertices;
    };
    struct State {
        float mTransX = 0.0f;
        float mTransY = 0.0f;
        Rect mClip;
        Color mColor = Color::White;
        Color mTint = Color::White;
        bool mTinting = false;
        bool mColorize = false;
        RenderState mRender;
        bool mHasMatrix = false;
        Font* mFont = nullptr;
        bool mBatching = false;
        int mBatchPriority = 0;
        std::shared_ptr<Layer> mLayer;
    };

    ImageSurface* CurrentTarget() const;
    Layer* ActiveLayer() const;
    void EndLayer(Layer* layer);
    DrawKey MakeKey(ImageSurface* texture) const;
    // base premultiplied and tinted, packed for a vertex.
    uint32_t VertexColor(const Color& base) const;
    uint32_t ImageVertexColor() const;
    // Corners in context coordinates (clockwise from top-left) to a quad of two triangles.
    void EmitQuad(const DrawKey& key, const float corners[4][3], const float uv[4][2],
                  uint32_t color, const float maskUV[4][2] = nullptr);
    void Submit(const DrawKey& key, const DrawVertex* vertices, size_t count);
    void FinishVertex(DrawVertex* v, float x, float y, float z) const;
    bool SourceUV(Image* image, const Rect& source, float uv[4][2], ImageSurface** base) const;

    Image* mDestination = nullptr;
    ImageSurface* mTarget = nullptr;
    State mState;
    std::shared_ptr<Batch> mBatch;
    ImageSurface* mScratchTarget = nullptr;
};
