#pragma once
// The desktop's windows on compositors that list them (wlr-foreign-toplevel-management).

#include "platform/WindowSystem.h"
#include "platform/wayland/WaylandConnection.h"

#include <cstdint>
#include <map>
#include <string>

namespace quorvane {

/// Lists, activates, minimizes and restores the compositor's windows through its toplevel manager.
/// The compositor reports no stacking order: the active window comes first, then the others from
/// the newest. Without a toplevel manager there are no windows, and none is in the foreground.
class WaylandWindowSystem final : public WindowSystem {
public:
    explicit WaylandWindowSystem(WaylandConnection& connection);
    ~WaylandWindowSystem() override;
    WaylandWindowSystem(const WaylandWindowSystem&) = delete;
    WaylandWindowSystem& operator=(const WaylandWindowSystem&) = delete;

    /// True when the compositor lists its windows.
    bool available() const { return m_manager != nullptr; }
    /// True when the window's application id is appId (Qt programs use their desktop file name).
    bool hasAppId(WindowId window, const std::string& appId);

    std::vector<WindowId> topLevelWindows() override;
    std::string windowTitle(WindowId window) override;
    WindowId foregroundWindow() override;
    bool activate(WindowId window) override;
    bool isMinimized(WindowId window) override;
    void restore(WindowId window) override;
    void show(WindowId window) override;
    void minimize(WindowId window) override;

    // Event handlers called by libwayland; not for other callers.
    void onToplevel(wl_proxy* handle);
    void onTitle(wl_proxy* handle, const char* title);
    void onAppId(wl_proxy* handle, const char* appId);
    void onState(wl_proxy* handle, bool minimized, bool activated);
    void onClosed(wl_proxy* handle);
    void onFinished();

private:
    struct Toplevel {
        wl_proxy* Handle = nullptr;
        std::string Title; // in the code page
        std::string AppId;
        bool Minimized = false;
        bool Activated = false;
    };

    Toplevel* find(WindowId window);
    WindowId idOf(wl_proxy* handle) const;
    void request(WindowId window, std::uint32_t opcode);
    bool waitForState(WindowId window, bool activated);

    WaylandConnection& m_connection;
    wl_proxy* m_manager = nullptr;
    std::map<WindowId, Toplevel> m_windows; // by id, which grows with each new window
    // Far above the small numbers toolkits hand out as window ids where they have none to give (Qt
    // on Wayland says 1 for every window), so that no listed window passes for one of those.
    WindowId m_nextId = WindowId{1} << 32;
};

} // namespace quorvane
