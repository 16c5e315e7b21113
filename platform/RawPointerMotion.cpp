#include "platform/RawPointerMotion.h"

#ifdef P7_HAVE_XI
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#endif

#ifdef P7_HAVE_XI

namespace {

Display* AsDisplay(void* display) {
    return static_cast<Display*>(display);
}

}  // namespace

RawPointerMotion::~RawPointerMotion() {
    if (mDisplay != nullptr) {
        XCloseDisplay(AsDisplay(mDisplay));
    }
}

bool RawPointerMotion::Open() {
    if (mTried) {
        return IsOpen();
    }
    mTried = true;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &mOpcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        XCloseDisplay(display);
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    mDisplay = display;
    return true;
}

bool RawPointerMotion::IsRelativeDevice(int deviceId) {
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

bool RawPointerMotion::TakeDeviceMotion() {
    if (mDisplay == nullptr) {
        return false;
    }
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

RawPointerMotion::~RawPointerMotion() = default;

bool RawPointerMotion::Open() {
    mTried = true;
    return false;
}

bool RawPointerMotion::TakeDeviceMotion() {
    return false;
}

#endif
