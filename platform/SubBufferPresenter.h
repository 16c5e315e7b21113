#pragma once
// Presents part of the back buffer without swapping buffers, where the window system can (GLX
// with the sub-buffer copy extension, which Mesa offers on X11, software rendering included).
// The back buffer is then never exchanged, so it still holds the last frame when the next one
// starts: a frame that changed a few cells copies only those to the window, and the X server
// copies only those to the screen.

class SubBufferPresenter {
public:
    // Looks for the copy on the current GL context; false (and Copy unusable) when the context
    // is not a GLX one or the extension is missing. Main thread, context current.
    bool Find();
    bool Available() const { return mCopy != nullptr; }
    // Copies the rectangle (drawable pixels, from the bottom left as GL counts) of the back
    // buffer to the window, after the drawing sent so far. Main thread.
    void Copy(int x, int y, int width, int height) const;

private:
    using CopySubBufferFn = void (*)(void* display, unsigned long drawable, int x, int y, int width,
                                     int height);
    using CurrentDisplayFn = void* (*)();
    using CurrentDrawableFn = unsigned long (*)();

    CopySubBufferFn mCopy = nullptr;
    CurrentDisplayFn mDisplay = nullptr;
    CurrentDrawableFn mDrawable = nullptr;
};
