#pragma once
// One connection to the X server, whose errors are recorded instead of ending the program.

#include <string>

struct _XDisplay;

namespace quorvane {

/// Opens the display named by $DISPLAY (or `name`). Xlib's default error handler exits the program
/// on the first protocol error; while any X11Display lives, errors are counted and kept instead.
class X11Display {
public:
    explicit X11Display(const char* name = nullptr);
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    /// True when the connection is open.
    bool ok() const { return m_display != nullptr; }
    /// The Xlib connection; null when the display could not be opened.
    _XDisplay* get() const { return m_display; }
    /// True once the connection to the server broke; every later Xlib call on it returns at once.
    bool lost() const { return m_lost; }

    /// Protocol errors seen since the program started (on any display).
    static unsigned long errorCount();
    /// The last protocol error, as Xlib describes it; empty when none.
    static std::string lastError();

private:
    _XDisplay* m_display = nullptr;
    bool m_lost = false;
};

} // namespace quorvane
