#pragma once
// A movie in the widget tree: "flash/<name>.swf" played through the platform's movie backend,
// painted into the widget's own surface when its frame changes and drawn like any image. A movie
// that cannot be played keeps the widget's size, draws nothing and reports that it is not
// playing. Main thread only.

#include <memory>
#include <string>

#include "graphics/ImageSurface.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/controls/FlashListener.h"

class FlashPlayer;
class MoviePlayer;

class FlashWidget : public DynamicWidget, public FlashListener {
public:
    // At (x, y), width by height pixels; loop restarts the movie whenever it has stopped.
    // Without a backend the platform's own is used.
    FlashWidget(int x, int y, const std::string& movieName, int width, int height, bool loop,
                std::unique_ptr<MoviePlayer> backend = nullptr);
    ~FlashWidget() override;

    // The movie's clock and the loop rule.
    void Update() override;
    // The current frame, when the backend painted one; otherwise nothing.
    void Draw(Graphics* g) override;
    // The widget's own animations, else whether the movie plays.
    bool IsAnimating() const override;
    // True while the movie plays (or the widget animates): a finished, paused or missing movie
    // lets the application wait for events.
    bool HasScheduledWork() const override;
    // The movie's rectangle (with a pixel's margin for filtering), so that a new frame repaints
    // only that part of the screen; a widget with children cannot say.
    bool GetDrawnArea(FRect* area) const override;
    // The movie's surface while the widget shows it, so that drawing into the widget's picture
    // draws into the movie's; else the base rule.
    ImageSurface* GetOwnImageSurface() override;

    // FlashListener: nothing here; screens that host movies override them.
    void MovieFinished() override {}
    void FSCommand(const std::string& command, const std::string& args) override {
        (void)command, (void)args;
    }

    FlashPlayer* GetPlayer() const { return mPlayer.get(); }
    const std::string& GetMoviePath() const { return mMoviePath; }

private:
    // The player paints into it for the widget's whole life, whatever picture scripts give the
    // widget meanwhile; shared, so that a widget given the movie's picture keeps its last frame
    // after the movie has gone.
    std::shared_ptr<ImageSurface> mSurface = std::make_shared<ImageSurface>();
    std::unique_ptr<FlashPlayer> mPlayer;
    std::string mMoviePath;
    bool mLoop;
};
