#include "app/HotKeyHost.h"

#include "platform/x11/XcbHotKeys.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <optional>

namespace quorvane {

namespace {

// xcb reads events off the socket while it waits for a reply, and those then wait in its queue
// where the socket notifier cannot see them: a slow sweep picks them up.
constexpr int kQueueSweepMs = 100;

class XcbHotKeyHost final : public HotKeyHost {
public:
    XcbHotKeyHost(Engine& engine, Configuration& config, SerialPort& port, EngineView& view,
                  const Clock& clock) {
        const char* display = std::getenv("DISPLAY");
        if (display != nullptr && *display != '\0') {
            m_hotKeys.emplace(display);
            if (!m_hotKeys->ok())
                m_hotKeys.reset();
        }
        m_output.emplace(engine, config, port, view, clock, m_hotKeys ? &*m_hotKeys : nullptr);
        if (!m_hotKeys)
            return;
        m_notifier.emplace(m_hotKeys->fileDescriptor(), QSocketNotifier::Read);
        QObject::connect(&*m_notifier, &QSocketNotifier::activated, [this] { dispatch(); });
        QObject::connect(&m_sweep, &QTimer::timeout, [this] { dispatch(); });
        m_sweep.start(kQueueSweepMs);
    }

    EngineExtensions& extensions() override { return *m_output; }
    SerialOutput& serialOutput() override { return *m_output; }
    bool hotKeysAvailable() const override { return m_hotKeys.has_value(); }

private:
    void dispatch() {
        m_hotKeys->dispatchPending();
        // A server that went away leaves the hot keys dead; the capture goes on without them.
        if (!m_hotKeys->ok()) {
            m_notifier->setEnabled(false);
            m_sweep.stop();
        }
    }

    // Declared first so that it is destroyed last: the serial output releases its keys through it.
    std::optional<XcbHotKeys> m_hotKeys;
    std::optional<SerialOutput> m_output;
    std::optional<QSocketNotifier> m_notifier;
    QTimer m_sweep;
};

} // namespace

std::unique_ptr<HotKeyHost> StartHotKeyHost(Engine& engine, Configuration& config, SerialPort& port,
                                            EngineView& view, const Clock& clock) {
    return std::make_unique<XcbHotKeyHost>(engine, config, port, view, clock);
}

} // namespace quorvane
