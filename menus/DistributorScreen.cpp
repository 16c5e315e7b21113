#include "menus/DistributorScreen.h"

#include <cstdint>

#include "core/util/Log.h"
#include "core/util/Ratio.h"
#include "graphics/Color.h"
#include "graphics/FRect.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "menus/StartScreenImages.h"
#include "menus/StartScreenSequence.h"
#include "widgets/anim/EffectHold.h"

DistributorScreen::DistributorScreen(const std::string& imageName)
    : Menu(nullptr, false, false), mImageName(imageName) {
    TakeImage();
}

DistributorScreen::~DistributorScreen() = default;

bool DistributorScreen::TakeImage() {
    std::shared_ptr<Image> image;
    const StartImage state = FindStartImage(mImageName, &image);
    mWaitingForImage = state == StartImage::kPending;
    if (state == StartImage::kMissing) {
        LogWarning("Splash screen: the image \"%s\" is missing; the screen is skipped",
                   mImageName.c_str());
    }
    if (state != StartImage::kReady) {
        return false;
    }
    mImage = std::move(image);
    mDest = FitRect(mImage->GetCelWidth(), mImage->GetCelHeight(), mWidth, mHeight);
    MarkDirty();
    return true;
}

Rect DistributorScreen::FitRect(int imageWidth, int imageHeight, int areaWidth, int areaHeight) {
    if (imageWidth <= 0 || imageHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return Rect(0, 0, areaWidth, areaHeight);
    }
    const Ratio image(imageWidth, imageHeight);
    const Ratio area(areaWidth, areaHeight);
    // Compared as num/den: the wider picture fills the width, the taller one the height.
    const int64_t imageSide = int64_t{image.mNumerator} * area.mDenominator;
    const int64_t areaSide = int64_t{area.mNumerator} * image.mDenominator;
    if (imageSide >= areaSide) {
        const int height =
            static_cast<int>(int64_t{areaWidth} * image.mDenominator / image.mNumerator);
        return Rect(0, (areaHeight - height) / 2, areaWidth, height);
    }
    const int width = static_cast<int>(int64_t{areaHeight} * image.mNumerator / image.mDenominator);
    return Rect((areaWidth - width) / 2, 0, width, areaHeight);
}

void DistributorScreen::Finish() {
    FinishStartScreen(this, &mFinished);
}

void DistributorScreen::TryUpdate() {
    Menu::TryUpdate();
    if (mFinished) {
        return;
    }
    if (mImage == nullptr) {
        if (mWaitingForImage && !TakeImage() && mWaitingForImage) {
            return;  // the loader may still bring it; the four seconds start with the picture
        }
        if (mImage == nullptr) {
            // Finished here rather than in the constructor, which would remove a half-built
            // screen and re-enter the start-screen chain.
            Finish();
            return;
        }
    }
    // A test may hold the splash for its picture (EffectHold), by the picture's name.
    if (EffectHoldsAsked()) {
        mHeld = HoldsAt(mImageName, static_cast<float>(mTicks), 1.0f, mHeld);
        if (mHeld) {
            return;
        }
    }
    if (mTicks++ >= kShowTicks) {
        Finish();
    }
}

void DistributorScreen::Draw(Graphics* g) {
    if (mImage == nullptr) {
        return;
    }
    if (mDest.mX > 0 || mDest.mY > 0 || mDest.mWidth < mWidth || mDest.mHeight < mHeight) {
        g->SetColor(Color(255, 255, 255));
        g->FillRect(0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight));
    }
    g->DrawImageStretched(mImage.get(), FRect::FromRect(mDest));
}

void DistributorScreen::MouseDown(int x, int y, int clickCount) {
    Menu::MouseDown(x, y, clickCount);
    if (clickCount > 0 && mTicks > kClickGuardTicks) {
        Finish();
    }
}
