#include "platform/NullPlatform.h"

#include <cstdio>

#include "platform/PlatformEventSink.h"

bool NullPlatform::OpenWindow(const std::string& title, int designWidth, int designHeight,
                              bool windowed, bool stretch, std::string* error) {
    (void)error;
    mTitle = title;
    mWidth = designWidth;
    mHeight = designHeight;
    mWindowed = windowed;
    mStretch = stretch;
    mOpen = true;
    mShown = true;  // as a real window, shown as soon as it opens
    return true;
}

bool NullPlatform::SetDisplayMode(bool windowed, bool stretch) {
    mWindowed = windowed;
    mStretch = stretch;
    return true;
}

PlatformRect NullPlatform::GetViewport() const {
    return PlatformRect{0, 0, mWidth, mHeight};
}

bool NullPlatform::GetDesktopSize(int* width, int* height) const {
    if (mDesktopWidth <= 0 || mDesktopHeight <= 0) {
        return false;
    }
    *width = mDesktopWidth;
    *height = mDesktopHeight;
    return true;
}

void NullPlatform::PumpEvents(PlatformEventSink& sink) {
    if (mCloseRequested) {
        mCloseRequested = false;
        sink.OnCloseRequested();
    }
}

bool NullPlatform::Present(const PlatformRect* /*part*/) {
    ++mPresents;
    return true;
}

bool NullPlatform::SetCursorImage(const uint32_t* argb, int width, int height, int hotX, int hotY) {
    mCursorImage = argb != nullptr;
    mCursorPixels.clear();
    mCursorWidth = 0;
    mCursorHotX = 0;
    mCursorHotY = 0;
    if (argb != nullptr && width > 0 && height > 0) {
        mCursorPixels.assign(argb, argb + static_cast<size_t>(width) * static_cast<size_t>(height));
        mCursorWidth = width;
        mCursorHotX = hotX;
        mCursorHotY = hotY;
    }
    return true;
}

bool NullPlatform::ShowMessageBox(const std::string& caption, const std::string& text) {
    ++mMessageBoxes;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return false;
}
