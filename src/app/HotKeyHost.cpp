#include "app/HotKeyHost.h"

#include "platform/dbus/PortalHotKeys.h"
#include "platform/x11/XcbHotKeys.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace quorvane {

namespace {

// xcb reads events off the socket while it waits for a reply, and those then wait in its queue
// where the socket notifier cannot see them: a slow sweep picks them up.
constexpr int kQueueSweepMs = 100;
// A connection to a server that is not there fails at once; trying once a second costs nothing.
constexpr int kReconnectMs = 1000;

// The hot keys the serial output registers, kept on a connection of their own that is opened only
// when a key is first registered. When the server goes away the keys are remembered, the server is
// looked for once a second, and every key is grabbed again once it is back.
class XcbHotKeyHost final : public HotKeyHost, public HotKeys {
public:
    XcbHotKeyHost(Engine& engine, Configuration& config, SerialPort& port, EngineView& view,
                  const Clock& clock, UserPrompts& prompts)
        : m_prompts(prompts) {
        if (const char* display = std::getenv("DISPLAY"); display != nullptr && *display != '\0')
            m_displayName = display;
        m_output.emplace(engine, config, port, view, clock, this);
        QObject::connect(&m_sweep, &QTimer::timeout, [this] { dispatch(); });
        QObject::connect(&m_reconnect, &QTimer::timeout, [this] { reconnect(); });
    }

    EngineExtensions& extensions() override { return *m_output; }
    SerialOutput& serialOutput() override { return *m_output; }
    bool hotKeysAvailable() const override { return connected(); }

    bool registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) override {
        if (!m_hotKeys && !m_displayName.empty())
            connect();
        if (m_lost) {
            // Grabbed when the server is back.
            m_keys[id] = {virtualKey, modifiers};
            return true;
        }
        if (!connected() || !m_hotKeys->registerKey(id, virtualKey, modifiers))
            return false;
        m_keys[id] = {virtualKey, modifiers};
        return true;
    }
    void unregisterKey(int id) override {
        m_keys.erase(id);
        if (m_hotKeys)
            m_hotKeys->unregisterKey(id);
    }
    void setPressHandler(PressHandler handler) override {
        m_handler = std::move(handler);
        if (m_hotKeys)
            m_hotKeys->setPressHandler(m_handler);
    }

private:
    struct Binding {
        std::uint8_t VirtualKey = 0;
        unsigned Modifiers = 0;
    };

    bool connected() const { return m_hotKeys && m_hotKeys->ok(); }

    bool connect() {
        m_notifier.reset();
        m_hotKeys.reset();
        m_hotKeys.emplace(m_displayName.c_str());
        if (!m_hotKeys->ok()) {
            m_hotKeys.reset();
            return false;
        }
        m_hotKeys->setPressHandler(m_handler);
        m_notifier.emplace(m_hotKeys->fileDescriptor(), QSocketNotifier::Read);
        QObject::connect(&*m_notifier, &QSocketNotifier::activated, [this] { dispatch(); });
        m_sweep.start(kQueueSweepMs);
        return true;
    }

    void dispatch() {
        if (!m_hotKeys)
            return;
        m_hotKeys->dispatchPending();
        if (m_hotKeys->ok())
            return;
        // The capture goes on without hot keys until the server is back.
        m_notifier->setEnabled(false);
        m_sweep.stop();
        m_lost = true;
        m_reconnect.start(kReconnectMs);
        m_prompts.notify("The connection to the X server was lost; the hot keys are off until it is back.",
                         kProgramTitle, MessageIcon::Exclamation);
    }

    void reconnect() {
        if (!connect())
            return;
        m_reconnect.stop();
        m_lost = false;
        for (const auto& [id, binding] : m_keys)
            m_hotKeys->registerKey(id, binding.VirtualKey, binding.Modifiers);
        m_prompts.notify("The X server is back; the hot keys are reconnected.", kProgramTitle,
                         MessageIcon::Information);
    }

    UserPrompts& m_prompts;
    std::string m_displayName;
    // Declared before the serial output, which releases its keys through them when destroyed.
    std::optional<XcbHotKeys> m_hotKeys;
    std::map<int, Binding> m_keys;
    PressHandler m_handler;
    bool m_lost = false;
    std::optional<SerialOutput> m_output;
    std::optional<QSocketNotifier> m_notifier;
    QTimer m_sweep;
    QTimer m_reconnect;
};

// On a Wayland desktop no program may grab keys: the desktop's GlobalShortcuts portal binds them
// for us, asked for when the first key is registered. Without a portal the hot keys are off, which
// is said once.
class PortalHotKeyHost final : public HotKeyHost, public HotKeys {
public:
    PortalHotKeyHost(Engine& engine, Configuration& config, SerialPort& port, EngineView& view,
                     const Clock& clock, UserPrompts& prompts)
        : m_prompts(prompts) {
        m_output.emplace(engine, config, port, view, clock, this);
    }

    EngineExtensions& extensions() override { return *m_output; }
    SerialOutput& serialOutput() override { return *m_output; }
    bool hotKeysAvailable() const override { return m_portal.has_value(); }

    bool registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) override {
        if (!m_probed) {
            m_probed = true;
            if (PortalHotKeys::available(QDBusConnection::sessionBus())) {
                m_portal.emplace(QDBusConnection::sessionBus());
                m_portal->setPressHandler(m_handler);
                m_portal->setNoticeHandler([this](const std::string& text) {
                    m_prompts.notify(text, kProgramTitle, MessageIcon::Exclamation);
                });
            } else {
                m_prompts.notify("This desktop offers no GlobalShortcuts portal; the hot keys are off.",
                                 kProgramTitle, MessageIcon::Exclamation);
            }
        }
        return m_portal && m_portal->registerKey(id, virtualKey, modifiers);
    }
    void unregisterKey(int id) override {
        if (m_portal)
            m_portal->unregisterKey(id);
    }
    void setPressHandler(PressHandler handler) override {
        m_handler = std::move(handler);
        if (m_portal)
            m_portal->setPressHandler(m_handler);
    }

private:
    UserPrompts& m_prompts;
    // Declared before the serial output, which releases its keys through them when destroyed.
    std::optional<PortalHotKeys> m_portal;
    PressHandler m_handler;
    bool m_probed = false;
    std::optional<SerialOutput> m_output;
};

bool waylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return display != nullptr && *display != '\0';
}

} // namespace

std::unique_ptr<HotKeyHost> StartHotKeyHost(Engine& engine, Configuration& config, SerialPort& port,
                                            EngineView& view, const Clock& clock, UserPrompts& prompts) {
    if (waylandSession())
        return std::make_unique<PortalHotKeyHost>(engine, config, port, view, clock, prompts);
    return std::make_unique<XcbHotKeyHost>(engine, config, port, view, clock, prompts);
}

} // namespace quorvane
