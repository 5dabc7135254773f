#include "app/KeystrokeHost.h"

#include "engine/output/KeystrokeOutput.h"
#include "platform/x11/ProgramLauncher.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/X11WindowSystem.h"

#include <QEventLoop>
#include <QTimer>
#include <X11/extensions/XTest.h>
#include <cstdlib>
#include <functional>
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

// Why keystrokes cannot be typed on this display; nothing when they can.
std::optional<std::string> displayProblem(const X11Display& display, const std::string& name) {
    if (!display.ok())
        return "cannot open display \"" + name + "\"";
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (XTestQueryExtension(display.get(), &event, &error, &major, &minor) == False)
        return "display \"" + name + "\" has no XTEST extension";
    return std::nullopt;
}

// Everything that talks to one connection, built anew after the server came back.
struct X11Connection {
    X11Connection(std::unique_ptr<X11Display> display, std::function<bool()> delayedEvents)
        : Display(std::move(display)), Keymap(Display->get()), Layout(Keymap),
          Injector(Display->get(), Keymap), Windows(Display->get()) {
        Injector.setDelayedEvents(std::move(delayedEvents));
    }
    // Declared in order of construction: everything below uses the display.
    std::unique_ptr<X11Display> Display;
    X11Keymap Keymap;
    X11KeyLayout Layout;
    X11KeyboardInjector Injector;
    X11WindowSystem Windows;
};

// The display is opened with the first record typed, so that other output modes never connect.
// Without a usable display, or while the server is gone, the engine still shows and counts each
// record and the keyboard and windows do nothing; a server that went away is looked for again
// once a second.
class X11Keystrokes final : public KeystrokeHost,
                            public RecordDelivery,
                            public KeyboardInjector,
                            public KeyLayout,
                            public WindowSystem {
public:
    X11Keystrokes(std::string displayName, const Engine& engine, const Configuration& config,
                  UserPrompts& prompts, const Clock& clock)
        : m_displayName(std::move(displayName)), m_config(config), m_prompts(prompts),
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
            if (auto problem = open())
                m_prompts.messageBox("Keystroke output needs an X11 display (" + *problem +
                                         "); records are shown but not typed.",
                                     kProgramTitle, MessageButtons::Ok, MessageIcon::Exclamation);
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
            m_connection->Injector.sendKey(virtualKey, down);
    }
    void sync() override {
        if (live())
            m_connection->Injector.sync();
    }
    void saveModifiers() override {
        if (live())
            m_connection->Injector.saveModifiers();
    }
    void clearModifiers() override {
        if (live())
            m_connection->Injector.clearModifiers();
    }
    void restoreModifiers() override {
        if (live())
            m_connection->Injector.restoreModifiers();
    }
    bool capsLock() const override { return live() && m_connection->Injector.capsLock(); }
    void setCapsLock(bool on) override {
        if (live())
            m_connection->Injector.setCapsLock(on);
    }
    std::optional<KeyStroke> keyForCharacter(unsigned char character) const override {
        return live() ? m_connection->Layout.keyForCharacter(character) : std::nullopt;
    }
    std::vector<WindowId> topLevelWindows() override {
        return live() ? m_connection->Windows.topLevelWindows() : std::vector<WindowId>{};
    }
    std::string windowTitle(WindowId window) override {
        return live() ? m_connection->Windows.windowTitle(window) : std::string();
    }
    WindowId foregroundWindow() override {
        return live() ? m_connection->Windows.foregroundWindow() : kNoWindow;
    }
    bool activate(WindowId window) override { return live() && m_connection->Windows.activate(window); }
    bool isMinimized(WindowId window) override { return live() && m_connection->Windows.isMinimized(window); }
    void restore(WindowId window) override {
        if (live())
            m_connection->Windows.restore(window);
    }
    void show(WindowId window) override {
        if (live())
            m_connection->Windows.show(window);
    }
    void minimize(WindowId window) override {
        if (live())
            m_connection->Windows.minimize(window);
    }

private:
    bool live() const { return m_connection && !m_connection->Display->lost(); }

    // Why the display cannot be used; nothing once it is connected.
    std::optional<std::string> open() {
        if (m_displayName.empty())
            return "DISPLAY is not set";
        auto display = std::make_unique<X11Display>(m_displayName.c_str());
        if (auto problem = displayProblem(*display, m_displayName))
            return problem;
        m_connection = std::make_unique<X11Connection>(std::move(display),
                                                       [this] { return m_config.KeystrokeDelay > 0; });
        return std::nullopt;
    }

    // A server that went away cannot be typed into: the dead connection is dropped at once.
    void noticeLoss() {
        if (!m_connection || !m_connection->Display->lost())
            return;
        m_connection.reset();
        m_reconnect.start(kReconnectMs);
        m_prompts.notify("The connection to the X server was lost; records are shown but not typed.",
                         kProgramTitle, MessageIcon::Exclamation);
    }

    void reconnect() {
        if (open())
            return;
        m_reconnect.stop();
        m_prompts.notify("The X server is back; keystroke output is reconnected.", kProgramTitle,
                         MessageIcon::Information);
    }

    std::string m_displayName;
    const Configuration& m_config;
    UserPrompts& m_prompts;
    PosixProgramLauncher m_launcher;
    std::unique_ptr<X11Connection> m_connection;
    KeystrokeOutput m_output;
    QTimer m_reconnect;
    bool m_opened = false;
};

} // namespace

std::unique_ptr<KeystrokeHost> installKeystrokeOutput(Engine& engine, const Configuration& config,
                                                      UserPrompts& prompts, const Clock& clock,
                                                      WindowId runtimeWindow) {
    const char* name = std::getenv("DISPLAY");
    auto keystrokes =
        std::make_unique<X11Keystrokes>(name != nullptr ? name : "", engine, config, prompts, clock);
    keystrokes->output().setRuntimeWindow(runtimeWindow);
    engine.setDelivery(0, *keystrokes);
    return keystrokes;
}

} // namespace quorvane
