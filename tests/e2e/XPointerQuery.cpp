#include "XPointerQuery.h"

#ifdef P7_HAVE_XFIXES
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#endif

bool AskCurrentPointer(const std::string& display, PointerPicture* out) {
#ifdef P7_HAVE_XFIXES
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return false;
    }
    int event = 0;
    int error = 0;
    bool ok = false;
    if (XFixesQueryExtension(connection, &event, &error)) {
        if (XFixesCursorImage* image = XFixesGetCursorImage(connection)) {
            out->width = image->width;
            out->height = image->height;
            out->hotX = image->xhot;
            out->hotY = image->yhot;
            out->pixels.clear();
            for (int i = 0; i < image->width * image->height; ++i) {
                out->pixels.push_back(static_cast<uint32_t>(image->pixels[i]));
            }
            XFree(image);
            ok = true;
        }
    }
    XCloseDisplay(connection);
    return ok;
#else
    (void)display;
    (void)out;
    return false;
#endif
}
