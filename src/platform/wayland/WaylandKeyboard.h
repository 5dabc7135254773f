#pragma once
// Keystrokes through the compositor's virtual-keyboard protocol, with Quorvane's own keymap.

#include "platform/Keyboard.h"
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandConnection.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvane {

/// A virtual keyboard on the connection's seat. The compositor takes a virtual keyboard's modifier
/// state from what the keyboard says, not from its keys: Shift, Control and Alt count as held
/// between their press and release, Caps Lock and Num Lock toggle at each press, and the state is
/// sent with every change. The user's own keys and locks are on another keyboard and do not mix
/// with these. Without delays at most 20 000 events a second go out, so that a target that reads
/// slower than that is not dropped by the compositor in a long burst. Keys still held are released by
/// restoreModifiers and the destructor.
class WaylandKeyboardInjector final : public KeyboardInjector {
public:
    WaylandKeyboardInjector(WaylandConnection& connection, const VirtualKeymap& keymap);
    ~WaylandKeyboardInjector() override;
    WaylandKeyboardInjector(const WaylandKeyboardInjector&) = delete;
    WaylandKeyboardInjector& operator=(const WaylandKeyboardInjector&) = delete;

    /// True when the compositor gave a virtual keyboard and took the keymap.
    bool ok() const { return m_keyboard != nullptr && m_connection.ok(); }
    /// Whether a delay follows each event (asked at every sync): then sync waits until the
    /// compositor has handled the event, so that the delay is real.
    void setDelayedEvents(std::function<bool()> delayed) { m_delayedEvents = std::move(delayed); }

    void sendKey(std::uint16_t virtualKey, bool down) override;
    void sync() override;
    void saveModifiers() override;
    void clearModifiers() override;
    void restoreModifiers() override;
    bool capsLock() const override { return (m_locked & xkbmask::kLock) != 0; }
    void setCapsLock(bool on) override;

private:
    void sendModifiers();
    void releaseOwnKeys();
    std::uint32_t timestamp() const;

    WaylandConnection& m_connection;
    const VirtualKeymap& m_keymap;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_keyboard = nullptr;
    std::function<bool()> m_delayedEvents;
    std::chrono::steady_clock::time_point m_epoch = std::chrono::steady_clock::now();
    std::uint32_t m_depressed = 0;
    std::uint32_t m_locked = 0;
    std::vector<std::uint32_t> m_pressed; // keycodes held down now
    unsigned m_unconfirmed = 0;           // events sent since the compositor last confirmed
    std::chrono::steady_clock::time_point m_batchStart = std::chrono::steady_clock::now();
};

} // namespace quorvane
