#include "platform/XiRawMotionConnection.h"

#ifdef P7_HAVE_XI
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace {

Display* AsDisplay(void* display) {
    return static_cast<Display*>(display);
}

}  // namespace

std::unique_ptr<RawMotionConnection> XiRawMotionConnection::Open() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        XCloseDisplay(display);
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    return std::unique_ptr<RawMotionConnection>(new XiRawMotionConnection(display, opcode));
}

XiRawMotionConnection::~XiRawMotionConnection() {
    // Closing the connection ends its subscription with it.
    XCloseDisplay(AsDisplay(mDisplay));
}

bool XiRawMotionConnection::IsRelativeDevice(int deviceId) {
    const auto known = mRelative.find(deviceId);
    if (known != mRelative.end()) {
        return known->second;
    }
    bool relative = true;
    int count = 0;
    if (XIDeviceInfo* info = XIQueryDevice(AsDisplay(mDisplay), deviceId, &count)) {
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < info[i].num_classes; ++c) {
                const auto* any = info[i].classes[c];
                if (any->type == XIValuatorClass) {
                    const auto* axis = reinterpret_cast<const XIValuatorClassInfo*>(any);
                    if (axis->number == 0) {
                        relative = axis->mode == XIModeRelative;
                    }
                }
            }
        }
        XIFreeDeviceInfo(info);
    }
    mRelative[deviceId] = relative;
    return relative;
}

bool XiRawMotionConnection::TakeDeviceMotion() {
    Display* display = AsDisplay(mDisplay);
    bool moved = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != mOpcode ||
            !XGetEventData(display, cookie)) {
            continue;
        }
        if (cookie->evtype == XI_RawMotion) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            moved = moved || IsRelativeDevice(raw->sourceid);
        }
        XFreeEventData(display, cookie);
    }
    return moved;
}

#else

std::unique_ptr<RawMotionConnection> XiRawMotionConnection::Open() {
    return nullptr;
}

XiRawMotionConnection::~XiRawMotionConnection() = default;

bool XiRawMotionConnection::IsRelativeDevice(int) {
    return true;
}

bool XiRawMotionConnection::TakeDeviceMotion() {
    return false;
}

#endif
