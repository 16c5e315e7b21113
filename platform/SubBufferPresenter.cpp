#include "platform/SubBufferPresenter.h"

#include <SDL.h>

#include <cstring>

namespace {

// From the GLX headers, which this file does without (Xlib types are passed as plain handles).
constexpr int kGlxScreen = 0x800C;

bool HasWord(const char* list, const char* word) {
    const size_t length = std::strlen(word);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, word)) != nullptr;
         at += length) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

template <typename Fn>
Fn Lookup(const char* name) {
    return reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
}

}  // namespace

bool SubBufferPresenter::Find() {
    mCopy = nullptr;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return false;
    }
    using CurrentContextFn = void* (*)();
    using QueryContextFn = int (*)(void* display, void* context, int attribute, int* value);
    using QueryExtensionsFn = const char* (*)(void* display, int screen);
    const auto currentContext = Lookup<CurrentContextFn>("glXGetCurrentContext");
    const auto queryContext = Lookup<QueryContextFn>("glXQueryContext");
    const auto queryExtensions = Lookup<QueryExtensionsFn>("glXQueryExtensionsString");
    mDisplay = Lookup<CurrentDisplayFn>("glXGetCurrentDisplay");
    mDrawable = Lookup<CurrentDrawableFn>("glXGetCurrentDrawable");
    if (currentContext == nullptr || queryContext == nullptr || queryExtensions == nullptr ||
        mDisplay == nullptr || mDrawable == nullptr) {
        return false;
    }
    // SDL may have made an EGL context on X11; then there is no current GLX one.
    void* context = currentContext();
    void* display = mDisplay();
    if (context == nullptr || display == nullptr || mDrawable() == 0) {
        return false;
    }
    int screen = 0;
    if (queryContext(display, context, kGlxScreen, &screen) != 0) {
        return false;
    }
    if (!HasWord(queryExtensions(display, screen), "GLX_MESA_copy_sub_buffer")) {
        return false;
    }
    mCopy = Lookup<CopySubBufferFn>("glXCopySubBufferMESA");
    return mCopy != nullptr;
}

void SubBufferPresenter::Copy(int x, int y, int width, int height) const {
    if (mCopy != nullptr && width > 0 && height > 0) {
        mCopy(mDisplay(), mDrawable(), x, y, width, height);
    }
}
