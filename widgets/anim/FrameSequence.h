#pragma once
// The frame clock of an animated widget's image (and of its mask): which cell shows, how it
// steps (ping-pong, forward, backward, random, wrapping, or through a list of frames), how many
// repeats are left and how long each frame lasts. Pure logic, so the stepping is testable
// without a widget.

#include <vector>

class FrameSequence {
public:
    // Modes of stepping.
    static constexpr int kPingPong = 0;
    static constexpr int kForward = 1;    // repeats counted each time the top is passed
    static constexpr int kBackward = -1;  // repeats counted each time the bottom is passed
    static constexpr int kRandom = 2;     // any other value wraps without counting

    // Moves the clock on by dt seconds; returns how many frame steps fell due (each step is
    // taken by Step). A frame time of 0 or less stops the clock.
    int Advance(float dt);
    // One step; returns the new frame (also stored). A sequence whose last repeat is used up
    // stops (frame time 0).
    int Step();
    // Running and with counted repeats still to play (an endless sequence never "finishes").
    bool HasRepeatsToPlay() const { return mFrameTime > 0.0f && mRepeats > 0; }
    bool IsRunning() const { return mFrameTime > 0.0f; }
    // Frame min and max after the ranges were made sane (max below min is raised to min).
    void NormaliseRange();

    int mFrame = 0;
    int mRepeats = 0;  // 0: endless
    int mStep = 1;
    int mMin = 0;
    int mMax = 0;
    int mMode = kForward;
    int mIndex = 0;  // into mList
    float mTimer = 0.0f;
    float mFrameTime = 0.0f;  // seconds per frame ("frame_rate"); 0 stops
    float mCrossfadeTime = 0.0f;
    std::vector<int> mList;

private:
    // Uses up one repeat; true when it was the last (the sequence stops).
    bool UseRepeat();
};
