#include "app/KeystrokeBackend.h"
#include "platform/uinput/UinputKeyboard.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "platform/x11/X11ServerKeyboard.h"
#include "platform/xkb/XkbKeymap.h"
#include "platform/xkb/XkbLayout.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quorvane {

namespace {

// Without a desktop that lists its windows, records go to whatever has the keyboard focus.
class NoWindows final : public WindowSystem {
public:
    std::vector<WindowId> topLevelWindows() override { return {}; }
    std::string windowTitle(WindowId) override { return {}; }
    WindowId foregroundWindow() override { return kNoWindow; }
    bool activate(WindowId) override { return false; }
    bool isMinimized(WindowId) override { return false; }
    void restore(WindowId) override {}
    void show(WindowId) override {}
    void minimize(WindowId) override {}
};

std::string fileText(const char* path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class UinputKeystrokeConnection final : public KeystrokeConnection {
public:
    UinputKeystrokeConnection(XkbKeymap keymap, std::unique_ptr<WaylandConnection> compositor,
                              std::unique_ptr<X11ServerKeyboard> xserver, bool followKeymap,
                              const UinputTiming& timing, std::function<void(int)> wait)
        : m_compositor(std::move(compositor)), m_xserver(std::move(xserver)), m_layout(std::move(keymap)),
          m_keyboard(m_layout, m_calls, timing, std::move(wait)) {
        if (m_xserver)
            m_keyboard.setStateSource([this, followKeymap] {
                // A layout the user switches to on the server is typed from the next key on.
                if (followKeymap && m_xserver->keymapChanged())
                    if (XkbKeymap now = m_xserver->keymap(); now.ok())
                        m_layout.setKeymap(std::move(now));
                return m_xserver->state();
            });
        if (m_compositor) {
            // The compositor tells the seat's modifiers to a client while it has the focus only;
            // what it told last is the best there is.
            m_keyboard.setStateSource([this]() -> std::optional<XkbModifierState> {
                m_compositor->dispatchPending();
                const auto& seat = m_compositor->modifiers();
                if (!seat)
                    return std::nullopt;
                return XkbModifierState{seat->Depressed, seat->Latched, seat->Locked, seat->Group};
            });
            if (m_compositor->offersForeignToplevel()) {
                m_waylandWindows = std::make_unique<WaylandWindowSystem>(*m_compositor);
                if (!m_waylandWindows->available())
                    m_waylandWindows.reset();
            }
        }
    }

    std::optional<std::string> open() { return m_keyboard.open(); }
    bool windowsAvailable() const { return m_waylandWindows != nullptr; }

    KeyboardInjector& keyboard() override { return m_keyboard; }
    const KeyLayout& layout() override { return m_layout; }
    WindowSystem& windows() override {
        return m_waylandWindows ? static_cast<WindowSystem&>(*m_waylandWindows) : m_noWindows;
    }
    // The runtime window's application id, as the Wayland back end knows it.
    bool isProgramWindow(WindowId window) override {
        return m_waylandWindows && m_waylandWindows->hasAppId(window, "quorvane");
    }
    // The device stays while the program runs; the compositor's connection only informs it.
    bool lost() const override { return false; }
    void setDelayedEvents(std::function<bool()>) override {}
    int eventSocket() const override { return m_compositor ? m_compositor->fileDescriptor() : -1; }
    void dispatchEvents() override {
        if (m_compositor)
            m_compositor->dispatchPending();
    }

private:
    // Declared in order of construction: the keyboard uses the layout and the calls.
    std::unique_ptr<WaylandConnection> m_compositor;
    std::unique_ptr<X11ServerKeyboard> m_xserver;
    XkbLayout m_layout;
    UinputCalls m_calls;
    UinputKeyboard m_keyboard;
    std::unique_ptr<WaylandWindowSystem> m_waylandWindows;
    NoWindows m_noWindows;
};

class UinputBackend final : public KeystrokeBackend {
public:
    UinputBackend(const KeystrokeSettings& settings, std::function<void(int)> wait)
        : m_settings(settings), m_wait(std::move(wait)) {}

    std::unique_ptr<KeystrokeConnection> open(std::string& problem) override {
        std::unique_ptr<WaylandConnection> compositor;
        if (const char* name = std::getenv("WAYLAND_DISPLAY"); name != nullptr && *name != '\0') {
            compositor = std::make_unique<WaylandConnection>(name);
            if (!compositor->ok())
                compositor.reset();
        }
        // On an X11 session the server knows the layout and the user's modifiers and locks.
        std::unique_ptr<X11ServerKeyboard> xserver;
        if (const char* name = std::getenv("DISPLAY"); !compositor && name != nullptr && *name != '\0') {
            xserver = std::make_unique<X11ServerKeyboard>(name);
            if (!xserver->ok())
                xserver.reset();
        }
        XkbKeymap keymap = layoutKeymap(compositor.get(), xserver.get(), problem);
        if (!keymap.ok())
            return nullptr;
        const UinputTiming timing{std::chrono::milliseconds(m_settings.KeyDelay),
                                  std::chrono::milliseconds(m_settings.HoldTime)};
        auto connection = std::make_unique<UinputKeystrokeConnection>(
            std::move(keymap), std::move(compositor), std::move(xserver), m_settings.Layout.empty(), timing,
            m_wait);
        if (auto refused = connection->open()) {
            problem = *refused;
            return nullptr;
        }
        return connection;
    }
    std::string unusableMessage(const std::string& problem) const override {
        // The device's own messages say what to do and that records are not typed.
        if (problem.rfind("Cannot ", 0) == 0)
            return problem;
        return "Keystroke output through the kernel's virtual keyboard cannot start (" + problem +
               "); records are shown but not typed.";
    }
    std::string lostMessage() const override { return {}; }
    std::string backMessage() const override { return {}; }
    std::string limitationMessage(KeystrokeConnection& connection) const override {
        if (static_cast<UinputKeystrokeConnection&>(connection).windowsAvailable())
            return {};
        return "This desktop does not let programs activate other windows; records go to the focused window.";
    }

private:
    // The layout typed in: the user's setting, else the compositor's or the X server's keymap,
    // else the system's keyboard configuration, else a US keyboard.
    XkbKeymap layoutKeymap(WaylandConnection* compositor, X11ServerKeyboard* xserver,
                           std::string& problem) const {
        if (!m_settings.Layout.empty()) {
            XkbKeymap keymap =
                XkbKeymap::fromNames({m_settings.Layout, m_settings.Variant, "", ""}, &problem);
            if (!keymap.ok())
                problem = "the keyboard layout setting names " + problem;
            return keymap;
        }
        if (compositor != nullptr) {
            if (compositor->keymapText().empty())
                compositor->roundtrip();
            if (!compositor->keymapText().empty())
                if (XkbKeymap keymap = XkbKeymap::fromText(compositor->keymapText()); keymap.ok())
                    return keymap;
        }
        if (xserver != nullptr)
            if (XkbKeymap keymap = xserver->keymap(); keymap.ok())
                return keymap;
        if (XkbKeymap keymap = XkbKeymap::fromNames(SystemLayoutNames(fileText("/etc/default/keyboard")));
            keymap.ok())
            return keymap;
        return XkbKeymap::fromNames({"us", "", "", ""}, &problem);
    }

    KeystrokeSettings m_settings;
    std::function<void(int)> m_wait;
};

} // namespace

std::unique_ptr<KeystrokeBackend> makeUinputKeystrokeBackend(const KeystrokeSettings& settings,
                                                             std::function<void(int milliseconds)> wait) {
    return std::make_unique<UinputBackend>(settings, std::move(wait));
}

} // namespace quorvane
