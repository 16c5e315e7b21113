#pragma once
// The render device: an OpenGL 3.3 core context on the application's SDL window, the textures and
// framebuffers of image surfaces, the draw pipeline (draw modes, scissor clipping, culling,
// texture wrap, masks, the perspective view) and presentation. One per process; every GL call
// happens on the thread that called Init (the main thread). Other threads may create and free
// surfaces: their GL objects are made and freed on the main thread.
//
// Everything is drawn into off-screen render targets, the screen image included, with row 0 at
// the top, so memory pixels, textures and targets share one orientation; Present copies the
// screen image to the window.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "graphics/Color.h"
#include "graphics/Matrix4.h"
#include "graphics/Rect.h"

struct SDL_Window;
class Image;
class ImageSurface;

// One vertex of a draw: position in target pixels before the perspective view (z away from the
// viewer), texture and mask coordinates (0..1 over the whole texture), and a premultiplied colour
// packed as R, G, B, A bytes.
struct DrawVertex {
    float mX, mY, mZ;
    float mU, mV;
    float mMaskU, mMaskV;
    uint32_t mColor;
};

// What must be equal for two draws to go out in one GL call.
struct DrawKey {
    ImageSurface* mTarget = nullptr;
    ImageSurface* mTexture = nullptr;     // null: untextured (a plain white texel)
    ImageSurface* mMask = nullptr;        // null: no mask
    float mMaskBounds[4] = {0, 0, 1, 1};  // the mask cell in texture coordinates (u0, v0, u1, v1)
    Rect mClip;                           // in target pixels
    int mDrawMode = 0;
    bool mCull = false;
    bool mWrap = false;

    bool operator==(const DrawKey& other) const;
};

class D3DInterface {
public:
    D3DInterface();
    ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    // The process-wide device while one is initialised; null otherwise.
    static D3DInterface* Get();

    // Asks SDL for a GL 3.3 core context; call before creating the window.
    static void SetContextAttributes();
    // Creates the GL context on the window (made with SDL_WINDOW_OPENGL), the pipeline and a
    // screen image of width by height pixels. False with GetRuntimeError set on failure.
    bool Init(SDL_Window* window, int width, int height);
    // As Init, but draws through a GL context the window system already made current on the
    // window; the device does not own it and leaves it alive at Shutdown.
    bool InitOnContext(SDL_Window* window, void* context, int width, int height);
    // Frees every GL object; surfaces keep their memory pixels. Called by the destructor.
    void Shutdown();
    bool IsInitialised() const { return mContext != nullptr; }

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    // The render target the frame is drawn into; owned by the device.
    ImageSurface* GetScreenImage() const { return mScreen.get(); }

    // Sends every pending draw to GL and leaves the window's own framebuffer bound with no
    // scissor, so GL calls of the window system between frames reach the window.
    void Flush();
    // Copies the screen image to the window (scaled to fit, centred) and swaps. On a failure the
    // device rebuilds its GL objects from the surfaces' memory pixels and answers false.
    bool Present();
    // Copies the screen image into the window rectangle given in window units from the top left
    // (the window system's letterboxed or stretched place for the design picture; scaled to
    // drawable pixels on high-density displays), without clearing or swapping: the window system
    // does both. With part (screen image pixels), when the window still holds the last frame,
    // only that part is copied where the picture is shown at its own size (the whole image
    // otherwise); shown, when given, receives the drawable pixels written, from the top left.
    // False, with the device rebuilt, on a failure.
    bool PresentInto(int x, int y, int width, int height, const Rect* part = nullptr,
                     Rect* shown = nullptr);
    // Drops and remakes every GL object (programs, buffers, textures, framebuffers).
    bool Rebuild();

    // Under the device lock: a new surface holding a copy of the screen image.
    std::unique_ptr<ImageSurface> SnapshotCursorImage();

    // Creates the texture of the image's base surface when missing, then uploads stale pixels.
    // Main thread.
    void EnsureImageTexture(Image* image);
    // Copies a surface's memory pixels into its texture. Main thread.
    void UploadBits(ImageSurface* surface);
    // Reads a render target's GPU content back into its memory pixels. Main thread.
    void ReadBackPixels(ImageSurface* surface);
    // Releases the texture and memory pixels of every image that can be decoded again from its
    // file, is not in the last presented frame and was not drawn for a few seconds (a screen
    // that went); they come back from the file when drawn or read. A screen at rest keeps what
    // it shows. Looks at most once a second; nowMs is the caller's clock. Returns
    // about how many bytes of pixels went. Main thread.
    size_t ReleaseUnusedImages(uint64_t nowMs);

    // Screen point (pixels) and depth (0 near plane .. 1 far plane) back to scene coordinates
    // through the inverse of the perspective view of the screen; out receives x, y, z.
    void UnprojectPoint(float x, float y, float depth, float out[3]) const;
    // The forward mapping: scene (x, y, z) to screen pixels and depth.
    void ProjectPoint(float x, float y, float z, float out[3]) const;

