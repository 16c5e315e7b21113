#include "menus/LogoBall.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/NameLookups.h"

namespace {

void PlayNamedSample(const char* name) {
    if (gApp != nullptr) {
        gApp->PlaySample(LookupAssetTableB2(name));
    }
}

}  // namespace

LogoBall::LogoBall(Image* image, int restY0, int restY1, int restY2)
    : DynamicWidget(0, 0, image, 1.0f), mRestY{restY0, restY1, restY2} {
    if (image != nullptr) {
        Resize(mX, mY, image->GetCelWidth(), image->GetCelHeight());
    }
}

void LogoBall::AimFirstBounce(double landingX, int steps) {
    // The flight integrates y += vy, then vy += g, once per step: after n steps the ball has
    // risen and fallen by the sum of its speeds.
    const double n = steps;
    const double drop = mVy * n + kGravity * n * (n - 1.0) / 2.0;
    // A hair below the exact height, so that rounding never delays the bounce by a step.
    const double startY = mRestY[0] - drop + 0.01;
    Move(static_cast<float>(landingX - mVx * n), static_cast<float>(startY));
}

void LogoBall::TryUpdate() {
    DynamicWidget::TryUpdate();
    if (mSquashTick < 0) {
        return;
    }
    ++mSquashTick;
    if (mSquashDelay > 0 && mSquashTick % mSquashDelay == 0) {
        MarkDirty();
    }
    if (mSquashTick >= 3 * mSquashDelay) {
        mSquashTick = -1;
        MarkDirty();
        if (mBounces == 1) {
            mVx = 2.76;
            mVy = -2.8;
        } else if (mBounces == 2) {
            mVx = 1.98;
            mVy = -3.4;
        }
    }
}

void LogoBall::TryUpdateF(float elapsed) {
    DynamicWidget::TryUpdateF(elapsed);
    if (mVx == 0.0) {
        return;
    }
    const double dt = elapsed;
    MarkDirty();
    const bool squashing = IsSquashing();
    double x = mX + mVx * dt * (squashing ? 0.5 : 1.0);
    double y = mY;
    if (!squashing) {
        y += mVy * dt;
        mVy += kGravity * dt;
        if (mVy > 0.0 && mBounces < 3 && y >= mRestY[mBounces]) {
            mSquashTick = 0;
            mBounced = true;
            static constexpr int kDelays[3] = {6, 7, 5};
            mSquashDelay = kDelays[mBounces];
            if (mBounces == 2) {
                y = mRestY[2];
                mVx = 0.0;
                mVy = 0.0;
                PlayNamedSample("land");
            } else {
                PlayNamedSample("bounce");
            }
            ++mBounces;
        }
    }
    mX = static_cast<float>(x);
    mY = static_cast<float>(y);
}

void LogoBall::Draw(Graphics* g) {
    const int cell = IsSquashing() ? (mSquashTick / mSquashDelay) % 2 + 1 : 0;
    if (mImage != nullptr) {
        g->DrawImage(mImage, 0.0f, 0.0f, cell);
    }
}
