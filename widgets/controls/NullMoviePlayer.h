#pragma once
// The movie backend of a platform without a movie player: nothing loads, nothing plays, nothing
// is painted. The first movie asked for logs once per process that movies do not play.

#include "widgets/controls/MoviePlayer.h"

class NullMoviePlayer : public MoviePlayer {
public:
    bool IsAvailable() const override { return false; }
    // Logs (once per process) and answers false.
    bool Load(const std::string& path, int width, int height) override;
    void SetLoop(bool loop) override { (void)loop; }
    bool IsPlaying() const override { return false; }
    void Play() override {}
    void Stop() override {}
    void Rewind() override {}
    bool Advance() override { return false; }
    bool PaintInto(ImageSurface* surface) override {
        (void)surface;
        return false;
    }
    void SetCommandHandler(
        std::function<void(const std::string&, const std::string&)> handler) override {
        (void)handler;
    }

    // Whether the "no player" line has been logged in this process (tests).
    static bool HasLogged();
};
