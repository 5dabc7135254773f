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
#include <optional>
#include <string>

namespace quorvane {

namespace {

// Keystroke mode without a display: the engine still shows and counts each record.
class UntypedKeystrokes final : public RecordDelivery, public KeystrokeHost {
public:
    UntypedKeystrokes(UserPrompts& prompts, std::string reason)
        : m_prompts(prompts), m_reason(std::move(reason)) {}

    DeliveryOutcome deliverRecord(const FieldSlots&, int) override {
        if (!m_said) {
            m_said = true;
            m_prompts.messageBox("Keystroke output needs an X11 display (" + m_reason +
                                     "); records are shown but not typed.",
                                 kProgramTitle, MessageButtons::Ok, MessageIcon::Exclamation);
        }
        return DeliveryOutcome::Delivered;
    }

private:
    UserPrompts& m_prompts;
    std::string m_reason;
    bool m_said = false;
};

// Delays between keys let the host's events (and its ticks, which the engine drops) run.
void processEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

class X11Keystrokes final : public KeystrokeHost, public RecordDelivery {
public:
    X11Keystrokes(std::unique_ptr<X11Display> display, const Engine& engine, const Configuration& config,
                  UserPrompts& prompts, const Clock& clock)
        : m_display(std::move(display)), m_keymap(m_display->get()), m_layout(m_keymap),
          m_injector(m_display->get(), m_keymap), m_windows(m_display->get()), m_prompts(prompts),
          m_output(config, engine.state().TargetCommandLine,
                   KeystrokeServices{m_windows, m_launcher, prompts,
                                     KeyTypingHost{m_injector, m_layout, clock, processEventsFor}}) {
        m_injector.setDelayedEvents([&config] { return config.KeystrokeDelay > 0; });
        m_output.setRecordNumber(engine.state().RecordNumber);
    }

    KeystrokeOutput& output() { return m_output; }

    // A server that went away cannot be typed into: records are still shown and counted.
    DeliveryOutcome deliverRecord(const FieldSlots& record, int fieldCount) override {
        if (!m_display->lost())
            return m_output.deliverRecord(record, fieldCount);
        if (!m_saidLost) {
            m_saidLost = true;
            m_prompts.notify("The connection to the X server was lost; records are shown but not typed.",
                             kProgramTitle, MessageIcon::Exclamation);
        }
        return DeliveryOutcome::Delivered;
    }
    void reportEndOfRun() override { m_output.reportMacroErrorRecords(); }

private:
    // Declared in order of construction: everything below uses the display.
    std::unique_ptr<X11Display> m_display;
    X11Keymap m_keymap;
    X11KeyLayout m_layout;
    X11KeyboardInjector m_injector;
    X11WindowSystem m_windows;
    PosixProgramLauncher m_launcher;
    UserPrompts& m_prompts;
    KeystrokeOutput m_output;
    bool m_saidLost = false;
};

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

std::unique_ptr<KeystrokeHost> untyped(Engine& engine, UserPrompts& prompts, std::string reason) {
    auto delivery = std::make_unique<UntypedKeystrokes>(prompts, std::move(reason));
    engine.setDelivery(0, *delivery);
    return delivery;
}

} // namespace

std::unique_ptr<KeystrokeHost> installKeystrokeOutput(Engine& engine, const Configuration& config,
                                                      UserPrompts& prompts, const Clock& clock,
                                                      WindowId runtimeWindow) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return untyped(engine, prompts, "DISPLAY is not set");
    auto display = std::make_unique<X11Display>();
    if (auto problem = displayProblem(*display, name))
        return untyped(engine, prompts, *problem);
    auto keystrokes = std::make_unique<X11Keystrokes>(std::move(display), engine, config, prompts, clock);
    keystrokes->output().setRuntimeWindow(runtimeWindow);
    engine.setDelivery(0, *keystrokes);
    return keystrokes;
}

} // namespace quorvane
