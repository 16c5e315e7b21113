#include "widgets/controls/Slider.h"

#include <cmath>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/CursorNumbers.h"
#include "widgets/WidgetHost.h"

Slider::Slider(Image* trackImage, Image* thumbImage, SliderListener* listener)
    : DynamicWidget(0, 0, nullptr, 1.0f), mTrackImage(trackImage), mThumbImage(thumbImage) {
    mListener.Set(listener);
    mMouseVisible = true;
}

void Slider::SetValue(double v) {
    if (std::isnan(v) || v < 0.0) {
        v = 0.0;
    } else if (v > 1.0) {
        v = 1.0;
    }
    mValue = v;
    MarkDirty();
}

int Slider::ThumbSizeAlong() const {
    if (mThumbImage == nullptr) {
        return 0;
    }
    return mHorizontal ? mThumbImage->GetCelWidth() : mThumbImage->GetCelHeight();
}

int Slider::GetThumbPosition() const {
    return static_cast<int>(static_cast<double>(SizeAlong() - ThumbSizeAlong()) * mValue);
}

bool Slider::OnThumb(int along) const {
    const int thumb = GetThumbPosition();
    return along >= thumb && along < thumb + ThumbSizeAlong();
}

void Slider::SetCursor(int number) const {
    if (WidgetHost* host = GetWidgetHost()) {
        host->SetCursor(number);
    }
}

void Slider::Draw(Graphics* g) {
    if (mTrackImage != nullptr) {
        g->DrawImage(mTrackImage, static_cast<float>((mWidth - mTrackImage->GetCelWidth()) / 2),
                     static_cast<float>((mHeight - mTrackImage->GetCelHeight()) / 2), 0);
    }
    if (mThumbImage == nullptr) {
        return;
    }
    const int thumbW = mThumbImage->GetCelWidth();
    const int thumbH = mThumbImage->GetCelHeight();
    if (mHorizontal) {
        g->DrawImage(mThumbImage, static_cast<float>((mWidth - thumbW) * mValue),
                     static_cast<float>((mHeight - thumbH) * 0.5), 0);
    } else {
        g->DrawImage(mThumbImage, static_cast<float>((mWidth - thumbW) / 2),
                     static_cast<float>((mHeight - thumbH) * mValue), 0);
    }
}

void Slider::MouseMove(int x, int y) {
    SetCursor(OnThumb(mHorizontal ? x : y) ? cursor::kGrab : cursor::kArrow);
}

void Slider::MouseLeave() {
    if (!mDragging) {
        SetCursor(cursor::kArrow);
    }
}

void Slider::MouseDown(int x, int y, int clickCount) {
    (void)clickCount;
    const int along = mHorizontal ? x : y;
    if (OnThumb(along)) {
        SetCursor(cursor::kGrab);
        const int grab = along - GetThumbPosition();
        (mHorizontal ? mGrabX : mGrabY) = grab;
        mDragging = true;
        mDragMoved = false;
        return;
    }
    mDragMoved = false;
    // A slider of no size has no place to jump to.
    if (mClickJumps && SizeAlong() > 0) {
        SetValue(static_cast<double>(static_cast<float>(along) / static_cast<float>(SizeAlong())));
        if (SliderListener* listener = mListener.Get()) {
            listener->SliderValueChanged(this, mValue);
        }
        if (SliderListener* listener = mListener.Get()) {
            listener->SliderDragEnded(this, mValue);
        }
    }
}

void Slider::MouseDrag(int x, int y) {
    if (!mDragging) {
        return;
    }
    const int range = SizeAlong() - ThumbSizeAlong();
    const int along = mHorizontal ? x - mGrabX : y - mGrabY;
    double v = 0.0;
    if (range > 0) {
        v = static_cast<double>(along) / static_cast<double>(range);
    } else {
        // A thumb as long as the track leaves no travel: the value follows the side dragged to.
        v = along > 0 ? 1.0 : (along < 0 ? 0.0 : mValue);
    }
    v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
    if (v == mValue) {
        return;
    }
    mValue = v;
    if (SliderListener* listener = mListener.Get()) {
        listener->SliderValueChanged(this, mValue);
    }
    mDragMoved = true;
    MarkDirty();
}

void Slider::MouseUp(int x, int y) {
    (void)x, (void)y;
    mDragging = false;
    SetCursor(cursor::kArrow);
    if (SliderListener* listener = mListener.Get()) {
        listener->SliderValueChanged(this, mValue);
    }
    if (mDragMoved) {
        if (SliderListener* listener = mListener.Get()) {
            listener->SliderDragEnded(this, mValue);
        }
    }
}
