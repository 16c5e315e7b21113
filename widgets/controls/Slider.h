#pragma once
// A track with a draggable thumb holding a value from 0 to 1 (horizontal: 0 at the left; vertical:
// 0 at the top). A press on the thumb grabs it; a press on the track jumps there when clickJumps
// is set. Reports to its SliderListener. Main thread only.

#include "widgets/ListenerLink.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/controls/SliderListener.h"

class Slider : public DynamicWidget {
public:
    // Images are not owned; listener may be null.
    Slider(Image* trackImage, Image* thumbImage, SliderListener* listener);

    // Stores v clamped to 0..1 (a value that is not a number stores 0); no listener call.
    virtual void SetValue(double v);
    double GetValue() const { return mValue; }
    void SetListener(SliderListener* listener) { mListener.Set(listener); }
    bool IsDragging() const { return mDragging; }
    // The thumb's offset along the slider, in pixels.
    int GetThumbPosition() const;

    void Draw(Graphics* g) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseLeave() override;

    Image* mTrackImage;
    Image* mThumbImage;
    bool mHorizontal = true;
    bool mClickJumps = true;

private:
    int SizeAlong() const { return mHorizontal ? mWidth : mHeight; }
    int ThumbSizeAlong() const;
    bool OnThumb(int along) const;
    void SetCursor(int number) const;

    ListenerSlot<SliderListener> mListener;
    double mValue = 0.0;
    bool mDragging = false;
    bool mDragMoved = false;
    int mGrabX = 0;
    int mGrabY = 0;
};
