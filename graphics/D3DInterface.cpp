#include "graphics/D3DInterface.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <cstring>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "core/expr/MainThread.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "graphics/GlProgram.h"
#include "graphics/Image.h"
#include "graphics/ImageSurface.h"
#include "graphics/RenderState.h"
#include "graphics/ShaderEffect.h"

namespace {

std::atomic<D3DInterface*> gDevice{nullptr};
std::mutex gErrorLock;
std::string gRuntimeError;

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec2 aUV;
layout(location = 2) in vec2 aMaskUV;
layout(location = 3) in vec4 aColor;
uniform mat4 uView;
out vec2 vUV;
out vec2 vMaskUV;
out vec4 vColor;
void main() {
    gl_Position = uView * vec4(aPos, 1.0);
    vUV = aUV;
    vMaskUV = aMaskUV;
    vColor = aColor;
}
)";

// The source colour of the normal and multiply programs: the texel times the vertex colour,
// cut by the mask image's alpha where a mask is set.
const std::string kMaskedSourceFragment = std::string(R"(#version 330 core
in vec2 vUV;
in vec2 vMaskUV;
in vec4 vColor;
uniform sampler2D uTex;
)") + GlProgram::kMaskFunction + R"(vec4 MaskedSource() {
    return texture(uTex, vUV) * vColor * MaskAlpha(vMaskUV);
}
)";

// Textures hold premultiplied colour, and so does the vertex colour: their product is the
// premultiplied source, blended with (1, 1 - source alpha) in the normal mode.
const std::string kNormalFragment = kMaskedSourceFragment + R"(out vec4 oColor;
void main() {
    oColor = MaskedSource();
}
)";

// Multiply in the blending unit, with no copy of the destination. With premultiplied colours
// the separable multiply composite is
//   s.rgb (1 - b.a) + b.rgb (s'.rgb + 1 - s.a)
// (s' the source clamped to its alpha, as the backdrop shader's unpremultiply clamps it), so
// the second output carries the factor for the destination and the first is the source.
const std::string kMultiplyFragment = kMaskedSourceFragment + R"(
layout(location = 0, index = 0) out vec4 oColor;
layout(location = 0, index = 1) out vec4 oDestFactor;
void main() {
    vec4 c = MaskedSource();
    oColor = c;
    oDestFactor = vec4(clamp(c.rgb, 0.0, c.a) + (1.0 - c.a), 1.0);
}
)";

// The modes that read the destination composite the source over a copy of what lies behind it,
// with the separable blend functions applied where both are present.
const std::string kBackdropFragment = kMaskedSourceFragment + R"(
uniform sampler2D uBackdrop;
uniform ivec2 uBackdropOrigin;
uniform int uMode;
out vec4 oColor;
vec3 Unpremultiply(vec4 c) { return c.a > 0.0 ? clamp(c.rgb / c.a, 0.0, 1.0) : vec3(0.0); }
float SoftLight(float cb, float cs) {
    if (cs <= 0.5) {
        return cb - (1.0 - 2.0 * cs) * cb * (1.0 - cb);
    }
    float d = cb <= 0.25 ? ((16.0 * cb - 12.0) * cb + 4.0) * cb : sqrt(cb);
    return cb + (2.0 * cs - 1.0) * (d - cb);
}
float Overlay(float cb, float cs) {
    return cb <= 0.5 ? 2.0 * cs * cb : 1.0 - 2.0 * (1.0 - cs) * (1.0 - cb);
}
void main() {
    vec4 s = MaskedSource();
    vec4 b = texelFetch(uBackdrop, ivec2(gl_FragCoord.xy) - uBackdropOrigin, 0);
    vec3 cs = Unpremultiply(s);
    vec3 cb = Unpremultiply(b);
    vec3 mixed;
    if (uMode == 2) {
        mixed = cs * cb;
    } else if (uMode == 3) {
        mixed = vec3(Overlay(cb.r, cs.r), Overlay(cb.g, cs.g), Overlay(cb.b, cs.b));
    } else {
        mixed = vec3(SoftLight(cb.r, cs.r), SoftLight(cb.g, cs.g), SoftLight(cb.b, cs.b));
    }
    vec3 rgb = s.rgb * (1.0 - b.a) + b.rgb * (1.0 - s.a) + s.a * b.a * mixed;
    oColor = vec4(rgb, s.a + b.a * (1.0 - s.a));
}
)";

void SetRuntimeError(const std::string& text) {
    std::lock_guard<std::mutex> lock(gErrorLock);
    gRuntimeError = text;
}

uint32_t PremultiplyARGB(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 255) {
        return p;
    }
    if (a == 0) {
        return 0;
    }
    uint32_t r = (((p >> 16) & 0xFF) * a + 127) / 255;
    uint32_t g = (((p >> 8) & 0xFF) * a + 127) / 255;
    uint32_t b = ((p & 0xFF) * a + 127) / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Loads straight ARGB pixels into the bound texture: premultiplied into RGBA, or, for a surface
