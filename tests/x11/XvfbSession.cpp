#include "x11/XvfbSession.h"

// Last: Xlib's macros (None, Success, Status...) would clash with our names.
#include <X11/Xlib.h>

bool quorvane::test::XvfbSession::windowManagerRunning() {
    Atom check = XInternAtom(display(), "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display(), DefaultRootWindow(display()), check, 0, 1, False, AnyPropertyType, &type,
                       &format, &count, &remaining, &data);
    if (data != nullptr)
        XFree(data);
    return count == 1;
}
