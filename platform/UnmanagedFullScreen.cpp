#include "platform/UnmanagedFullScreen.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(P7_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace {

bool gXError = false;

int NoteXError(Display* /*display*/, XErrorEvent* /*event*/) {
    gXError = true;
    return 0;
}

// Xlib's default answer to an error is to end the process; a window named in a property may be
// gone (a window manager that exited leaves its check property behind), so errors are caught
// for the calls in between. SDL's own handler is back in place afterwards.
class CatchXErrors {
public:
    explicit CatchXErrors(Display* display) : mDisplay(display) {
        XSync(mDisplay, False);
        gXError = false;
        mPrevious = XSetErrorHandler(NoteXError);
    }
    ~CatchXErrors() {
        XSync(mDisplay, False);
        XSetErrorHandler(mPrevious);
    }
    CatchXErrors(const CatchXErrors&) = delete;
    CatchXErrors& operator=(const CatchXErrors&) = delete;
    bool Failed() {
        XSync(mDisplay, False);
        return gXError;
    }

private:
    Display* mDisplay;
    int (*mPrevious)(Display*, XErrorEvent*) = nullptr;
};

bool X11Window(SDL_Window* window, Display** display, Window* xwindow) {
    if (window == nullptr) {
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return *display != nullptr && *xwindow != 0;
}

// The 32-bit items of a property of the given type; empty when it is absent or of another type.
std::vector<unsigned long> ReadItems(Display* display, Window window, const char* name, Atom type) {
    std::vector<unsigned long> items;
    const Atom property = XInternAtom(display, name, True);
    if (property == None) {
        return items;
    }
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &format,
                           &count, &left, &data) == Success &&
        data != nullptr) {
        if (actualType == type && format == 32) {
            // Xlib hands 32-bit items over as longs.
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.assign(values, values + count);
        }
        XFree(data);
    }
    return items;
}

}  // namespace

bool LacksFullScreenManager(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = 0;
    if (!X11Window(window, &display, &xwindow)) {
        return false;
    }
    CatchXErrors errors(display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, xwindow, &attributes) == 0 || errors.Failed()) {
        return false;
    }
    const Window root = attributes.root;
    // A window manager that follows the desktop conventions names a window of its own on the
    // root, and that window names itself.
    const std::vector<unsigned long> check =
        ReadItems(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (check.empty()) {
        return true;
    }
    const std::vector<unsigned long> self =
        ReadItems(display, Window(check[0]), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (errors.Failed() || self.empty() || self[0] != check[0]) {
        return true;
    }
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", True);
    for (unsigned long atom : ReadItems(display, root, "_NET_SUPPORTED", XA_ATOM)) {
        if (fullScreen != None && atom == fullScreen) {
            return false;
        }
    }
    return true;
}

bool PlaceUnmanagedWindow(SDL_Window* window, int x, int y, int width, int height) {
    Display* display = nullptr;
    Window xwindow = 0;
    if (!X11Window(window, &display, &xwindow) || width <= 0 || height <= 0) {
        return false;
    }
    CatchXErrors errors(display);
    XMoveResizeWindow(display, xwindow, x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    XRaiseWindow(display, xwindow);
    return !errors.Failed();
}

#else

bool LacksFullScreenManager(SDL_Window* /*window*/) {
    return false;
}

bool PlaceUnmanagedWindow(SDL_Window* /*window*/, int /*x*/, int /*y*/, int /*width*/,
                          int /*height*/) {
    return false;
}

#endif
