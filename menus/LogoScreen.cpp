#include "menus/LogoScreen.h"

#include <algorithm>
#include <string>

#include "app/GameApp.h"
#include "core/util/Log.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "menus/LogoBall.h"
#include "menus/LogoLetter.h"
#include "menus/StartScreenImages.h"
#include "menus/StartScreenSequence.h"
#include "widgets/NameLookups.h"

namespace {

// The studio word's first five letters, one image each, and the second and fourth tilted.
constexpr std::array<const char*, 5> kLetterNames = {"B", "R", "O", "K", "E"};
constexpr std::array<const char*, 2> kTiltNames = {"R_Tilt", "K_Tilt"};
// Steps between the letters' left edges.
constexpr std::array<int, 5> kLetterOffsets = {0, 88, 172, 263, 354};

}  // namespace

LogoScreen::LogoScreen() : Menu(nullptr, false, false) {
    if (FindStartImage("PUBLISHER_SPLASH", &mPublisherImage) != StartImage::kReady) {
        StartLogo();
    }
}

LogoScreen::~LogoScreen() = default;

void LogoScreen::StartLogo() {
    mShowingPublisher = false;
    mTicks = 0;
    mWaitingForImages = true;
    TryBeginLogo();
}

bool LogoScreen::TryBeginLogo() {
    std::vector<std::pair<std::string, std::shared_ptr<Image>*>> wanted;
    for (size_t i = 0; i < kLetterNames.size(); ++i) {
        wanted.emplace_back(kLetterNames[i], &mLetterImages[i]);
    }
    for (size_t i = 0; i < kTiltNames.size(); ++i) {
        wanted.emplace_back(kTiltNames[i], &mTiltImages[i]);
    }
    wanted.emplace_back("Ball", &mBallImage);
    wanted.emplace_back("createdby", &mCreatedBy);
    wanted.emplace_back("Trail", &mTrail);
    wanted.emplace_back("BrokelTM", &mTrademark);
    for (const auto& [name, slot] : wanted) {
        const StartImage state = FindStartImage(name, slot);
        if (state == StartImage::kPending) {
            return false;  // the loader may still bring it
        }
        if (state == StartImage::kMissing) {
            // Finished from the next update, never from inside the constructor.
            LogWarning("Logo screen: the image \"%s\" is missing; the logo is skipped",
                       name.c_str());
            mWaitingForImages = false;
            mSkip = true;
            return false;
        }
    }
    mWaitingForImages = false;
    if (mBallImage->GetCols() < 3) {
        if (gApp != nullptr) {
            gApp->ShowFatalError("Ball aImage needs 3 columns specified");
        }
        mSkip = true;
        return false;
    }

    const int x0 = mWidth / 2 - 270;
    const int y0 = mHeight / 2 - 550;
    for (size_t i = 0; i < kLetterNames.size(); ++i) {
        auto* letter = new LogoLetter(x0 + kLetterOffsets[i], y0, mLetterImages[i].get());
        mLetters.push_back(letter);
        AddWidget(letter);
    }
    DropLetter(0);
    mBall = nullptr;
    mTicks = 0;
    mLogoStarted = true;
    MarkDirty();
    return true;
}

void LogoScreen::DropLetter(size_t index) {
    if (index >= mLetters.size()) {
        return;
    }
    mLetters[index]->Drop(static_cast<double>(mHeight / 2), 12.0, 0.4);
    if (gApp != nullptr) {
        gApp->PlaySample(LookupAssetTableB2("whoosh"));
    }
}

void LogoScreen::Tilt(size_t index, int dx, int dy) {
    if (index >= mLetters.size() || mBall == nullptr) {
        return;
    }
    mLetters[index]->Tilt(mTiltImages[index == 1 ? 0 : 1].get(), dx, dy, mBall);
}

void LogoScreen::Finish() {
    FinishStartScreen(this, &mFinished);
}

void LogoScreen::TryUpdate() {
    Menu::TryUpdate();
    if (mFinished) {
        return;
    }
    if (mSkip) {
        Finish();
        return;
    }
    if (mWaitingForImages) {
        TryBeginLogo();
        if (mSkip) {
            Finish();
        }
        return;  // the five seconds start with the logo
    }
    const int before = mTicks++;
    if (mShowingPublisher) {
        if (before >= kPublisherTicks) {
            StartLogo();
        }
    } else if (before >= kLogoTicks) {
        Finish();
    }
}

void LogoScreen::TryUpdateF(float elapsed) {
    Menu::TryUpdateF(elapsed);
    if (!mLogoStarted || mFinished) {
        return;
    }
    for (size_t i = 0; i + 1 < mLetters.size(); ++i) {
        if (mLetters[i]->mLanded) {
            mLetters[i]->mLanded = false;
            if (i == 0) {
                mFirstLanded = true;
            }
            DropLetter(i + 1);
        }
    }
    if (mFirstLanded && mBall == nullptr) {
        mBall =
            new LogoBall(mBallImage.get(), mHeight / 2 - 101, mHeight / 2 - 102, mHeight / 2 + 4);
        // The ball comes in from off screen and first lands on the middle of the second letter.
        const LogoLetter* second = mLetters[1];
        const double landingX = second->mX + second->mWidth / 2.0 - mBall->mWidth / 2.0;
        mBall->AimFirstBounce(landingX, kBallFlightSteps);
        AddWidget(mBall);
    }
    if (mBall != nullptr && mBall->mBounced) {
        mBall->mBounced = false;
        if (mBall->mBounces == 1) {
            Tilt(1, -4, 5);
        } else if (mBall->mBounces == 2) {
            Tilt(3, -6, 17);
        }
    }
}

void LogoScreen::Draw(Graphics* g) {
    g->SetColor(Color(static_cast<int>((kBackgroundRgb >> 16) & 0xFF),
                      static_cast<int>((kBackgroundRgb >> 8) & 0xFF),
                      static_cast<int>(kBackgroundRgb & 0xFF)));
    g->FillRect(0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight));
    if (mShowingPublisher) {
        if (mPublisherImage != nullptr) {
            g->DrawImage(mPublisherImage.get(), 0.0f, 0.0f);
        }
        return;
    }
    if (!mLogoStarted) {
        return;
    }
    g->DrawImage(mCreatedBy.get(), static_cast<float>(mWidth / 2 - mCreatedBy->GetCelWidth() / 2),
                 static_cast<float>(mHeight / 2 - 130));
    if (mBall == nullptr) {
        return;
    }
    const float trailX = static_cast<float>(mWidth) * 0.5f - 229.0f;
    const float ballCentre = mBall->mX + static_cast<float>(mBall->mWidth) / 2.0f;
    const int reveal = std::min(408, static_cast<int>(ballCentre - trailX));
    if (reveal > 0) {
        g->DrawImage(mTrail.get(), trailX, static_cast<float>(mHeight) * 0.5f - 73.0f,
                     Rect(0, 0, std::min(reveal, mTrail->GetCelWidth()), mTrail->GetCelHeight()));
    }
    if (mBall->IsStopped()) {
        g->DrawImage(mTrademark.get(), mBall->mX + static_cast<float>(mBall->mWidth) - 15.0f,
                     mBall->mY + static_cast<float>(mBall->mHeight) -
                         static_cast<float>(mTrademark->GetCelHeight()) - 5.0f);
    }
}

void LogoScreen::MouseDown(int x, int y, int clickCount) {
    Menu::MouseDown(x, y, clickCount);
    if (clickCount <= 0 || mFinished) {
        return;
    }
    if (mShowingPublisher) {
        StartLogo();
    } else {
        Finish();
    }
}
