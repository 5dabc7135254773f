#include "platform/wayland/WaylandConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace quorvane {

namespace {

constexpr std::uint32_t kSeatVersion = 7;
// A keymap larger than this is not one (the compositor's own are a few dozen kilobytes).
constexpr std::uint32_t kLargestKeymap = 16U << 20;

WaylandConnection& self(void* data) {
    return *static_cast<WaylandConnection*>(data);
}

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
        self(data).onGlobal(name, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t name) { self(data).onGlobalRemove(name); },
};

const wl_seat_listener kSeatListener = {
    [](void* data, wl_seat*, std::uint32_t capabilities) { self(data).onCapabilities(capabilities); },
    [](void*, wl_seat*, const char*) {},
};

const wl_keyboard_listener kKeyboardListener = {
    [](void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
        self(data).onKeymap(format, fd, size);
    },
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
       std::uint32_t locked, std::uint32_t group) {
        self(data).onModifiers(SeatModifiers{depressed, latched, locked, group});
    },
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

const wl_callback_listener kDoneListener = {
    [](void* data, wl_callback* callback, std::uint32_t) {
        *static_cast<bool*>(data) = true;
        wl_callback_destroy(callback);
    },
};

} // namespace

WaylandConnection::WaylandConnection(const char* name) : m_display(wl_display_connect(name)) {
    if (m_display == nullptr)
        return;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    // Globals first, then the seat's capabilities, then the keyboard's keymap.
    for (int step = 0; step < 3 && roundtrip(); ++step) {
    }
}

WaylandConnection::~WaylandConnection() {
    if (m_display == nullptr)
        return;
    if (m_keyboard != nullptr)
        wl_keyboard_destroy(m_keyboard);
    if (m_seat != nullptr)
        wl_seat_destroy(m_seat);
    if (m_registry != nullptr)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

bool WaylandConnection::lost() const {
    return m_display != nullptr && (m_timedOut || wl_display_get_error(m_display) != 0);
}

std::string WaylandConnection::problem() const {
    if (m_display == nullptr)
        return "cannot connect to the Wayland compositor";
    if (m_timedOut)
        return "the Wayland compositor does not answer";
    if (const int error = wl_display_get_error(m_display); error != 0) {
        if (error == EPROTO)
            return "the Wayland compositor refused a request";
        return std::string("the connection to the Wayland compositor broke (") + std::strerror(error) + ")";
    }
    return {};
}

bool WaylandConnection::offers(const char* interfaceName) const {
    return std::any_of(m_globals.begin(), m_globals.end(),
                       [&](const Global& g) { return g.Interface == interfaceName; });
}

bool WaylandConnection::offersVirtualKeyboard() const {
    return m_seat != nullptr && offers("zwp_virtual_keyboard_manager_v1");
}

bool WaylandConnection::offersForeignToplevel() const {
    return m_seat != nullptr && offers("zwlr_foreign_toplevel_manager_v1");
}

wl_proxy* WaylandConnection::bind(const wl_interface& interface, std::uint32_t maxVersion) {
    for (const Global& g : m_globals)
        if (g.Interface == interface.name)
            return static_cast<wl_proxy*>(
                wl_registry_bind(m_registry, g.Name, &interface, std::min(g.Version, maxVersion)));
    return nullptr;
}

void WaylandConnection::onGlobal(std::uint32_t name, const char* interface, std::uint32_t version) {
    m_globals.push_back(Global{name, interface, version});
    if (m_seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0) {
        m_seat = static_cast<wl_seat*>(
            wl_registry_bind(m_registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
        wl_seat_add_listener(m_seat, &kSeatListener, this);
    }
}

void WaylandConnection::onGlobalRemove(std::uint32_t name) {
    std::erase_if(m_globals, [&](const Global& g) { return g.Name == name; });
}

void WaylandConnection::onCapabilities(std::uint32_t capabilities) {
    m_seatHasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (m_keyboard == nullptr && (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0) {
        m_keyboard = wl_seat_get_keyboard(m_seat);
        wl_keyboard_add_listener(m_keyboard, &kKeyboardListener, this);
    }
}

void WaylandConnection::onKeymap(std::uint32_t format, int fd, std::uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0 && size <= kLargestKeymap) {
        void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            const char* text = static_cast<const char*>(map);
            m_keymap.assign(text, strnlen(text, size));
            munmap(map, size);
        }
    }
    ::close(fd);
}

bool WaylandConnection::waitFor(short events, std::chrono::steady_clock::time_point deadline) {
    pollfd fd{wl_display_get_fd(m_display), events, 0};
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int n = ::poll(&fd, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR) {
            m_timedOut = n == 0;
            return false;
        }
    }
}

bool WaylandConnection::prepareRead() {
    // Events already queued must be dispatched before the socket may be read.
    while (wl_display_prepare_read(m_display) != 0)
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
    return true;
}

bool WaylandConnection::flush() {
    if (!ok())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (wl_display_flush(m_display) < 0) {
        if (errno != EAGAIN || !waitFor(POLLOUT, deadline))
            return false;
    }
    return true;
}

bool WaylandConnection::roundtrip(std::chrono::milliseconds timeout) {
    if (!ok())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &kDoneListener, &done);
    while (!done) {
        if (!prepareRead()) {
            if (!done)
                wl_callback_destroy(callback);
            return false;
        }
        if (done) {
            wl_display_cancel_read(m_display);
            break;
        }
        if (!flush() || !waitFor(POLLIN, deadline)) {
            wl_display_cancel_read(m_display);
            // The answer may still come; it must not reach this frame's `done`.
            wl_callback_destroy(callback);
            return false;
        }
        if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0) {
            if (!done)
                wl_callback_destroy(callback);
            return false;
        }
    }
    return true;
}

void WaylandConnection::dispatchPending() {
    dispatchFor(std::chrono::milliseconds(0));
}

void WaylandConnection::dispatchFor(std::chrono::milliseconds timeout) {
    if (!ok() || !prepareRead())
        return;
    wl_display_flush(m_display);
    pollfd fd{wl_display_get_fd(m_display), POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(timeout.count())) > 0)
        wl_display_read_events(m_display);
    else
        wl_display_cancel_read(m_display);
    wl_display_dispatch_pending(m_display);
}

int WaylandConnection::fileDescriptor() const {
    return m_display != nullptr ? wl_display_get_fd(m_display) : -1;
}

} // namespace quorvane
