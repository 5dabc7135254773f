#pragma once
// A way of typing records on this desktop: the display server or compositor it connects to, and
// what it says when that is not there, goes away or comes back.

#include "config/KeystrokeSettings.h"
#include "platform/Keyboard.h"
#include "platform/WindowSystem.h"

#include <functional>
#include <memory>
#include <string>

namespace quorvane {

/// One open connection of a back end: its keyboard, layout and windows, all valid while it lives.
class KeystrokeConnection {
public:
    virtual ~KeystrokeConnection() = default;
    virtual KeyboardInjector& keyboard() = 0;
    virtual const KeyLayout& layout() = 0;
    virtual WindowSystem& windows() = 0;
    /// True once the server went away; nothing typed or asked reaches it any more.
    virtual bool lost() const = 0;
    /// Whether a delay follows each key event; the back end then waits for each to be handled.
    virtual void setDelayedEvents(std::function<bool()> delayed) = 0;
    /// True when the window is one of this program's own, which the back end knows by another id
    /// than the one the runtime window was given by its toolkit.
    virtual bool isProgramWindow(WindowId) { return false; }
    /// A socket that the host's event loop watches while nothing is typed, calling dispatchEvents
    /// when it is readable; -1 when the back end needs none.
    virtual int eventSocket() const { return -1; }
    virtual void dispatchEvents() {}
};

/// Opens connections of one kind, and holds the texts the host says about them.
class KeystrokeBackend {
public:
    virtual ~KeystrokeBackend() = default;
    /// A new connection; nullptr, with the reason in problem, when it cannot be made.
    virtual std::unique_ptr<KeystrokeConnection> open(std::string& problem) = 0;
    /// Said once when the first record finds no usable connection.
    virtual std::string unusableMessage(const std::string& problem) const = 0;
    /// Said once when the connection breaks.
    virtual std::string lostMessage() const = 0;
    /// Said once when a new connection replaces a broken one.
    virtual std::string backMessage() const = 0;
    /// Said once after the first connection when part of keystroke output cannot work there;
    /// empty when all of it can.
    virtual std::string limitationMessage(KeystrokeConnection&) const { return {}; }
};

/// Typing through XTest on the X display named by DISPLAY.
std::unique_ptr<KeystrokeBackend> makeX11KeystrokeBackend();
/// Typing through the virtual-keyboard protocol of the compositor named by WAYLAND_DISPLAY.
std::unique_ptr<KeystrokeBackend> makeWaylandKeystrokeBackend();
/// Typing through the kernel's virtual keyboard (/dev/uinput) in the desktop's layout (or the one
/// the settings name), with the settings' key delay and hold time; wait keeps the host running.
std::unique_ptr<KeystrokeBackend> makeUinputKeystrokeBackend(const KeystrokeSettings& settings,
                                                             std::function<void(int milliseconds)> wait);

} // namespace quorvane