// of straight white, their alpha alone into one channel (which is also each premultiplied
// channel). A fresh texture without pixels is made transparent, an old one keeps its content.
void UploadPixels(const std::vector<uint32_t>& pixels, int w, int h, bool fresh, bool oneChannel) {
    const size_t count = size_t(w) * size_t(h);
    const bool whole = pixels.size() == count;
    if (!whole && !fresh) {
        return;
    }
    std::vector<uint32_t> premultiplied;
    std::vector<uint8_t> coverage;
    const void* data = nullptr;
    if (oneChannel) {
        assert(std::all_of(
                   pixels.begin(), pixels.end(),
                   [](uint32_t p) { return p < 0x01000000u || (p & 0xFFFFFFu) == 0xFFFFFFu; }) &&
               "a white-coverage surface holds a pixel that is not white");
        coverage.resize(count, 0);
        if (whole) {
            std::transform(pixels.begin(), pixels.end(), coverage.begin(),
                           [](uint32_t p) { return uint8_t(p >> 24); });
        }
        data = coverage.data();
    } else {
        premultiplied.resize(count, 0u);
        if (whole) {
            std::transform(pixels.begin(), pixels.end(), premultiplied.begin(), PremultiplyARGB);
        }
        data = premultiplied.data();
    }
    const GLenum format = oneChannel ? GL_RED : GL_BGRA;
    const GLenum type = oneChannel ? GL_UNSIGNED_BYTE : GL_UNSIGNED_INT_8_8_8_8_REV;
    // Rows of single bytes are packed: a width that is not a multiple of 4 has no row padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, oneChannel ? 1 : 4);
    if (fresh) {
        glTexImage2D(GL_TEXTURE_2D, 0, oneChannel ? GL_R8 : GL_RGBA8, w, h, 0, format, type, data);
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, format, type, data);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

uint32_t UnpremultiplyARGB(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 255 || a == 0) {
        return a == 0 ? 0 : p;
    }
    auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}

}  // namespace

bool DrawKey::operator==(const DrawKey& o) const {
    return mTarget == o.mTarget && mTexture == o.mTexture && mMask == o.mMask &&
           (mMask == nullptr ||
            std::memcmp(mMaskBounds, o.mMaskBounds, sizeof(mMaskBounds)) == 0) &&
           mClip == o.mClip && mDrawMode == o.mDrawMode && mCull == o.mCull && mWrap == o.mWrap &&
           mEffect == o.mEffect;
}

bool D3DTestResult(uint32_t result, const char* context) {
    if (result == GL_NO_ERROR) {
        return true;
    }
    SetRuntimeError(StrFormat("%s: GL error 0x%04X", context, unsigned(result)));
    return false;
}

std::string GetRuntimeError() {
    std::lock_guard<std::mutex> lock(gErrorLock);
    return gRuntimeError;
}

D3DInterface::D3DInterface() = default;

D3DInterface::~D3DInterface() {
    Shutdown();
}

D3DInterface* D3DInterface::Get() {
    return gDevice.load();
}

void D3DInterface::SetContextAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

bool D3DInterface::Init(SDL_Window* window, int width, int height) {
    if (mContext != nullptr) {
        return true;
    }
    if (window == nullptr || width <= 0 || height <= 0) {
        SetRuntimeError("Render device: no window to draw into");
        return false;
    }
    void* context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        SetRuntimeError(
            StrFormat("Render device: can't create an OpenGL 3.3 context (%s)", SDL_GetError()));
        return false;
    }
    if (!InitOnContext(window, context, width, height)) {
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
        return false;
    }
    mOwnsContext = true;
    return true;
}

bool D3DInterface::InitOnContext(SDL_Window* window, void* context, int width, int height) {
    if (mContext != nullptr) {
        return true;
    }
    if (window == nullptr || context == nullptr || width <= 0 || height <= 0) {
        SetRuntimeError("Render device: no window to draw into");
        return false;
    }
    mWindow = window;
    mContext = context;
    mOwnsContext = false;
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(mContext));
    mWidth = width;
    mHeight = height;
    if (!CreatePipeline()) {
        mContext = nullptr;
        return false;
    }
    gDevice.store(this);
    mScreen = std::make_unique<ImageSurface>(true);
    mScreen->SetName("screen");
    mScreen->Create(width, height);
    // The screen lives in its texture: its memory copy (3 MiB at 1024x768) goes with the
    // upload, as every render target's does, and is made again only when something reads the
    // pixels back (a snapshot, a saved picture).
    if (EnsureFramebuffer(mScreen.get())) {
        ReleaseTarget();
    }
    return true;
}

void D3DInterface::Shutdown() {
    if (mContext == nullptr) {
        return;
    }
    mHaveKey = false;
    mVertices.clear();
    mBackdropDraws.clear();
    mScreen.reset();
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        for (ImageSurface* s : mSurfaces) {
            // Render targets keep their picture in memory once the device is gone.
            if (s->mRenderTarget && s->mPixels.empty()) {
                ReadBackPixels(s);
            }
            DeleteSurfaceObjects(s);
        }
        mSurfaces.clear();
    }
    FreePendingObjects();
    DestroyPipeline();
    gDevice.store(nullptr);
    if (mOwnsContext) {
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(mContext));
    }
    mContext = nullptr;
    mOwnsContext = false;
}

