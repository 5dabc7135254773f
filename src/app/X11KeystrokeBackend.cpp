#include "app/KeystrokeBackend.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/X11WindowSystem.h"

#include <X11/extensions/XTest.h>
#include <cstdlib>
#include <optional>

namespace quorvane {

namespace {

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

class X11Connection final : public KeystrokeConnection {
public:
    explicit X11Connection(std::unique_ptr<X11Display> display)
        : m_display(std::move(display)), m_keymap(m_display->get()), m_layout(m_keymap),
          m_injector(m_display->get(), m_keymap), m_windows(m_display->get()) {}

    KeyboardInjector& keyboard() override { return m_injector; }
    const KeyLayout& layout() override { return m_layout; }
    WindowSystem& windows() override { return m_windows; }
    bool lost() const override { return m_display->lost(); }
    void setDelayedEvents(std::function<bool()> delayed) override {
        m_injector.setDelayedEvents(std::move(delayed));
    }

private:
    // Declared in order of construction: everything below uses the display.
    std::unique_ptr<X11Display> m_display;
    X11Keymap m_keymap;
    X11KeyLayout m_layout;
    X11KeyboardInjector m_injector;
    X11WindowSystem m_windows;
};

class X11Backend final : public KeystrokeBackend {
public:
    std::unique_ptr<KeystrokeConnection> open(std::string& problem) override {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0') {
            problem = "DISPLAY is not set";
            return nullptr;
        }
        auto display = std::make_unique<X11Display>(name);
        if (auto why = displayProblem(*display, name)) {
            problem = *why;
            return nullptr;
        }
        return std::make_unique<X11Connection>(std::move(display));
    }
    std::string unusableMessage(const std::string& problem) const override {
        return "Keystroke output needs an X11 display (" + problem + "); records are shown but not typed.";
    }
    std::string lostMessage() const override {
        return "The connection to the X server was lost; records are shown but not typed.";
    }
    std::string backMessage() const override {
        return "The X server is back; keystroke output is reconnected.";
    }
};

} // namespace

std::unique_ptr<KeystrokeBackend> makeX11KeystrokeBackend() {
    return std::make_unique<X11Backend>();
}

} // namespace quorvane
