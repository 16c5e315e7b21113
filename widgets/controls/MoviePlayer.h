#pragma once
// The narrow interface through which a movie widget plays its movie. A backend loads a movie
// file, runs it on the clock of fixed updates, paints the current frame into a surface and
// reports commands that the movie sends. The platform's backend plays the video of SWF movies
// (SwfMoviePlayer); the null backend plays nothing. Main thread only.

#include <functional>
#include <memory>
#include <string>

class ImageSurface;

class MoviePlayer {
public:
    virtual ~MoviePlayer() = default;

    // Whether this backend can play anything at all.
    virtual bool IsAvailable() const = 0;
    // Loads the movie file (a path relative to the working folder) to be painted at width by
    // height pixels; false when it cannot be played.
    virtual bool Load(const std::string& path, int width, int height) = 0;
    virtual void SetLoop(bool loop) = 0;
    // True while the movie runs.
    virtual bool IsPlaying() const = 0;
    // Resume, pause, and back to the first frame.
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Rewind() = 0;
    // Once per fixed update: moves the movie's clock on while it plays. True when the frame to
    // show changed since the last call (so the widget draws again only then).
    virtual bool Advance() = 0;
    // Paints the current frame into the surface (its whole rectangle); false when nothing was
    // painted.
    virtual bool PaintInto(ImageSurface* surface) = 0;
    // Where the movie's commands (command, arguments) go; empty for none.
    virtual void SetCommandHandler(
        std::function<void(const std::string&, const std::string&)> handler) = 0;
};

// The platform's backend.
std::unique_ptr<MoviePlayer> CreateMoviePlayer();
