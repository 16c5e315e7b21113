#pragma once
// The first screen of a run: the publisher's splash ("PUBLISHER_SPLASH", when the asset exists)
// for two seconds, then the studio logo for five: five letters drop one after another and bounce
// on springs, a ball bounces over them and rests on the ground, a trail follows it and the
// trademark appears beside it. A click moves on at once. When done, the screen removes itself and
// asks the application for the next start screen. Times count fixed updates (100 a second); the
// motion runs in the float updates. Main thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "menus/Menu.h"

class LogoBall;
class LogoLetter;

class LogoScreen : public Menu {
public:
    static constexpr int kPublisherTicks = 200;
    static constexpr int kLogoTicks = 500;
    // Fixed updates from the ball's appearance to its first bounce, on the second letter.
    static constexpr int kBallFlightSteps = 150;
    // The screen's background (0xRRGGBB), under the splash and the logo alike.
    static constexpr uint32_t kBackgroundRgb = 0xFFFFFF;

    LogoScreen();
    ~LogoScreen() override;

    // The base update, then the screen's clock.
    void TryUpdate() override;
    // The base float update, then the letters' landings and the ball's bounces.
    void TryUpdateF(float elapsed) override;
    void Draw(Graphics* g) override;
    // A click on the splash starts the logo; a click on the logo ends the screen.
    void MouseDown(int x, int y, int clickCount) override;

    bool IsShowingPublisher() const { return mShowingPublisher; }
    bool IsLogoRunning() const { return mLogoStarted; }
    bool IsFinished() const { return mFinished; }
    int GetTicks() const { return mTicks; }
    const std::vector<LogoLetter*>& GetLetters() const { return mLetters; }
    LogoBall* GetBall() const { return mBall; }

private:
    // Leaves the publisher's splash; the logo starts at once when its images are all loaded,
    // waits while the start-up loader may still bring them, and is skipped (with a log line)
    // when one is missing.
    void StartLogo();
    bool TryBeginLogo();
    void DropLetter(size_t index);
    void Tilt(size_t index, int dx, int dy);
    // Removes the screen and shows the next start screen, once.
    void Finish();

    std::vector<LogoLetter*> mLetters;  // children
    LogoBall* mBall = nullptr;          // a child
    std::array<std::shared_ptr<Image>, 5> mLetterImages;
    std::array<std::shared_ptr<Image>, 2> mTiltImages;
    std::shared_ptr<Image> mBallImage;
    std::shared_ptr<Image> mCreatedBy;
    std::shared_ptr<Image> mTrail;
    std::shared_ptr<Image> mTrademark;
    std::shared_ptr<Image> mPublisherImage;
    int mTicks = 0;
    bool mShowingPublisher = true;
    bool mWaitingForImages = false;
    bool mLogoStarted = false;
    bool mFirstLanded = false;
    bool mSkip = false;
    bool mFinished = false;
};
