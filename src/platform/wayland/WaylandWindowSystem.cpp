#include "platform/wayland/WaylandWindowSystem.h"

#include "config/CodePage.h"
#include "platform/wayland/WaylandProtocols.h"

#include <chrono>
#include <wayland-client.h>

namespace quorvane {

namespace {

constexpr std::uint32_t kManagerVersion = 3;
// How long activation and restoring wait for the compositor to report the new state.
constexpr auto kStateWait = std::chrono::milliseconds(1000);

WaylandWindowSystem& self(void* data) {
    return *static_cast<WaylandWindowSystem*>(data);
}

// Listener tables hold one function pointer per event, in the order of the protocol's events.
struct ManagerListener {
    void (*Toplevel)(void*, wl_proxy*, wl_proxy*);
    void (*Finished)(void*, wl_proxy*);
};

struct ToplevelListener {
    void (*Title)(void*, wl_proxy*, const char*);
    void (*AppId)(void*, wl_proxy*, const char*);
    void (*OutputEnter)(void*, wl_proxy*, wl_proxy*);
    void (*OutputLeave)(void*, wl_proxy*, wl_proxy*);
    void (*State)(void*, wl_proxy*, wl_array*);
    void (*Done)(void*, wl_proxy*);
    void (*Closed)(void*, wl_proxy*);
    void (*Parent)(void*, wl_proxy*, wl_proxy*);
};

const ToplevelListener kToplevelListener = {
    [](void* data, wl_proxy* handle, const char* title) { self(data).onTitle(handle, title); },
    [](void* data, wl_proxy* handle, const char* appId) { self(data).onAppId(handle, appId); },
    [](void*, wl_proxy*, wl_proxy*) {},
    [](void*, wl_proxy*, wl_proxy*) {},
    [](void* data, wl_proxy* handle, wl_array* states) {
        bool minimized = false;
        bool activated = false;
        const auto* state = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
            minimized = minimized || state[i] == wayland::toplevel::kStateMinimized;
            activated = activated || state[i] == wayland::toplevel::kStateActivated;
        }
        self(data).onState(handle, minimized, activated);
    },
    [](void*, wl_proxy*) {},
    [](void* data, wl_proxy* handle) { self(data).onClosed(handle); },
    [](void*, wl_proxy*, wl_proxy*) {},
};

const ManagerListener kManagerListener = {
    [](void* data, wl_proxy*, wl_proxy* handle) { self(data).onToplevel(handle); },
    [](void* data, wl_proxy*) { self(data).onFinished(); },
};

} // namespace

WaylandWindowSystem::WaylandWindowSystem(WaylandConnection& connection) : m_connection(connection) {
    if (!connection.offersForeignToplevel())
        return;
    m_manager = connection.bind(wayland::kToplevelManager, kManagerVersion);
    if (m_manager == nullptr)
        return;
    wl_proxy_add_listener(
        m_manager, reinterpret_cast<void (**)()>(const_cast<ManagerListener*>(&kManagerListener)), this);
    // The windows that exist now, with their titles and states.
    m_connection.roundtrip();
}

WaylandWindowSystem::~WaylandWindowSystem() {
    for (auto& [id, window] : m_windows)
        wl_proxy_marshal_flags(window.Handle, wayland::toplevel::kDestroy, nullptr,
                               wl_proxy_get_version(window.Handle), WL_MARSHAL_FLAG_DESTROY);
    if (m_manager != nullptr) {
        // The manager is destroyed by the compositor's finished event; after stop no request follows.
        wl_proxy_marshal_flags(m_manager, wayland::toplevelmanager::kStop, nullptr,
                               wl_proxy_get_version(m_manager), 0);
        wl_proxy_destroy(m_manager);
    }
    m_connection.flush();
}

void WaylandWindowSystem::onToplevel(wl_proxy* handle) {
    const WindowId id = m_nextId++;
    m_windows[id] = Toplevel{handle, {}, {}, false, false};
    wl_proxy_add_listener(
        handle, reinterpret_cast<void (**)()>(const_cast<ToplevelListener*>(&kToplevelListener)), this);
}

