#pragma once
// A connection to the window system that reports the raw motion of the pointing devices. It is
// subscribed for as long as it lives: the window system sends it every raw motion of the desktop
// until it is closed, whether it is read or not. Main thread.

class RawMotionConnection {
public:
    virtual ~RawMotionConnection() = default;

    // Reads all the raw motion that arrived; true when a device in relative mode moved since the
    // last call.
    virtual bool TakeDeviceMotion() = 0;
};