bool D3DInterface::BuildProgram(Program* program, const char* fragmentSource) {
    std::string log;
    GLuint vs = GlProgram::Compile(GL_VERTEX_SHADER, kVertexShader, &log);
    GLuint fs = vs == 0 ? 0 : GlProgram::Compile(GL_FRAGMENT_SHADER, fragmentSource, &log);
    if (vs == 0 || fs == 0) {
        glDeleteShader(vs);
        SetRuntimeError(StrFormat("Render device: shader compile failed: %s", log.c_str()));
        return false;
    }
    GLuint id = GlProgram::Link(vs, fs, &log);
    if (id == 0) {
        SetRuntimeError(StrFormat("Render device: shader link failed: %s", log.c_str()));
        return false;
    }
    program->mId = id;
    program->mView = glGetUniformLocation(id, "uView");
    program->mTex = glGetUniformLocation(id, "uTex");
    program->mMask = glGetUniformLocation(id, "uMask");
    program->mUseMask = glGetUniformLocation(id, "uUseMask");
    program->mMaskBounds = glGetUniformLocation(id, "uMaskBounds");
    program->mBackdrop = glGetUniformLocation(id, "uBackdrop");
    program->mBackdropOrigin = glGetUniformLocation(id, "uBackdropOrigin");
    program->mMode = glGetUniformLocation(id, "uMode");
    glUseProgram(id);
    glUniform1i(program->mTex, 0);
    glUniform1i(program->mMask, 1);
    glUniform1i(program->mBackdrop, 2);
    return true;
}

bool D3DInterface::EnsureProgram(Program* program) {
    if (program->mId != 0) {
        return true;
    }
    const char* source =
        program == &mMultiply ? kMultiplyFragment.c_str() : kBackdropFragment.c_str();
    if (!BuildProgram(program, source)) {
        static std::atomic<bool> sWarned{false};
        if (!sWarned.exchange(true)) {
            LogWarning("%s", GetRuntimeError().c_str());
        }
        return false;
    }
    return true;
}

bool D3DInterface::CreatePipeline() {
    // Only the program of the normal modes is built now; the others wait for their first draw,
    // since many runs never use them and each costs a compile at start-up.
    if (!BuildProgram(&mNormal, kNormalFragment.c_str())) {
        return false;
    }
    glGenVertexArrays(1, &mVao);
    glBindVertexArray(mVao);
    glGenBuffers(1, &mVbo);
    glBindBuffer(GL_ARRAY_BUFFER, mVbo);
    const GLsizei stride = sizeof(DrawVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(DrawVertex, mX)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(DrawVertex, mU)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(DrawVertex, mMaskU)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(DrawVertex, mColor)));
    mVboCapacity = 0;

    const uint32_t white = 0xFFFFFFFFu;
    glGenTextures(1, &mWhiteTexture);
    glBindTexture(GL_TEXTURE_2D, mWhiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    glDisable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    mBoundTarget = nullptr;
    return D3DTestResult(glGetError(), "Render device: creating the pipeline");
}

void D3DInterface::DestroyPipeline() {
    ShaderEffect::DropPrograms();
    glDeleteProgram(mNormal.mId);
    glDeleteProgram(mBackdrop.mId);
    glDeleteProgram(mMultiply.mId);
    mNormal = Program();
    mBackdrop = Program();
    mMultiply = Program();
    mBackdropDraws.clear();
    mVboOffset = 0;
    glDeleteBuffers(1, &mVbo);
    glDeleteVertexArrays(1, &mVao);
    glDeleteTextures(1, &mWhiteTexture);
    glDeleteTextures(1, &mBackdropTexture);
    mVbo = mVao = mWhiteTexture = mBackdropTexture = 0;
    mBackdropWidth = mBackdropHeight = 0;
    mVboCapacity = 0;
    mBoundTarget = nullptr;
}

void D3DInterface::RegisterSurface(ImageSurface* surface) {
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mSurfaces.insert(surface);
}

void D3DInterface::UnregisterSurface(ImageSurface* surface) {
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mSurfaces.find(surface) == mSurfaces.end()) {
        return;
    }
    if (IsMainThread()) {
        // The pending draws may still read or write this surface: send them while it exists.
        DrawPendingUsing(surface);
        if (mBoundTarget == surface) {
            mBoundTarget = nullptr;
        }
    }
    // Erased only now: sending the pending draws may have (re)made its objects.
    mSurfaces.erase(surface);
    DeleteSurfaceObjects(surface);
}

void D3DInterface::DeleteSurfaceObjects(ImageSurface* s) {
    auto& d = s->mDevice;
    if (d.mTexture == 0 && d.mFramebuffer == 0) {
        return;
    }
    if (IsMainThread() && mContext != nullptr) {
        glDeleteFramebuffers(1, &d.mFramebuffer);
        glDeleteTextures(1, &d.mTexture);
    } else {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        if (d.mTexture != 0) {
            mPendingTextures.push_back(d.mTexture);
        }
        if (d.mFramebuffer != 0) {
            mPendingFramebuffers.push_back(d.mFramebuffer);
        }
    }
    d.mTexture = 0;
    d.mFramebuffer = 0;
    d.mTexWidth = d.mTexHeight = 0;
    d.mTextureStale = true;
}

void D3DInterface::FreePendingObjects() {
    std::vector<uint32_t> textures, framebuffers;
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        textures.swap(mPendingTextures);
        framebuffers.swap(mPendingFramebuffers);
    }
    if (!framebuffers.empty()) {
        glDeleteFramebuffers(GLsizei(framebuffers.size()), framebuffers.data());
    }
    if (!textures.empty()) {
        glDeleteTextures(GLsizei(textures.size()), textures.data());
    }
}

