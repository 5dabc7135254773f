#pragma once
// The desktop's top-level windows through Xlib, with the window manager's EWMH hints where it
// gives them and the core protocol otherwise.

#include "platform/WindowSystem.h"

#include <chrono>
#include <optional>
#include <vector>

struct _XDisplay;

namespace quorvane {

/// Windows of one X display. Window ids are client windows (the ones with WM_STATE under a window
/// manager, the root's children without one).
class X11WindowSystem final : public WindowSystem {
public:
    explicit X11WindowSystem(_XDisplay* display);

    /// How long activate waits for the focus to arrive.
    void setActivationWait(std::chrono::milliseconds wait) { m_activationWait = wait; }

    std::vector<WindowId> topLevelWindows() override;
    std::string windowTitle(WindowId window) override;
    WindowId foregroundWindow() override;
    bool activate(WindowId window) override;
    bool isMinimized(WindowId window) override;
    void restore(WindowId window) override;
    void show(WindowId window) override;
    void minimize(WindowId window) override;

private:
    unsigned long atom(const char* name);
    std::vector<unsigned long> property(unsigned long window, unsigned long name, unsigned long type);
    std::optional<std::string> textProperty(unsigned long window, unsigned long name);
    bool windowManagerSupports(unsigned long hint);
    bool windowManagerRunning();
    unsigned long clientWindowOf(unsigned long window);
    unsigned long topLevelOf(unsigned long window);
    bool isViewable(unsigned long window);
    void requestActivation(unsigned long window);

    _XDisplay* m_display;
    unsigned long m_root;
    std::chrono::milliseconds m_activationWait{2000};
    std::optional<std::chrono::steady_clock::time_point> m_supportedAt; // when m_supported was read
    std::vector<unsigned long> m_supported; // the running window manager's _NET_SUPPORTED
    struct SeenWindow {
        unsigned long Window = 0;
        std::chrono::steady_clock::time_point At; // when it was seen so
    };
    std::optional<SeenWindow> m_focusedClient;  // the last focus window that was a client itself
    std::optional<SeenWindow> m_withoutNetName; // the last window whose title had no _NET_WM_NAME
};

} // namespace quorvane
