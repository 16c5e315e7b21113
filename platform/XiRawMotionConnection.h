#pragma once
// Raw motion from X Input 2, on a connection of its own to the display of $DISPLAY, subscribed to
// the raw motion of every master device. Main thread.

#include <map>
#include <memory>

#include "platform/RawMotionConnection.h"

class XiRawMotionConnection : public RawMotionConnection {
public:
    // A subscribed connection; null without an X server or X Input 2 (or built without them).
    static std::unique_ptr<RawMotionConnection> Open();

    ~XiRawMotionConnection() override;
    XiRawMotionConnection(const XiRawMotionConnection&) = delete;
    XiRawMotionConnection& operator=(const XiRawMotionConnection&) = delete;

    // Reads every queued event of the connection; true when one was the raw motion of a device
    // in relative mode.
    bool TakeDeviceMotion() override;

private:
    XiRawMotionConnection(void* display, int opcode) : mDisplay(display), mOpcode(opcode) {}
    // Whether the device's first axis is relative (asked of the server once per device).
    bool IsRelativeDevice(int deviceId);

    void* mDisplay;  // Display*
    int mOpcode;
    std::map<int, bool> mRelative;
};