bool D3DInterface::EnsureTexture(ImageSurface* s) {
    auto& d = s->mDevice;
    int w = s->GetWidth();
    int h = s->GetHeight();
    if (w <= 0 || h <= 0) {
        return false;
    }
    d.mUsed = true;
    d.mLastUseFrame = mFrame;
    const bool oneChannel = s->IsWhiteCoverage();
    if (d.mTexture != 0 && (d.mTexWidth != w || d.mTexHeight != h || d.mOneChannel != oneChannel)) {
        DeleteSurfaceObjects(s);
    }
    bool fresh = false;
    if (d.mTexture == 0) {
        glGenTextures(1, &d.mTexture);
        glBindTexture(GL_TEXTURE_2D, d.mTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        if (oneChannel) {
            // Premultiplied white with alpha a is (a, a, a, a): every channel reads the coverage,
            // so shaders, blending and filtering see what the full colour texture gave them.
            const GLint swizzle[4] = {GL_RED, GL_RED, GL_RED, GL_RED};
            glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
        }
        d.mOneChannel = oneChannel;
        d.mWrap = false;
        d.mTexWidth = w;
        d.mTexHeight = h;
        d.mTextureStale = true;
        fresh = true;
        std::lock_guard<std::recursive_mutex> lock(mLock);
        mSurfaces.insert(s);
    }
    if (d.mTextureStale) {
        if (s->mPixels.empty() && s->mSource && !s->mRenderTarget) {
            // Dropped after an earlier upload, or released while unused: decode the file again.
            s->ReloadPixels();
        }
        glBindTexture(GL_TEXTURE_2D, d.mTexture);
        UploadPixels(s->mPixels, w, h, fresh, oneChannel);
        d.mTextureStale = false;
        d.mMemoryStale = false;
        if (s->MayDropPixels()) {
            // The texture holds the picture now; the file gives it back when it is read.
            std::vector<uint32_t>().swap(s->mPixels);
        } else if (s->mRenderTarget) {
            // A render target lives in its texture, drawn into on the GPU: its memory copy
            // (often a full screen of zeros) would only go stale. A reader reads it back.
            std::vector<uint32_t>().swap(s->mPixels);
            d.mMemoryStale = true;
        }
    }
    return true;
}

size_t D3DInterface::ReleaseUnusedImages(uint64_t nowMs) {
    if (mContext == nullptr || nowMs < mLastReleaseMs + kReleaseCheckMs) {
        return 0;
    }
    mLastReleaseMs = nowMs;
    std::vector<ImageSurface*> unused;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    for (ImageSurface* s : mSurfaces) {
        auto& d = s->mDevice;
        if (d.mUsed || d.mLastUseMs == 0) {
            // Also a surface seen for the first time: a loader may still be filling it.
            d.mUsed = false;
            d.mLastUseMs = nowMs;
        } else if (nowMs - d.mLastUseMs >= kReleaseAfterMs && d.mLastUseFrame + 1 < mFrame &&
                   s->mSource && !s->mRenderTarget &&
                   (d.mTexture != 0 || !s->mPixels.empty() || !s->mAlpha.empty())) {
            unused.push_back(s);
        }
    }
    size_t bytes = 0;
    for (ImageSurface* s : unused) {
        bytes += size_t(s->GetWidth()) * size_t(s->GetHeight()) * 4;
        // Changes the surface set: outside the walk over it.
        s->ReleaseMemory();
    }
    return bytes;
}

bool D3DInterface::EnsureFramebuffer(ImageSurface* s) {
    assert(!s->IsWhiteCoverage() && "a white-coverage surface (a glyph page) is never drawn into");
    if (!EnsureTexture(s)) {
        return false;
    }
    auto& d = s->mDevice;
    if (d.mFramebuffer == 0) {
        glGenFramebuffers(1, &d.mFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, d.mFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, d.mTexture, 0);
        mBoundTarget = nullptr;
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            LogWarning("Render device: image '%s' can't be drawn into (%dx%d)",
                       s->GetName().c_str(), s->GetWidth(), s->GetHeight());
            glDeleteFramebuffers(1, &d.mFramebuffer);
            d.mFramebuffer = 0;
            return false;
        }
    }
    return true;
}

void D3DInterface::BindTarget(ImageSurface* target) {
    if (mBoundTarget == target) {
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target->mDevice.mFramebuffer);
    glViewport(0, 0, target->GetWidth(), target->GetHeight());
    mBoundTarget = target;
}

Matrix4 D3DInterface::TargetView(int width, int height) const {
    // Targets keep row 0 at the top, where GL puts row 0 at the bottom: flip y in clip space.
    Matrix4 view = BuildPerspectiveView(width, height);
    for (int r = 0; r < 4; ++r) {
        view.m[r][1] = -view.m[r][1];
    }
    return view;
}

