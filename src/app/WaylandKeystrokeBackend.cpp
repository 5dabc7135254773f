#include "app/KeystrokeBackend.h"
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/WaylandWindowSystem.h"

#include <cstdlib>

namespace quorvane {

namespace {

// The application id the compositor knows Quorvane's windows by: Qt sends the desktop file name.
const std::string kProgramAppId = "quorvane";

class WaylandKeystrokeConnection final : public KeystrokeConnection {
public:
    WaylandKeystrokeConnection(std::unique_ptr<WaylandConnection> connection, const VirtualKeymap& keymap)
        : m_connection(std::move(connection)), m_layout(keymap), m_injector(*m_connection, keymap),
          m_windows(*m_connection) {}

    bool injectorOk() const { return m_injector.ok(); }
    bool windowsAvailable() const { return m_windows.available(); }

    KeyboardInjector& keyboard() override { return m_injector; }
    const KeyLayout& layout() override { return m_layout; }
    WindowSystem& windows() override { return m_windows; }
    bool lost() const override { return m_connection->lost(); }
    void setDelayedEvents(std::function<bool()> delayed) override {
        m_injector.setDelayedEvents(std::move(delayed));
    }
    // Window titles and states keep coming between records; unread, they would fill the socket.
    bool isProgramWindow(WindowId window) override { return m_windows.hasAppId(window, kProgramAppId); }
    int eventSocket() const override { return m_connection->fileDescriptor(); }
    void dispatchEvents() override { m_connection->dispatchPending(); }

private:
    // Declared in order of construction: everything below uses the connection.
    std::unique_ptr<WaylandConnection> m_connection;
    const VirtualKeymap& m_layout;
    WaylandKeyboardInjector m_injector;
    WaylandWindowSystem m_windows;
};

class WaylandBackend final : public KeystrokeBackend {
public:
    std::unique_ptr<KeystrokeConnection> open(std::string& problem) override {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        if (name == nullptr || *name == '\0') {
            problem = "WAYLAND_DISPLAY is not set";
            return nullptr;
        }
        auto connection = std::make_unique<WaylandConnection>(name);
        if (!connection->ok()) {
            problem = connection->problem();
            return nullptr;
        }
        if (!connection->offersVirtualKeyboard()) {
            problem = "the compositor offers no virtual keyboard";
            return nullptr;
        }
        auto opened = std::make_unique<WaylandKeystrokeConnection>(std::move(connection), m_keymap);
        if (!opened->injectorOk()) {
            problem = "the compositor refused a virtual keyboard";
            return nullptr;
        }
        return opened;
    }
    std::string unusableMessage(const std::string& problem) const override {
        return "Keystroke output needs a Wayland compositor with a virtual keyboard (" + problem +
               "); records are shown but not typed.";
    }
    std::string lostMessage() const override {
        return "The connection to the Wayland compositor was lost; records are shown but not typed.";
    }
    std::string backMessage() const override {
        return "The Wayland compositor is back; keystroke output is reconnected.";
    }
    std::string limitationMessage(KeystrokeConnection& connection) const override {
        if (static_cast<WaylandKeystrokeConnection&>(connection).windowsAvailable())
            return {};
        return "This desktop does not let programs activate other windows; records go to the focused window.";
    }

private:
    VirtualKeymap m_keymap;
};

} // namespace

std::unique_ptr<KeystrokeBackend> makeWaylandKeystrokeBackend() {
    return std::make_unique<WaylandBackend>();
}

} // namespace quorvane
