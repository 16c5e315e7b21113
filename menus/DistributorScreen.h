#pragma once
// A distributor's splash: one image fitted to the design area (aspect kept, centred, white
// around it) for four seconds. A click after the first second ends it. When done, the screen
// removes itself and asks the application for the next start screen. A missing image is logged
// and the screen ends on its first update. Main thread only.

#include <memory>
#include <string>

#include "graphics/Rect.h"
#include "menus/Menu.h"

class DistributorScreen : public Menu {
public:
    static constexpr int kShowTicks = 400;
    static constexpr int kClickGuardTicks = 100;

    // The image of the asset tables under imageName, shared with them.
    explicit DistributorScreen(const std::string& imageName);
    ~DistributorScreen() override;

    void TryUpdate() override;
    void Draw(Graphics* g) override;
    void MouseDown(int x, int y, int clickCount) override;

    // The rectangle the image is drawn into (empty without an image).
    const Rect& GetDestRect() const { return mDest; }
    // The destination of an image of width by height fitted into the design area.
    static Rect FitRect(int imageWidth, int imageHeight, int areaWidth, int areaHeight);

    int GetTicks() const { return mTicks; }
    bool IsFinished() const { return mFinished; }
    bool HasImage() const { return mImage != nullptr; }

private:
    bool TakeImage();
    void Finish();

    std::string mImageName;
    std::shared_ptr<Image> mImage;
    Rect mDest;
    int mTicks = 0;
    bool mWaitingForImage = false;
    bool mFinished = false;
    bool mHeld = false;  // stopped by a test's hold on the splash (EffectHold)
};