void D3DInterface::ApplyKeyState(const DrawKey& key) {
    ImageSurface* target = key.mTarget;
    Rect clip = key.mClip.Intersection(Rect(0, 0, target->GetWidth(), target->GetHeight()));
    if (mHaveScreenLimit && target == mScreen.get()) {
        clip = clip.Intersection(mScreenLimit);
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(clip.mX, clip.mY, clip.mWidth, clip.mHeight);
    if (key.mCull) {
        glEnable(GL_CULL_FACE);
    } else {
        glDisable(GL_CULL_FACE);
    }
    switch (key.mDrawMode) {
        case kDrawAdditive:
            glEnable(GL_BLEND);
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_ONE, GL_ONE);
            break;
        case kDrawSubtractive:
            glEnable(GL_BLEND);
            glBlendEquationSeparate(GL_FUNC_REVERSE_SUBTRACT, GL_FUNC_ADD);
            glBlendFuncSeparate(GL_ONE, GL_ONE, GL_ZERO, GL_ONE);
            break;
        case kDrawMultiply:
            glEnable(GL_BLEND);
            glBlendEquation(GL_FUNC_ADD);
            glBlendFuncSeparate(GL_ONE_MINUS_DST_ALPHA, GL_SRC1_COLOR, GL_ONE_MINUS_DST_ALPHA,
                                GL_ONE);
            break;
        case kDrawNone:
        case kDrawOverlay:
        case kDrawSoftLight:
            // The backdrop modes computed the whole composite in the shader.
            glDisable(GL_BLEND);
            break;
        default:
            glEnable(GL_BLEND);
            glBlendEquation(GL_FUNC_ADD);
            glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            break;
    }
    glActiveTexture(GL_TEXTURE0);
    if (key.mTexture != nullptr) {
        auto& d = key.mTexture->mDevice;
        glBindTexture(GL_TEXTURE_2D, d.mTexture);
        if (d.mWrap != key.mWrap) {
            GLint mode = key.mWrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
            d.mWrap = key.mWrap;
        }
    } else {
        glBindTexture(GL_TEXTURE_2D, mWhiteTexture);
    }
    if (key.mMask != nullptr) {
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, key.mMask->mDevice.mTexture);
        glActiveTexture(GL_TEXTURE0);
    }
}

void D3DInterface::SubmitTriangles(const DrawKey& key, const DrawVertex* vertices, size_t count) {
    if (mContext == nullptr || key.mTarget == nullptr || count == 0) {
        return;
    }
    if (DrawModeReadsDestination(key.mDrawMode)) {
        QueueBackdropDraw(key, vertices, count);
        return;
    }
    if (!mBackdropDraws.empty()) {
        DrawBatch();
    }
    if (!mHaveKey || !(key == mKey)) {
        DrawBatch();
        mKey = key;
        mHaveKey = true;
    }
    mVertices.insert(mVertices.end(), vertices, vertices + count);
    // Pending draws count as drawn: a pixel read now must send them and read back.
    key.mTarget->mDevice.mMemoryStale = true;
}

void D3DInterface::DrawPendingUsing(const ImageSurface* s) {
    if (mHaveKey && (mKey.mTarget == s || mKey.mTexture == s || mKey.mMask == s)) {
        DrawBatch();
    }
    for (const BackdropDraw& draw : mBackdropDraws) {
        if (draw.mKey.mTarget == s || draw.mKey.mTexture == s || draw.mKey.mMask == s) {
            DrawBatch();
            break;
        }
    }
}

size_t D3DInterface::StreamVertices(const DrawVertex* vertices, size_t count) {
    glBindVertexArray(mVao);
    glBindBuffer(GL_ARRAY_BUFFER, mVbo);
    const size_t bytes = count * sizeof(DrawVertex);
    if (mVboOffset + bytes > mVboCapacity) {
        // Fresh storage (orphaning) only when the buffer is used up, so the driver never waits
        // for draws still reading the old one; in between, draws append at growing offsets.
        mVboCapacity = std::max({mVboCapacity, bytes, kStreamBufferBytes});
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mVboCapacity), nullptr, GL_STREAM_DRAW);
        mVboOffset = 0;
    }
    void* dest = glMapBufferRange(
        GL_ARRAY_BUFFER, GLintptr(mVboOffset), GLsizeiptr(bytes),
        GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (dest != nullptr) {
        std::memcpy(dest, vertices, bytes);
        glUnmapBuffer(GL_ARRAY_BUFFER);
    } else {
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(mVboOffset), GLsizeiptr(bytes), vertices);
    }
    const size_t first = mVboOffset / sizeof(DrawVertex);
    mVboOffset += bytes;
    return first;
}

void D3DInterface::DrawVertices(ImageSurface* target, const DrawVertex* vertices, size_t count) {
    const size_t first = StreamVertices(vertices, count);
    glDrawArrays(GL_TRIANGLES, GLint(first), GLsizei(count));
    ++mDrawCalls;
    target->mDevice.mMemoryStale = true;
}

