#pragma once
// One connection of Quorvane's own to the Wayland compositor: the globals it offers, the seat, and
// the keymap and modifier state the compositor sends every client's keyboard.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;
struct wl_interface;
struct wl_proxy;

namespace quorvane {

/// Modifier state as wl_keyboard.modifiers reports it (bits of the seat keymap's modifiers; the
/// first eight are xkb's real modifiers: Shift 1, Lock 2, Control 4, Mod1 8 ...).
struct SeatModifiers {
    std::uint32_t Depressed = 0;
    std::uint32_t Latched = 0;
    std::uint32_t Locked = 0;
    std::uint32_t Group = 0;
    bool operator==(const SeatModifiers&) const = default;
};

/// Connects to the compositor named by $WAYLAND_DISPLAY (or `name`), learns its globals and binds
/// the first seat and its keyboard. Nothing here blocks without a bound: a compositor that stops
/// answering counts as gone.
class WaylandConnection {
public:
    explicit WaylandConnection(const char* name = nullptr);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    /// True when connected and the compositor answered the first round trip.
    bool ok() const { return m_display != nullptr && !lost(); }
    /// True once the connection broke (compositor gone, protocol error, no answer in time).
    bool lost() const;
    /// Why the connection is not usable; empty while it is.
    std::string problem() const;

    /// True when the compositor offers the global interface of that name.
    bool offers(const char* interfaceName) const;
    /// True when the compositor lets clients create virtual keyboards (zwp_virtual_keyboard_manager_v1).
    bool offersVirtualKeyboard() const;
    /// True when the compositor lists and activates windows (zwlr_foreign_toplevel_manager_v1).
    bool offersForeignToplevel() const;
    /// Binds a global by interface name at most at maxVersion; null when it is not offered.
    wl_proxy* bind(const wl_interface& interface, std::uint32_t maxVersion);

    /// True while the seat has a keyboard (any client's virtual keyboard included).
    bool seatHasKeyboard() const { return m_seatHasKeyboard; }
    /// The seat's keymap in xkb text, as the compositor sends it to every client; empty until one
    /// came (a seat without a keyboard has none).
    const std::string& keymapText() const { return m_keymap; }
    /// The seat's modifier state, known only once the compositor sent it (while a surface of this
    /// connection had the keyboard focus).
    const std::optional<SeatModifiers>& modifiers() const { return m_modifiers; }

    /// Sends what is queued and waits until the compositor has handled it and everything it sent
    /// in return has been dispatched; false when it did not answer in time or the connection broke.
    bool roundtrip(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    /// Sends queued requests without waiting for an answer (waits only while the socket is full).
    bool flush();
    /// Reads and dispatches whatever the compositor has sent, without waiting.
    void dispatchPending();
    /// Waits up to timeout for the compositor to send something, and dispatches it.
    void dispatchFor(std::chrono::milliseconds timeout);
    /// The socket, for an event loop to watch; -1 when not connected.
    int fileDescriptor() const;

    wl_display* display() const { return m_display; }
    /// The first seat; null when the compositor has none.
    wl_seat* seat() const { return m_seat; }

    // Event handlers called by libwayland; not for other callers.
    void onGlobal(std::uint32_t name, const char* interface, std::uint32_t version);
    void onGlobalRemove(std::uint32_t name);
    void onCapabilities(std::uint32_t capabilities);
    void onKeymap(std::uint32_t format, int fd, std::uint32_t size);
    void onModifiers(const SeatModifiers& modifiers) { m_modifiers = modifiers; }

private:
    struct Global {
        std::uint32_t Name;
        std::string Interface;
        std::uint32_t Version;
    };

    bool prepareRead();
    bool waitFor(short events, std::chrono::steady_clock::time_point deadline);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    std::vector<Global> m_globals;
    std::string m_keymap;
    std::optional<SeatModifiers> m_modifiers;
    bool m_timedOut = false;
    bool m_seatHasKeyboard = false;
};

} // namespace quorvane
