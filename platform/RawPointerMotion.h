#pragma once
// Tells a mouse's movements from a pointer that was sent somewhere: the window system reports the
// raw motion of every pointing device with the device it came from, on a connection of its own.
// A movement with no raw motion of a relative device behind it (a program placing the pointer, a
// tablet or a touch screen in absolute mode, a remote desktop placing it) is a jump that lands
// where it points; the mouse speed scales only the rest. The connection is open only while the
// game reads it: every raw motion of the desktop is sent to it, and unread it would pile up in
// the game and in the server. Without a connection every movement counts as a mouse's. Main
// thread.

#include <functional>
#include <memory>

#include "platform/RawMotionConnection.h"

class RawPointerMotion {
public:
    // Opens a subscribed connection, or answers null when there can be none.
    using Opener = std::function<std::unique_ptr<RawMotionConnection>()>;

    explicit RawPointerMotion(Opener open) : mOpen(std::move(open)) {}

    // Opens the connection while wanted and closes it while not. A connection that once failed
    // to open is not tried again (there is no display, or it lacks raw motion).
    void SetWanted(bool wanted);
    bool IsOpen() const { return mConnection != nullptr; }
    // Reads the raw motion that arrived; true when a device in relative mode moved since the
    // last call. False while closed.
    bool TakeDeviceMotion();

private:
    Opener mOpen;
    std::unique_ptr<RawMotionConnection> mConnection;
    bool mRefused = false;
};