void D3DInterface::DrawBatch() {
    if (!mBackdropDraws.empty()) {
        DrawBackdropBatch();
        return;
    }
    if (!mHaveKey || mVertices.empty()) {
        mVertices.clear();
        return;
    }
    const DrawKey& key = mKey;
    if ((key.mTexture != nullptr && key.mTexture == key.mTarget) ||
        (key.mMask != nullptr && key.mMask == key.mTarget)) {
        static std::atomic<bool> sWarned{false};
        if (!sWarned.exchange(true)) {
            LogWarning("Render device: image '%s' was drawn into itself; the draw is skipped",
                       key.mTarget->GetName().c_str());
        }
        mVertices.clear();
        return;
    }
    if ((key.mTexture != nullptr && !EnsureTexture(key.mTexture)) ||
        (key.mMask != nullptr && !EnsureTexture(key.mMask)) || !EnsureFramebuffer(key.mTarget)) {
        mVertices.clear();
        return;
    }
    Program* program = key.mDrawMode == kDrawMultiply ? &mMultiply : &mNormal;
    if (!EnsureProgram(program)) {
        mVertices.clear();
        return;
    }
    BindTarget(key.mTarget);
    Matrix4 view = TargetView(key.mTarget->GetWidth(), key.mTarget->GetHeight());
    // Multiply needs the device's second output: such a draw goes without its effect.
    const float* maskBounds = key.mMask != nullptr ? key.mMaskBounds : nullptr;
    const bool effect = key.mEffect != nullptr && key.mDrawMode != kDrawMultiply &&
                        key.mEffect->Use(view, maskBounds);
    if (!effect) {
        glUseProgram(program->mId);
        glUniformMatrix4fv(program->mView, 1, GL_FALSE, &view.m[0][0]);
        glUniform1i(program->mUseMask, maskBounds != nullptr ? 1 : 0);
        if (maskBounds != nullptr) {
            glUniform4fv(program->mMaskBounds, 1, maskBounds);
        }
    }
    ApplyKeyState(key);
    DrawVertices(key.mTarget, mVertices.data(), mVertices.size());
    mVertices.clear();
}