    // Queues triangles (count a multiple of 3) for drawing with the key's state.
    void SubmitTriangles(const DrawKey& key, const DrawVertex* vertices, size_t count);
    // Fills a rectangle of a target with a colour (premultiplied), ignoring blending.
    void ClearTarget(ImageSurface* target, const Rect& area, const Color& color);
    // Until ClearScreenLimit, every draw and clear into the screen image is clipped to area
    // (pixels): a frame that repaints only what changed keeps the rest of the last picture.
    // Draws still pending are sent first, under the limit they were made for.
    void SetScreenLimit(const Rect& area);
    void ClearScreenLimit();

    // Draw calls sent to GL since the last Present, and in the last presented frame.
    int GetDrawCallsThisFrame() const { return mDrawCalls; }
    int GetDrawCallsLastFrame() const { return mDrawCallsLastFrame; }
    void ResetDrawCallCount() { mDrawCalls = 0; }

    // Guards the device's surface set and screen snapshots against other threads.
    std::recursive_mutex& GetLock() { return mLock; }

    // Surface bookkeeping (ImageSurface calls these; any thread).
    void RegisterSurface(ImageSurface* surface);
    void UnregisterSurface(ImageSurface* surface);

private:
    // dw, dh: the window's drawable size; place: the screen image's place in it, from the top.
    // part: the screen image pixels to copy, or null for all; shown: the drawable pixels written.
    bool CopyScreenToWindow(int dw, int dh, const Rect& place, bool clearWindow, const Rect* part,
                            Rect* shown);
    void ReleaseTarget();
    struct Program {
        uint32_t mId = 0;
        int mView = -1, mTex = -1, mMask = -1, mUseMask = -1, mMaskBounds = -1;
        int mBackdrop = -1, mBackdropOrigin = -1, mMode = -1;
    };

    bool CreatePipeline();
    void DestroyPipeline();
    bool BuildProgram(Program* program, const char* fragmentSource);
    void DeleteSurfaceObjects(ImageSurface* surface);
    void FreePendingObjects();
    bool EnsureTexture(ImageSurface* surface);
    bool EnsureFramebuffer(ImageSurface* surface);
    void BindTarget(ImageSurface* target);
    void ApplyKeyState(const DrawKey& key);
    void DrawBatch();
    // Sends the pending draws when they read or write s, before s changes or goes.
    void DrawPendingUsing(const ImageSurface* s);
    // Uploads the vertices to the stream buffer and draws them with the state already applied.
    void DrawVertices(ImageSurface* target, const DrawVertex* vertices, size_t count);
    // The draw modes that read the destination: draws that do not overlap are queued to share
    // one copy of the destination, sent by DrawBatch.
    void QueueBackdropDraw(const DrawKey& key, const DrawVertex* vertices, size_t count);
    void DrawBackdropBatch();
    // The target pixels a destination-reading draw can touch, within its clip.
    Rect BackdropArea(const DrawKey& key, const DrawVertex* vertices, size_t count) const;
    // Appends vertices to the stream buffer; the index of the first one.
    size_t StreamVertices(const DrawVertex* vertices, size_t count);
    // Builds a program other than the normal one on its first use; false when it cannot be built.
    bool EnsureProgram(Program* program);
    Matrix4 TargetView(int width, int height) const;

    SDL_Window* mWindow = nullptr;
    void* mContext = nullptr;
    bool mOwnsContext = false;
    int mWidth = 0;
    int mHeight = 0;
    std::unique_ptr<ImageSurface> mScreen;

    struct BackdropDraw {
        DrawKey mKey;
        Rect mArea;     // the pixels it may touch, in target pixels
        size_t mFirst;  // its vertices in mVertices
        size_t mCount;
    };
    static constexpr size_t kMaxSharedBackdropDraws = 64;
    static constexpr size_t kStreamBufferBytes = size_t(1) << 20;

    Program mNormal;
    Program mBackdrop;
    Program mMultiply;
    uint32_t mVao = 0;
    uint32_t mVbo = 0;
    size_t mVboCapacity = 0;
    size_t mVboOffset = 0;  // where the next draw's vertices go in the stream buffer
    std::vector<BackdropDraw> mBackdropDraws;
    uint32_t mWhiteTexture = 0;
    uint32_t mBackdropTexture = 0;
    int mBackdropWidth = 0;
    int mBackdropHeight = 0;

    DrawKey mKey;
    bool mHaveKey = false;
    std::vector<DrawVertex> mVertices;
    ImageSurface* mBoundTarget = nullptr;

    int mDrawCalls = 0;
    int mDrawCallsLastFrame = 0;
    bool mHaveScreenLimit = false;
    Rect mScreenLimit;

    std::recursive_mutex mLock;
    std::unordered_set<ImageSurface*> mSurfaces;
    // Unused images: how often they are looked for, and how long unused before they go.
    static constexpr uint64_t kReleaseCheckMs = 1000;
    static constexpr uint64_t kReleaseAfterMs = 5000;
    uint64_t mLastReleaseMs = 0;
    uint64_t mFrame = 1;                         // frames presented, from 1
    std::vector<uint32_t> mPendingTextures;      // freed off the main thread
    std::vector<uint32_t> mPendingFramebuffers;  // freed off the main thread
};

// On a failed GL result (anything but GL_NO_ERROR) stores the context text with the GL error as
// the run-time error text and answers false.
bool D3DTestResult(uint32_t result, const char* context);
// The last run-time error text stored by D3DTestResult or a failed Init; empty when none.
std::string GetRuntimeError();
