#include "widgets/anim/RectWidget.h"

#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "widgets/anim/OverbrightPasses.h"

RectWidget::RectWidget(int x, int y, int width, int height, const Color& colour)
    : DynamicWidget(x, y, nullptr, 1.0f), mColour(colour) {
    Resize(static_cast<float>(x), static_cast<float>(y), width, height);
}

void RectWidget::Draw(Graphics* g) {
    if (mImage != nullptr) {
        DynamicWidget::Draw(g);
        return;
    }
    const float w = static_cast<float>(mWidth);
    const float h = static_cast<float>(mHeight);
    DrawOverbrightPasses(g, mRed * mOpacity, mGreen * mOpacity, mBlue * mOpacity, mAlpha * mOpacity,
                         &mColour, false, [&] { g->FillRect(0.0f, 0.0f, w, h); });
}

ImageSurface* RectWidget::GetOwnImageSurface() {
    if (mImage == nullptr && mWidth > 0 && mHeight > 0) {
        auto surface = std::make_unique<ImageSurface>();
        surface->Create(mWidth, mHeight);
        surface->Fill(mColour);
        SetOwnImageCopy(std::move(surface));
    }
    return DynamicWidget::GetOwnImageSurface();
}
