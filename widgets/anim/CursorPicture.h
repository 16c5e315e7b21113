#pragma once
// The still picture of a pointer widget as the window system takes a colour pointer: straight
// ARGB pixels, rows top down, with the hot spot where the widget's own origin lies. The window
// system then draws it at the pointer itself, so it follows the pointer without waiting for the
// game's next frame. Main thread.

#include <cstdint>
#include <vector>

class Widget;

class CursorPicture {
public:
    // The widget's own image and those of its visible descendants, each at its position (the
    // frame it shows, its opacity applied), laid over one another in drawing order. The widget
    // itself may be hidden: a pointer widget is never drawn in the tree. Transforms are not
    // applied. Empty when nothing in it has pixels yet (its script has not added its picture).
    static CursorPicture FromWidget(const Widget& widget);

    bool Empty() const { return mPixels.empty(); }
    const std::vector<uint32_t>& GetPixels() const { return mPixels; }
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    // Where the pointer stands inside the picture.
    int GetHotX() const { return mHotX; }
    int GetHotY() const { return mHotY; }

private:
    std::vector<uint32_t> mPixels;
    int mWidth = 0;
    int mHeight = 0;
    int mHotX = 0;
    int mHotY = 0;
};