Rect D3DInterface::BackdropArea(const DrawKey& key, const DrawVertex* vertices,
                                size_t count) const {
    int tw = key.mTarget->GetWidth();
    int th = key.mTarget->GetHeight();
    Matrix4 view = TargetView(tw, th);
    // The screen area the draw can touch: its projected bounding box within the clip.
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (size_t i = 0; i < count; ++i) {
        float p[4] = {vertices[i].mX, vertices[i].mY, vertices[i].mZ, 1.0f};
        TransformPoint4(p, p, view);
        if (p[3] <= 1e-6f) {
            // Behind the viewer: take the whole clip rather than guess.
            minX = minY = -1e30f;
            maxX = maxY = 1e30f;
            break;
        }
        float x = (p[0] / p[3] + 1.0f) * 0.5f * float(tw);
        float y = (p[1] / p[3] + 1.0f) * 0.5f * float(th);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    auto clampInt = [](float v, int lo, int hi) {
        return int(std::clamp(v, float(lo), float(hi)));
    };
    int x0 = clampInt(std::floor(minX) - 1.0f, 0, tw);
    int y0 = clampInt(std::floor(minY) - 1.0f, 0, th);
    int x1 = clampInt(std::ceil(maxX) + 1.0f, 0, tw);
    int y1 = clampInt(std::ceil(maxY) + 1.0f, 0, th);
    return Rect(x0, y0, x1 - x0, y1 - y0).Intersection(key.mClip);
}

void D3DInterface::QueueBackdropDraw(const DrawKey& key, const DrawVertex* vertices, size_t count) {
    Rect area = BackdropArea(key, vertices, count);
    if (area.IsEmpty()) {
        return;
    }
    // Draws that do not overlap read nothing another one writes, so one copy of the destination
    // serves them all; an overlapping one must see the earlier ones' result and starts afresh.
    bool shareCopy = !mBackdropDraws.empty() && mBackdropDraws.size() < kMaxSharedBackdropDraws &&
                     mBackdropDraws.front().mKey.mTarget == key.mTarget;
    for (size_t i = 0; shareCopy && i < mBackdropDraws.size(); ++i) {
        shareCopy = mBackdropDraws[i].mArea.Intersection(area).IsEmpty();
    }
    // The normal batch and the queued backdrop draws share mVertices, never both at once.
    const bool normalPending = mBackdropDraws.empty() && !mVertices.empty();
    if (normalPending || (!mBackdropDraws.empty() && !shareCopy)) {
        DrawBatch();
    }
    mBackdropDraws.push_back(BackdropDraw{key, area, mVertices.size(), count});
    mVertices.insert(mVertices.end(), vertices, vertices + count);
    key.mTarget->mDevice.mMemoryStale = true;
}

void D3DInterface::DrawBackdropBatch() {
    std::vector<BackdropDraw> draws;
    draws.swap(mBackdropDraws);
    ImageSurface* target = draws.front().mKey.mTarget;
    if (!EnsureFramebuffer(target) || !EnsureProgram(&mBackdrop)) {
        mVertices.clear();
        return;
    }
    int x0 = target->GetWidth();
    int y0 = target->GetHeight();
    int x1 = 0;
    int y1 = 0;
    for (BackdropDraw& draw : draws) {
        const DrawKey& key = draw.mKey;
        if ((key.mTexture != nullptr && (key.mTexture == target || !EnsureTexture(key.mTexture))) ||
            (key.mMask != nullptr && (key.mMask == target || !EnsureTexture(key.mMask)))) {
            draw.mCount = 0;  // a draw into itself, or a texture that cannot be made: skipped
            continue;
        }
        x0 = std::min(x0, draw.mArea.mX);
        y0 = std::min(y0, draw.mArea.mY);
        x1 = std::max(x1, draw.mArea.mX + draw.mArea.mWidth);
        y1 = std::max(y1, draw.mArea.mY + draw.mArea.mHeight);
    }
    if (x1 <= x0 || y1 <= y0) {
        mVertices.clear();
        return;
    }
    const Rect area(x0, y0, x1 - x0, y1 - y0);
    BindTarget(target);
    glActiveTexture(GL_TEXTURE2);
    if (mBackdropTexture == 0 || mBackdropWidth < area.mWidth || mBackdropHeight < area.mHeight) {
        if (mBackdropTexture == 0) {
            glGenTextures(1, &mBackdropTexture);
        }
        mBackdropWidth = std::max(mBackdropWidth, area.mWidth);
        mBackdropHeight = std::max(mBackdropHeight, area.mHeight);
        glBindTexture(GL_TEXTURE_2D, mBackdropTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, mBackdropWidth, mBackdropHeight, 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glBindTexture(GL_TEXTURE_2D, mBackdropTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, area.mX, area.mY, area.mWidth, area.mHeight);
    glActiveTexture(GL_TEXTURE0);

    glUseProgram(mBackdrop.mId);
    Matrix4 view = TargetView(target->GetWidth(), target->GetHeight());
    glUniformMatrix4fv(mBackdrop.mView, 1, GL_FALSE, &view.m[0][0]);
    glUniform2i(mBackdrop.mBackdropOrigin, area.mX, area.mY);
    const size_t first = StreamVertices(mVertices.data(), mVertices.size());
    int mode = -1;
    for (const BackdropDraw& draw : draws) {
        const DrawKey& key = draw.mKey;
        if (draw.mCount == 0) {
            continue;
        }
        if (key.mDrawMode != mode) {
            mode = key.mDrawMode;
            glUniform1i(mBackdrop.mMode, mode);
        }
        glUniform1i(mBackdrop.mUseMask, key.mMask != nullptr ? 1 : 0);
        if (key.mMask != nullptr) {
            glUniform4fv(mBackdrop.mMaskBounds, 1, key.mMaskBounds);
        }
        DrawKey state = key;
        state.mClip = draw.mArea;
        ApplyKeyState(state);
        glDrawArrays(GL_TRIANGLES, GLint(first + draw.mFirst), GLsizei(draw.mCount));
        ++mDrawCalls;
    }
    target->mDevice.mMemoryStale = true;
    mVertices.clear();
}

void D3DInterface::Flush() {
    if (mContext == nullptr) {
        return;
    }
    DrawBatch();
    if (IsMainThread()) {
        FreePendingObjects();
    }
    ReleaseTarget();
}

void D3DInterface::ReleaseTarget() {
    // The window system clears and draws the window between our frames with its own GL calls;
    // a render target left bound or a scissor left on would take those calls instead.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    mBoundTarget = nullptr;
    glDisable(GL_SCISSOR_TEST);
}

void D3DInterface::ClearTarget(ImageSurface* target, const Rect& area, const Color& color) {
    if (mContext == nullptr || target == nullptr) {
        return;
    }
    DrawBatch();
    if (!EnsureFramebuffer(target)) {
        return;
    }
    Rect clip = area.Intersection(Rect(0, 0, target->GetWidth(), target->GetHeight()));
    if (mHaveScreenLimit && target == mScreen.get()) {
        clip = clip.Intersection(mScreenLimit);
    }
    if (clip.IsEmpty()) {
        return;
    }
    BindTarget(target);
    Color c = color.Premultiplied();
    glEnable(GL_SCISSOR_TEST);
    glScissor(clip.mX, clip.mY, clip.mWidth, clip.mHeight);
    glClearColor(float(c.mRed) / 255.0f, float(c.mGreen) / 255.0f, float(c.mBlue) / 255.0f,
                 float(c.mAlpha) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    target->mDevice.mMemoryStale = true;
    ReleaseTarget();
}

void D3DInterface::SetScreenLimit(const Rect& area) {
    DrawBatch();
    mScreenLimit = area;
    mHaveScreenLimit = true;
}

void D3DInterface::ClearScreenLimit() {
    DrawBatch();
    mHaveScreenLimit = false;
}

void D3DInterface::EnsureImageTexture(Image* image) {
    if (mContext == nullptr || image == nullptr) {
        return;
    }
    ImageSurface* s = image->GetBaseSurface();
    if (s == nullptr) {
        return;
    }
    DrawPendingUsing(s);
    EnsureTexture(s);
}

void D3DInterface::UploadBits(ImageSurface* surface) {
    if (mContext == nullptr || surface == nullptr) {
        return;
    }
    DrawPendingUsing(surface);
    surface->mDevice.mTextureStale = true;
    EnsureTexture(surface);
}

void D3DInterface::ReadBackPixels(ImageSurface* s) {
    if (mContext == nullptr || s == nullptr || !s->mDevice.mMemoryStale) {
        return;
    }
    DrawPendingUsing(s);
    int w = s->GetWidth();
    int h = s->GetHeight();
    if (s->mDevice.mFramebuffer == 0 && s->mDevice.mTexture != 0 && s->mRenderTarget) {
        // Uploaded but never drawn into: its picture is in the texture alone.
        EnsureFramebuffer(s);
    }
    if (s->mDevice.mFramebuffer == 0 || w <= 0 || h <= 0) {
        s->mDevice.mMemoryStale = false;
        return;
    }
    BindTarget(s);
    s->mPixels.resize(size_t(w) * size_t(h));
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, s->mPixels.data());
    for (uint32_t& p : s->mPixels) {
        p = UnpremultiplyARGB(p);
    }
    s->mDevice.mMemoryStale = false;
    ReleaseTarget();
}

std::unique_ptr<ImageSurface> D3DInterface::SnapshotCursorImage() {
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mContext == nullptr || !mScreen) {
        return nullptr;
    }
    Flush();
    mScreen->GetPixelData();
    // The screen's memory copy is stale after the next frame, yet would stay: the snapshot
    // takes it, and a later reader reads the screen back again.
    std::vector<uint32_t> pixels;
    pixels.swap(mScreen->mPixels);
    mScreen->mDevice.mMemoryStale = true;
    auto copy = std::make_unique<ImageSurface>();
    copy->SetName("screen copy");
    if (pixels.size() == size_t(mWidth) * size_t(mHeight)) {
        copy->SetPixels(mWidth, mHeight, std::move(pixels));
    } else {
        copy->Create(mWidth, mHeight);
    }
    return copy;
}

bool D3DInterface::Present() {
    if (mContext == nullptr || !mScreen) {
        return false;
    }
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(mWindow, &dw, &dh);
    // Fit the design size into the window, keeping its aspect ratio.
    const double scale = dw > 0 && dh > 0 ? std::min(double(dw) / mWidth, double(dh) / mHeight) : 0;
    const int w = int(mWidth * scale);
    const int h = int(mHeight * scale);
    if (!CopyScreenToWindow(dw, dh, Rect((dw - w) / 2, (dh - h) / 2, w, h), true, nullptr,
                            nullptr)) {
        return false;
    }
    SDL_GL_SwapWindow(mWindow);
    return true;
}

bool D3DInterface::PresentInto(int x, int y, int width, int height, const Rect* part, Rect* shown) {
    if (mContext == nullptr || !mScreen) {
        return false;
    }
    // The window system measures the window in its own units; on a high-density display the
    // drawable has more pixels than that.
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(mWindow, &ww, &wh);
    SDL_GL_GetDrawableSize(mWindow, &dw, &dh);
    if (ww > 0 && wh > 0 && (ww != dw || wh != dh)) {
        const double sx = double(dw) / ww;
        const double sy = double(dh) / wh;
        const int right = int(std::lround((x + width) * sx));
        const int bottom = int(std::lround((y + height) * sy));
        x = int(std::lround(x * sx));
        y = int(std::lround(y * sy));
        width = right - x;
        height = bottom - y;
    }
    return CopyScreenToWindow(dw, dh, Rect(x, y, width, height), false, part, shown);
}

bool D3DInterface::CopyScreenToWindow(int dw, int dh, const Rect& place, bool clearWindow,
                                      const Rect* part, Rect* shown) {
    Flush();
    // Images drawn from here on belong to the next frame.
    ++mFrame;
    if (!EnsureFramebuffer(mScreen.get())) {
        return false;
    }
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mScreen->mDevice.mFramebuffer);
    glViewport(0, 0, dw, dh);
    if (clearWindow) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (shown != nullptr) {
        *shown = place;
    }
    if (!place.IsEmpty()) {
        // At the picture's own size every pixel lands on a pixel: the plain copy gives the same
        // picture as the filtered one, for less work on a software driver, and a part of it is
        // exactly that part of the whole copy. A scaled part would be filtered with other
        // neighbours at its edges than in the whole copy, so a scaled picture goes whole.
        const bool sameSize = place.mWidth == mWidth && place.mHeight == mHeight;
        Rect from(0, 0, mWidth, mHeight);
        Rect to = place;
        if (part != nullptr && sameSize) {
            from = from.Intersection(*part);
            to = Rect(place.mX + from.mX, place.mY + from.mY, from.mWidth, from.mHeight);
        }
        if (!from.IsEmpty()) {
            // Source row 0 is the top; the window's row 0 is the bottom: blit upside down.
            const int bottom = dh - to.mY - to.mHeight;
            glBlitFramebuffer(from.mX, from.mY, from.mX + from.mWidth, from.mY + from.mHeight,
                              to.mX, bottom + to.mHeight, to.mX + to.mWidth, bottom,
                              GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
        }
        if (shown != nullptr) {
            *shown = to;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    mBoundTarget = nullptr;
    mDrawCallsLastFrame = mDrawCalls;
    mDrawCalls = 0;
    GLenum error = glGetError();
    if (!D3DTestResult(error, "Present")) {
        LogWarning("Render device: presenting failed (%s); rebuilding", GetRuntimeError().c_str());
        Rebuild();
        return false;
    }
    return true;
}

bool D3DInterface::Rebuild() {
    if (mContext == nullptr) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mHaveKey = false;
    mVertices.clear();
    mBackdropDraws.clear();
    // Save what render targets hold while it can still be read; the rest comes from memory.
    for (ImageSurface* s : mSurfaces) {
        ReadBackPixels(s);
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    for (ImageSurface* s : mSurfaces) {
        DeleteSurfaceObjects(s);
    }
    FreePendingObjects();
    DestroyPipeline();
    return CreatePipeline();
}

void D3DInterface::ProjectPoint(float x, float y, float z, float out[3]) const {
    ProjectPerspectivePoint(mWidth, mHeight, x, y, z, out);
}

void D3DInterface::UnprojectPoint(float x, float y, float depth, float out[3]) const {
    UnprojectPerspectivePoint(mWidth, mHeight, x, y, depth, out);
}
