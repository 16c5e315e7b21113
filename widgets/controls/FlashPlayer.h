#pragma once
// Loads and runs one movie through the platform's movie backend for a listener, painting into a
// surface it does not own. It keeps the movie's state (paused, playing, finished) with a nested
// pause count, and reports the movie's end and its commands to the listener. Main thread only.

#include <memory>
#include <string>

class FlashListener;
class ImageSurface;
class MoviePlayer;

class FlashPlayer {
public:
    enum State { kPaused = 0, kPlaying = 1, kFinished = 2 };

    // listener and surface are not owned and must outlive the player. Without a backend the
    // platform's own is made.
    FlashPlayer(FlashListener* listener, ImageSurface* surface,
                std::unique_ptr<MoviePlayer> backend = nullptr);
    ~FlashPlayer();
    FlashPlayer(const FlashPlayer&) = delete;
    FlashPlayer& operator=(const FlashPlayer&) = delete;

    // Gives the movie file (relative to the working folder) to the backend, sized to the
    // surface; the movie then counts as playing until the backend says otherwise. False when the
    // backend cannot play it.
    bool LoadMovie(const std::string& path);
    void SetLoop(bool loop);
    bool IsPlaying() const;
    void Play();
    // Back to the first frame.
    void GotoFrame0();

    // Nested: the first pause stops the movie, the last resume plays it again (unless it has
    // finished).
    void Pause();
    void Resume();
    // Once per fixed update: the host's pause request, the movie's clock, then the end of the
    // movie. True when the movie has a new frame to show.
    bool Update();
    // Paints the current frame into the surface; true when something was painted.
    bool DrawToSurface();

    bool IsAvailable() const;
    int GetState() const { return mState; }
    int GetPauseCount() const { return mPauseCount; }

    bool mAutoPause = true;
    // Set by the host to hold the movie (nothing in the game sets it yet).
    bool mPauseRequested = false;

private:
    FlashListener* mListener;
    ImageSurface* mSurface;
    std::unique_ptr<MoviePlayer> mBackend;
    int mState = kPaused;
    int mPauseCount = 0;
    bool mPausedByHost = false;
};
