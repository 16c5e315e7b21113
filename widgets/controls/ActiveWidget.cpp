#include "widgets/controls/ActiveWidget.h"

#include <cmath>

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetContainer.h"

ActiveWidget::ActiveWidget(int x, int y, const std::string& type, int n)
    : ButtonWidget(x, y, type, "", true) {
    Move(mX - static_cast<float>(((n + 1) * mWidth) / 2), mY);
    mAnchorX = std::round(mX);
    mAnchorY = std::round(mY);
    SetVisible(true);
}

void ActiveWidget::MoveToAnchor() {
    Move(mAnchorX, mAnchorY);
}

void ActiveWidget::Draw(Graphics* g) {
    if (mImage != nullptr) {
        g->DrawImage(mImage, 0.0f, 0.0f, mFrameIndex);
    }
}

void ActiveWidget::MouseDown(int x, int y, int clickCount) {
    if (mRaiseOnPress && GetParent() != nullptr) {
        GetParent()->MoveChildToEnd(this);
    }
    ButtonWidget::MouseDown(x, y, clickCount);
}