void WaylandWindowSystem::onTitle(wl_proxy* handle, const char* title) {
    if (Toplevel* window = find(idOf(handle)))
        window->Title = Utf8ToBytes(title);
}

void WaylandWindowSystem::onAppId(wl_proxy* handle, const char* appId) {
    if (Toplevel* window = find(idOf(handle)))
        window->AppId = appId;
}

bool WaylandWindowSystem::hasAppId(WindowId window, const std::string& appId) {
    const Toplevel* toplevel = find(window);
    return toplevel != nullptr && toplevel->AppId == appId;
}

void WaylandWindowSystem::onState(wl_proxy* handle, bool minimized, bool activated) {
    if (Toplevel* window = find(idOf(handle))) {
        window->Minimized = minimized;
        window->Activated = activated;
    }
}

void WaylandWindowSystem::onClosed(wl_proxy* handle) {
    const WindowId id = idOf(handle);
    if (id == kNoWindow)
        return;
    wl_proxy_marshal_flags(handle, wayland::toplevel::kDestroy, nullptr, wl_proxy_get_version(handle),
                           WL_MARSHAL_FLAG_DESTROY);
    m_windows.erase(id);
}

void WaylandWindowSystem::onFinished() {
    wl_proxy_destroy(m_manager);
    m_manager = nullptr;
}

WaylandWindowSystem::Toplevel* WaylandWindowSystem::find(WindowId window) {
    const auto it = m_windows.find(window);
    return it != m_windows.end() ? &it->second : nullptr;
}

WindowId WaylandWindowSystem::idOf(wl_proxy* handle) const {
    for (const auto& [id, window] : m_windows)
        if (window.Handle == handle)
            return id;
    return kNoWindow;
}

std::vector<WindowId> WaylandWindowSystem::topLevelWindows() {
    m_connection.roundtrip();
    std::vector<WindowId> windows;
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if (it->second.Activated)
            windows.insert(windows.begin(), it->first);
        else
            windows.push_back(it->first);
    return windows;
}

std::string WaylandWindowSystem::windowTitle(WindowId window) {
    const Toplevel* toplevel = find(window);
    return toplevel != nullptr ? toplevel->Title : std::string();
}

WindowId WaylandWindowSystem::foregroundWindow() {
    m_connection.roundtrip();
    for (const auto& [id, window] : m_windows)
        if (window.Activated)
            return id;
    return kNoWindow;
}

void WaylandWindowSystem::request(WindowId window, std::uint32_t opcode) {
    Toplevel* toplevel = find(window);
    if (toplevel == nullptr || m_connection.seat() == nullptr)
        return;
    const std::uint32_t version = wl_proxy_get_version(toplevel->Handle);
    if (opcode == wayland::toplevel::kActivate)
        wl_proxy_marshal_flags(toplevel->Handle, opcode, nullptr, version, 0, m_connection.seat());
    else
        wl_proxy_marshal_flags(toplevel->Handle, opcode, nullptr, version, 0);
}

bool WaylandWindowSystem::waitForState(WindowId window, bool activated) {
    const auto deadline = std::chrono::steady_clock::now() + kStateWait;
    if (!m_connection.roundtrip())
        return false;
    while (m_connection.ok()) {
        const Toplevel* toplevel = find(window);
        if (toplevel == nullptr)
            return false;
        if (toplevel->Activated == activated)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        m_connection.dispatchFor(left);
    }
    return false;
}

bool WaylandWindowSystem::activate(WindowId window) {
    request(window, wayland::toplevel::kActivate);
    return waitForState(window, true);
}

bool WaylandWindowSystem::isMinimized(WindowId window) {
    const Toplevel* toplevel = find(window);
    return toplevel != nullptr && toplevel->Minimized;
}

void WaylandWindowSystem::restore(WindowId window) {
    request(window, wayland::toplevel::kUnsetMinimized);
    activate(window);
}

void WaylandWindowSystem::show(WindowId) {
    // Every listed window is mapped; activation already raised it.
}

void WaylandWindowSystem::minimize(WindowId window) {
    request(window, wayland::toplevel::kSetMinimized);
    m_connection.flush();
}

} // namespace quorvane
