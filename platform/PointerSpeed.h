#pragma once
// The player's pointer speed over the game's window, applied without touching the desktop's own
// pointer setting (which would outlive a crash or a kill): each movement the window system
// reports is scaled by the speed's factor, and the pointer is then put where the scaled movement
// takes it. Nothing global changes, so nothing needs restoring however the game ends. Positions
// are window pixels. Main thread.

struct PlatformRect;

class PointerSpeed {
public:
    // The speed's factor on a movement: 1 at 10 (the desktop's own speed), a tenth of a step
    // slower per step below 10, a quarter faster per step above (1 gives 0.1, 20 gives 3.5).
    static double Factor(int speed);

    // 1 to 20 (other values are clamped). While movements are already being scaled the game's
    // pointer goes on from where it is, at the new factor: a slider that sets the speed while
    // it is dragged must not make the pointer jump. From the desktop's own speed it starts
    // afresh from the next position seen.
    void SetSpeed(int speed);
    int GetSpeed() const { return mSpeed; }
    // Whether movements are scaled at all (every speed but 10).
    bool IsScaling() const { return mFactor != 1.0; }

    // The area the pointer may be put in (the desktop, in window pixels): a scaled position is
    // kept inside it, so the next movement is measured from where the pointer really is.
    void SetBounds(const PlatformRect& area);
    // The pointer left the window or came back, or the window lost the focus: the next position
    // reported is taken as it is.
    void Reset() {
        mHasPosition = false;
        mWarpPending = false;
    }

    // A position the window system reported for a movement or a button (in place): becomes the
    // position the game sees, where the pointer is to be put. Unchanged while not scaling.
    // fromDevice: a relative pointing device (a mouse, a touchpad) moved it; a position that
    // came otherwise (a program placing the pointer, a tablet, a remote desktop) is where the
    // pointer was sent, so it is taken as it is. The report of the pointer arriving where
    // TakeWarp put it moves nothing; reports made before it arrived are measured from where the
    // pointer was then.
    void Map(int* x, int* y, bool fromDevice = true);
    // Where the pointer has to be put so that it stands where the game saw it last; false when it
    // stands there already, or when the last placing has not been reported yet (the reports
    // still queued were measured before it).
    bool TakeWarp(int* x, int* y);

private:
    int mSpeed = 10;
    double mFactor = 1.0;
    bool mHasPosition = false;
    int mReportedX = 0;  // the last position the window system reported
    int mReportedY = 0;
    double mX = 0.0;  // the scaled position
    double mY = 0.0;
    // Batches a placing may go unreported before it counts as lost.
    static constexpr int kWarpPatience = 30;
    bool mWarpPending = false;  // placed there, not yet reported arriving
    int mWarpWaits = 0;
    int mWarpX = 0;
    int mWarpY = 0;
    bool mBounded = false;
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;  // exclusive
    int mBottom = 0;
};
