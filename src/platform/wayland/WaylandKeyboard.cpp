#include "platform/wayland/WaylandKeyboard.h"

#include "platform/wayland/WaylandProtocols.h"

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace quorvane {

namespace {

// Without delays the events go out in batches; a round trip after each batch keeps Quorvane from
// running ahead of the compositor (libwayland gives up on a connection whose socket stays full).
constexpr unsigned kEventsPerConfirmation = 64;
// The compositor hands each key on to the focused program at once, and drops a program whose
// socket stays full (libwayland-server before 1.23 buffers nothing beyond the socket): typed
// faster than it reads, the target is closed (foot after some 100 000 characters at 50 000 a
// second). Without a delay the keys go out at most this fast, a few times what terminals and
// editors read, so that long bursts cannot run ahead of them.
constexpr unsigned kMostEventsPerSecond = 20000;
constexpr auto kBatchTime =
    std::chrono::microseconds(1000000ULL * kEventsPerConfirmation / kMostEventsPerSecond);
// A seat without keyboards gains one with ours, and only then do the clients ask for theirs: keys
// sent before that reach nobody. Real desktops always have a keyboard; kiosks and headless ones
// may not.
constexpr auto kFirstKeyboardSettling = std::chrono::milliseconds(250);
constexpr std::uint32_t kKeyReleased = 0;
constexpr std::uint32_t kKeyPressed = 1;

// The keymap goes to the compositor as a file it maps: a memory file, sealed against changes.
int keymapFile(const std::string& text) {
    const int fd = memfd_create("quorvane-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    const std::size_t size = text.size() + 1;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, text.c_str() + written, size - written);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        written += static_cast<std::size_t>(n);
    }
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

} // namespace

WaylandKeyboardInjector::WaylandKeyboardInjector(WaylandConnection& connection, const VirtualKeymap& keymap)
    : m_connection(connection), m_keymap(keymap) {
    if (!connection.ok() || !connection.offersVirtualKeyboard())
        return;
    const bool seatHadKeyboard = connection.seatHasKeyboard();
    m_manager = connection.bind(wayland::kVirtualKeyboardManager, 1);
    if (m_manager == nullptr)
        return;
    m_keyboard = wl_proxy_marshal_flags(m_manager, wayland::vkmanager::kCreateVirtualKeyboard,
                                        &wayland::kVirtualKeyboard, 1, 0, connection.seat(), nullptr);
    const int fd = keymapFile(keymap.text());
    if (fd < 0) {
        m_connection.roundtrip();
        return;
    }
    wl_proxy_marshal_flags(m_keyboard, wayland::vkeyboard::kKeymap, nullptr, 1, 0,
                           wayland::vkeyboard::kFormatXkbV1, fd,
                           static_cast<std::uint32_t>(keymap.text().size() + 1));
    ::close(fd);
    if (const auto& seat = connection.modifiers())
        m_locked = seat->Locked & (xkbmask::kLock | xkbmask::kMod2);
    sendModifiers();
    // A compositor that refuses virtual keyboards says so with a protocol error.
    if (!m_connection.roundtrip() || seatHadKeyboard)
        return;
    const auto settled = std::chrono::steady_clock::now() + kFirstKeyboardSettling;
    for (auto now = std::chrono::steady_clock::now(); now < settled && m_connection.ok();
         now = std::chrono::steady_clock::now())
        m_connection.dispatchFor(std::chrono::duration_cast<std::chrono::milliseconds>(settled - now));
}

WaylandKeyboardInjector::~WaylandKeyboardInjector() {
    if (m_keyboard != nullptr) {
        releaseOwnKeys();
        wl_proxy_marshal_flags(m_keyboard, wayland::vkeyboard::kDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
        m_connection.flush();
    }
    if (m_manager != nullptr)
        wl_proxy_destroy(m_manager);
}

std::uint32_t WaylandKeyboardInjector::timestamp() const {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_epoch)
            .count());
}

void WaylandKeyboardInjector::sendModifiers() {
    if (m_keyboard != nullptr)
        wl_proxy_marshal_flags(m_keyboard, wayland::vkeyboard::kModifiers, nullptr, 1, 0, m_depressed,
                               std::uint32_t{0}, m_locked, std::uint32_t{0});
}

void WaylandKeyboardInjector::sendKey(std::uint16_t virtualKey, bool down) {
    const std::uint32_t keycode = m_keymap.keycodeOf(virtualKey);
    if (!ok() || keycode == 0)
        return;
    const auto held = std::find(m_pressed.begin(), m_pressed.end(), keycode);
    if (down && held == m_pressed.end())
        m_pressed.push_back(keycode);
    else if (!down && held != m_pressed.end())
        m_pressed.erase(held);
    wl_proxy_marshal_flags(m_keyboard, wayland::vkeyboard::kKey, nullptr, 1, 0, timestamp(), keycode,
                           down ? kKeyPressed : kKeyReleased);
    ++m_unconfirmed;
    const std::uint32_t modifier = VirtualKeymap::heldModifierOf(virtualKey);
    const std::uint32_t lock = down ? VirtualKeymap::lockOf(virtualKey) : 0;
    if (modifier != 0)
        m_depressed = down ? (m_depressed | modifier) : (m_depressed & ~modifier);
    m_locked ^= lock;
    if (modifier != 0 || lock != 0)
        sendModifiers();
}

void WaylandKeyboardInjector::sync() {
    if (!ok())
        return;
    if (m_delayedEvents && m_delayedEvents()) {
        m_connection.roundtrip();
        m_unconfirmed = 0;
    } else if (m_unconfirmed >= kEventsPerConfirmation) {
        m_connection.roundtrip();
        m_unconfirmed = 0;
        // The compositor's events meanwhile are dispatched, not slept through.
        const auto due = m_batchStart + kBatchTime;
        for (auto now = std::chrono::steady_clock::now(); now < due && m_connection.ok();
             now = std::chrono::steady_clock::now())
            m_connection.dispatchFor(std::chrono::ceil<std::chrono::milliseconds>(due - now));
        m_batchStart = std::chrono::steady_clock::now();
    } else {
        m_connection.flush();
    }
}

void WaylandKeyboardInjector::saveModifiers() {
    // The user's modifiers live on their own keyboard and never combine with this one's keys.
}

void WaylandKeyboardInjector::clearModifiers() {
    if (!ok() || m_depressed == 0)
        return;
    m_depressed = 0;
    sendModifiers();
}

void WaylandKeyboardInjector::restoreModifiers() {
    if (!ok())
        return;
    releaseOwnKeys();
    m_connection.roundtrip();
    m_unconfirmed = 0;
}

void WaylandKeyboardInjector::releaseOwnKeys() {
    const std::uint32_t time = timestamp();
    for (std::uint32_t keycode : m_pressed)
        wl_proxy_marshal_flags(m_keyboard, wayland::vkeyboard::kKey, nullptr, 1, 0, time, keycode,
                               kKeyReleased);
    m_pressed.clear();
    if (m_depressed != 0) {
        m_depressed = 0;
        sendModifiers();
    }
}

void WaylandKeyboardInjector::setCapsLock(bool on) {
    if (!ok() || capsLock() == on)
        return;
    m_locked ^= xkbmask::kLock;
    sendModifiers();
}

} // namespace quorvane
