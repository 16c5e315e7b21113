#pragma once
// Tells a mouse's movements from a pointer that was sent somewhere: X Input 2 reports the raw
// motion of every pointing device with the device it came from, on a connection of its own to
// the display. A movement with no raw motion of a relative device behind it (a program placing
// the pointer, a tablet or a touch screen in absolute mode, a remote desktop placing it) is a
// jump that lands where it points; the mouse speed scales only the rest. Without an X server
// or X Input 2 it never opens, and every movement counts as a mouse's. Main thread.

#include <map>

class RawPointerMotion {
public:
    RawPointerMotion() = default;
    ~RawPointerMotion();
    RawPointerMotion(const RawPointerMotion&) = delete;
    RawPointerMotion& operator=(const RawPointerMotion&) = delete;

    // Connects to the display of $DISPLAY and asks for raw motion; false (and stays closed)
    // when there is none or it lacks X Input 2. Tried once: later calls answer the same.
    bool Open();
    bool IsOpen() const { return mDisplay != nullptr; }
    // Reads the raw motion that arrived; true when a device in relative mode moved since the
    // last call. False while closed.
    bool TakeDeviceMotion();

private:
    // Whether the device's first axis is relative (asked of the server once per device).
    bool IsRelativeDevice(int deviceId);

    void* mDisplay = nullptr;  // Display*
    bool mTried = false;
    int mOpcode = 0;
    std::map<int, bool> mRelative;
};
