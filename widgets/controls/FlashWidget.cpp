#include "widgets/controls/FlashWidget.h"

#include <typeinfo>

#include "core/util/StringUtil.h"
#include "graphics/ImageSurface.h"
#include "widgets/controls/FlashPlayer.h"
#include "widgets/controls/MoviePlayer.h"

FlashWidget::FlashWidget(int x, int y, const std::string& movieName, int width, int height,
                         bool loop, std::unique_ptr<MoviePlayer> backend)
    : DynamicWidget(x, y, nullptr, 1.0f), mLoop(loop) {
    mSurface->Create(width, height);
    SetImage(mSurface.get());
    mPlayer = std::make_unique<FlashPlayer>(this, mSurface.get(), std::move(backend));
    mMoviePath = StrFormat("flash/%s.swf", movieName.c_str());
    mPlayer->LoadMovie(mMoviePath);
    mPlayer->SetLoop(loop);
}

FlashWidget::~FlashWidget() {
    // The player reports to this widget and paints into its surface; it goes first.
    mPlayer.reset();
}

void FlashWidget::Update() {
    DynamicWidget::Update();
    if (mPlayer == nullptr) {
        return;
    }
    // Redraws only when the frame changes: a small movie at its own rate costs a few draws a
    // second, not one every update.
    if (mPlayer->Update()) {
        MarkDirty();
    }
    if (!mPlayer->IsAvailable()) {
        return;  // no player: nothing to restart
    }
    // A paused movie stays paused: stopping it is not the end the loop rule restarts.
    if (mLoop && mPlayer->GetPauseCount() == 0 && !mPlayer->IsPlaying()) {
        mPlayer->GotoFrame0();
        mPlayer->Play();
    }
}

void FlashWidget::Draw(Graphics* g) {
    if (mPlayer != nullptr && mPlayer->DrawToSurface()) {
        DynamicWidget::Draw(g);
    }
}

bool FlashWidget::IsAnimating() const {
    return DynamicWidget::IsAnimating() || (mPlayer != nullptr && mPlayer->IsPlaying());
}

bool FlashWidget::HasScheduledWork() const {
    if (typeid(*this) != typeid(FlashWidget)) {
        return true;  // a derived widget with updates of its own answers for itself
    }
    // The loop restarts a movie in the update that ends it, so a looping movie never stops
    // playing here; only a finished, paused or missing one rests.
    return AnimatedStateHasScheduledWork() || (mPlayer != nullptr && mPlayer->IsPlaying());
}

bool FlashWidget::GetDrawnArea(FRect* area) const {
    // A script may have given the widget another picture, of another size: the area is the
    // picture's.
    if (!mChildren.empty() || mImage == nullptr) {
        return false;
    }
    *area = FRect(-1.0f, -1.0f, static_cast<float>(mImage->GetCelWidth()) + 2.0f,
                  static_cast<float>(mImage->GetCelHeight()) + 2.0f);
    return true;
}

ImageSurface* FlashWidget::GetOwnImageSurface() {
    if (mImage == mSurface.get()) {
        return mSurface.get();
    }
    return DynamicWidget::GetOwnImageSurface();
}
