#include "widgets/controls/FlashPlayer.h"

#include "graphics/ImageSurface.h"
#include "widgets/controls/FlashListener.h"
#include "widgets/controls/MoviePlayer.h"

FlashPlayer::FlashPlayer(FlashListener* listener, ImageSurface* surface,
                         std::unique_ptr<MoviePlayer> backend)
    : mListener(listener),
      mSurface(surface),
      mBackend(backend != nullptr ? std::move(backend) : CreateMoviePlayer()) {
    mBackend->SetCommandHandler([this](const std::string& command, const std::string& args) {
        if (mListener != nullptr) {
            mListener->FSCommand(command, args);
        }
    });
}

FlashPlayer::~FlashPlayer() {
    mBackend->SetCommandHandler({});
}

bool FlashPlayer::IsAvailable() const {
    return mBackend->IsAvailable();
}

bool FlashPlayer::LoadMovie(const std::string& path) {
    const int width = mSurface != nullptr ? mSurface->GetWidth() : 0;
    const int height = mSurface != nullptr ? mSurface->GetHeight() : 0;
    const bool loaded = mBackend->Load(path, width, height);
    // A movie that cannot play counts as started, so the next update finds it over and the
    // listener is not left waiting for an end that never comes.
    mState = mPauseCount > 0 ? kPaused : kPlaying;
    return loaded;
}

void FlashPlayer::SetLoop(bool loop) {
    mBackend->SetLoop(loop);
}

bool FlashPlayer::IsPlaying() const {
    return mBackend->IsPlaying();
}

void FlashPlayer::Play() {
    mBackend->Play();
}

void FlashPlayer::GotoFrame0() {
    mBackend->Rewind();
}

void FlashPlayer::Pause() {
    ++mPauseCount;
    if (mState != kFinished) {
        mState = kPaused;
    }
    if (mPauseCount == 1) {
        mBackend->Stop();
    }
}

void FlashPlayer::Resume() {
    if (mPauseCount == 0) {
        return;  // unbalanced: nothing to resume
    }
    --mPauseCount;
    if (mPauseCount == 0 && mState != kFinished) {
        mState = kPlaying;
        mBackend->Play();
    }
}

bool FlashPlayer::Update() {
    if (mAutoPause) {
        if (mPauseRequested) {
            if (!mPausedByHost) {
                Pause();
                mPausedByHost = true;
            }
            return false;
        }
        if (mPausedByHost) {
            mPausedByHost = false;
            Resume();
        }
    }
    const bool newFrame = mBackend->Advance();
    if (mState == kPlaying && !mBackend->IsPlaying()) {
        mState = kFinished;
        if (mPauseCount == 0 && mListener != nullptr) {
            mListener->MovieFinished();
        }
    }
    return newFrame;
}

bool FlashPlayer::DrawToSurface() {
    return mSurface != nullptr && mBackend->PaintInto(mSurface);
}
