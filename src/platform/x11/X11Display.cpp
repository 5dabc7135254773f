#include "platform/x11/X11Display.h"

#include <X11/Xlib.h>

#include <atomic>

namespace quorvane {

namespace {

std::atomic<unsigned long> g_errors{0};
std::string g_lastError;

int recordError(Display* display, XErrorEvent* event) {
    ++g_errors;
    char text[256] = {};
    XGetErrorText(display, event->error_code, text, sizeof text);
    g_lastError = text;
    return 0;
}

// A lost connection cannot be survived by Xlib; say so clearly rather than with Xlib's own text.
int connectionLost(Display*) {
    g_lastError = "connection to the X server lost";
    return 0;
}

} // namespace

X11Display::X11Display(const char* name) {
    XSetErrorHandler(recordError);
    XSetIOErrorHandler(connectionLost);
    m_display = XOpenDisplay(name);
    // Xlib's own exit handler ends the program when the server goes away; one that returns leaves
    // the connection marked broken instead, and capture goes on.
    if (m_display != nullptr)
        XSetIOErrorExitHandler(
            m_display, [](Display*, void* self) { static_cast<X11Display*>(self)->m_lost = true; }, this);
}

X11Display::~X11Display() {
    if (m_display != nullptr)
        XCloseDisplay(m_display);
}

unsigned long X11Display::errorCount() {
    return g_errors.load();
}

std::string X11Display::lastError() {
    return g_lastError;
}

} // namespace quorvane
