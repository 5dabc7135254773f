#include "app/KeystrokeHost.h"

#include "app/KeystrokeBackend.h"
#include "engine/output/KeystrokeOutput.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/ProgramLauncher.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

namespace {

// Delays between keys let the host's events (and its ticks, which the engine drops) run.
void processEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// A connection to a server that is not there fails at once; trying once a second costs nothing.
constexpr int kReconnectMs = 1000;

// The back end of this run: the user's, or the one for the session. Under Wayland, XWayland's
// display reaches only X programs: the compositor's virtual keyboard where it has one, else the
// kernel's.
std::vector<std::unique_ptr<KeystrokeBackend>> chosenBackends(const KeystrokeSettings& settings) {
    const KeystrokeSession session = SessionOfEnvironment([](const char* name) { return std::getenv(name); });
    std::vector<std::unique_ptr<KeystrokeBackend>> backends;
    switch (ChooseKeystrokeBackend(settings.Backend, session, [] {
        const WaylandConnection compositor;
        return compositor.ok() && compositor.offersVirtualKeyboard();
    })) {
    case KeystrokeBackendKind::Wayland:
        backends.push_back(makeWaylandKeystrokeBackend());
        break;
    case KeystrokeBackendKind::Uinput:
        backends.push_back(makeUinputKeystrokeBackend(settings, processEventsFor));
        break;
    case KeystrokeBackendKind::Auto:
    case KeystrokeBackendKind::X11:
        backends.push_back(makeX11KeystrokeBackend());
        break;
    }
    return backends;
}

// The connection is opened with the first record typed, so that other output modes never connect.
// Without a usable connection, or while the server is gone, the engine still shows and counts each
// record and the keyboard and windows do nothing; a server that went away is looked for again
// once a second.
class SessionKeystrokes final : public KeystrokeHost,
                                public RecordDelivery,
                                public KeyboardInjector,
                                public KeyLayout,
                                public WindowSystem {
public:
    SessionKeystrokes(const KeystrokeSettings& settings, const Engine& engine, const Configuration& config,
                      UserPrompts& prompts, const Clock& clock)
        : m_settings(settings), m_config(config), m_prompts(prompts),
          m_output(config, engine.state().TargetCommandLine,
                   KeystrokeServices{*this, m_launcher, prompts,
                                     KeyTypingHost{*this, *this, clock, processEventsFor}}) {
        m_output.setRecordNumber(engine.state().RecordNumber);
        QObject::connect(&m_reconnect, &QTimer::timeout, [this] { reconnect(); });
    }

    KeystrokeOutput& output() { return m_output; }

    DeliveryOutcome deliverRecord(const FieldSlots& record, int fieldCount) override {
        if (!m_opened) {
            m_opened = true;
            openFirst();
        }
        if (!live()) {
            noticeLoss();
            return DeliveryOutcome::Delivered;
        }
        const DeliveryOutcome outcome = m_output.deliverRecord(record, fieldCount);
        noticeLoss();
        return outcome;
    }
    void reportEndOfRun() override { m_output.reportMacroErrorRecords(); }

    // The keyboard, layout and windows of the connection while it works; nothing otherwise.
    void sendKey(std::uint16_t virtualKey, bool down) override {
        if (live())
            m_connection->keyboard().sendKey(virtualKey, down);
    }
    void sync() override {
        if (live())
            m_connection->keyboard().sync();
    }
    void saveModifiers() override {
        if (live())
            m_connection->keyboard().saveModifiers();
    }
    void clearModifiers() override {
        if (live())
            m_connection->keyboard().clearModifiers();
    }
    void restoreModifiers() override {
        if (live())
            m_connection->keyboard().restoreModifiers();
    }
    bool capsLock() const override { return live() && m_connection->keyboard().capsLock(); }
    void setCapsLock(bool on) override {
        if (live())
            m_connection->keyboard().setCapsLock(on);
    }
    std::optional<KeyStroke> keyForCharacter(unsigned char character) const override {
        return live() ? m_connection->layout().keyForCharacter(character) : std::nullopt;
    }
    std::vector<WindowId> topLevelWindows() override {
        return live() ? m_connection->windows().topLevelWindows() : std::vector<WindowId>{};
    }
    std::string windowTitle(WindowId window) override {
        return live() ? m_connection->windows().windowTitle(window) : std::string();
    }
    // The runtime window is known to keystroke output by its toolkit's id; a back end that lists it
    // under an id of its own (Wayland) has that id stand for it both ways.
    WindowId foregroundWindow() override {
        if (!live())
            return kNoWindow;
        const WindowId window = m_connection->windows().foregroundWindow();
        if (m_runtimeWindow == kNoWindow || window == kNoWindow || !m_connection->isProgramWindow(window))
            return window;
        m_runtimeWindowListed = window;
        return m_runtimeWindow;
    }
    bool activate(WindowId window) override {
        if (live() && window == m_runtimeWindow && m_runtimeWindowListed != kNoWindow)
            window = m_runtimeWindowListed;
        return live() && m_connection->windows().activate(window);
    }
    // Records never go to the runtime window, nor to any other window isOwn knows (the virtual
    // device, a dialog); on Wayland every window of the program stands for the runtime window.
    void setOwnWindows(WindowId runtimeWindow, std::function<bool(WindowId)> isOwn) {
        m_runtimeWindow = runtimeWindow;
        m_output.setOwnWindows([this, isOwn = std::move(isOwn)](WindowId window) {
            return window != kNoWindow && (window == m_runtimeWindow || (isOwn && isOwn(window)));
        });
    }
    bool isMinimized(WindowId window) override {
        return live() && m_connection->windows().isMinimized(window);
    }
    void restore(WindowId window) override {
        if (live())
            m_connection->windows().restore(window);
    }
    void show(WindowId window) override {
        if (live())
            m_connection->windows().show(window);
    }
    void minimize(WindowId window) override {
        if (live())
            m_connection->windows().minimize(window);
    }

private:
    bool live() const { return m_connection && !m_connection->lost(); }

    // The first back end that connects is the one of this run; when none does, the first one says why.
    void openFirst() {
        // Chosen only now: other output modes never connect to anything.
        m_backends = chosenBackends(m_settings);
        std::string firstProblem;
        for (auto& backend : m_backends) {
            std::string problem;
            if (open(*backend, problem)) {
                m_backend = backend.get();
                if (m_config.ActivateTargetApp != 0)
                    if (const std::string limit = m_backend->limitationMessage(*m_connection); !limit.empty())
                        m_prompts.notify(limit, kProgramTitle, MessageIcon::Information);
                return;
            }
            if (firstProblem.empty())
                firstProblem = problem;
        }
        m_backend = m_backends.front().get();
        m_prompts.messageBox(m_backend->unusableMessage(firstProblem), kProgramTitle, MessageButtons::Ok,
                             MessageIcon::Exclamation);
    }

    bool open(KeystrokeBackend& backend, std::string& problem) {
        m_notifier.reset();
        m_connection = backend.open(problem);
        if (!m_connection)
            return false;
        m_connection->setDelayedEvents([this] { return m_config.KeystrokeDelay > 0; });
        if (const int socket = m_connection->eventSocket(); socket >= 0) {
            m_notifier.emplace(socket, QSocketNotifier::Read);
            QObject::connect(&*m_notifier, &QSocketNotifier::activated, [this] {
                m_connection->dispatchEvents();
                if (!m_connection->lost())
                    return;
                // Not from inside the notifier's own signal: dropping the connection destroys it.
                m_notifier->setEnabled(false);
                QTimer::singleShot(0, &m_reconnect, [this] { noticeLoss(); });
            });
        }
        return true;
    }

    // A server that went away cannot be typed into: the dead connection is dropped at once.
    void noticeLoss() {
        if (!m_connection || !m_connection->lost())
            return;
        m_notifier.reset();
        m_connection.reset();
        m_reconnect.start(kReconnectMs);
        m_prompts.notify(m_backend->lostMessage(), kProgramTitle, MessageIcon::Exclamation);
    }

    void reconnect() {
        std::string problem;
        if (!open(*m_backend, problem))
            return;
        m_reconnect.stop();
        m_prompts.notify(m_backend->backMessage(), kProgramTitle, MessageIcon::Information);
    }

    KeystrokeSettings m_settings;
    std::vector<std::unique_ptr<KeystrokeBackend>> m_backends;
    KeystrokeBackend* m_backend = nullptr;
    const Configuration& m_config;
    UserPrompts& m_prompts;
    PosixProgramLauncher m_launcher;
    std::unique_ptr<KeystrokeConnection> m_connection;
    WindowId m_runtimeWindow = kNoWindow;
    WindowId m_runtimeWindowListed = kNoWindow; // the back end's id of the runtime window, once seen
    std::optional<QSocketNotifier> m_notifier;
    KeystrokeOutput m_output;
    QTimer m_reconnect;
    bool m_opened = false;
};

} // namespace

std::unique_ptr<KeystrokeHost> installKeystrokeOutput(Engine& engine, const Configuration& config,
                                                      UserPrompts& prompts, const Clock& clock,
                                                      const KeystrokeSettings& settings,
                                                      WindowId runtimeWindow,
                                                      std::function<bool(WindowId)> isOwnWindow) {
    auto keystrokes = std::make_unique<SessionKeystrokes>(settings, engine, config, prompts, clock);
    keystrokes->setOwnWindows(runtimeWindow, std::move(isOwnWindow));
    engine.setDelivery(0, *keystrokes);
    return keystrokes;
}

} // namespace quorvane
