#pragma once
// Global hot keys on X11: passive key grabs on the root window over a connection of their own.

#include "platform/HotKeys.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace quorvane {

/// Grabs each hot key with its modifiers and with the Num Lock and Caps Lock variants of them, so
/// the key works whatever state the locks are in. Protocol errors are answered here, never passed
/// on: a key another client holds (BadAccess) is simply not registered.
class XcbHotKeys final : public HotKeys {
public:
    /// Connects to the display named by $DISPLAY, or by `display`.
    explicit XcbHotKeys(const char* display = nullptr);
    ~XcbHotKeys() override;
    XcbHotKeys(const XcbHotKeys&) = delete;
    XcbHotKeys& operator=(const XcbHotKeys&) = delete;

    /// True while the connection to the X server works.
    bool ok() const;
    /// The connection's socket, to watch for input; -1 without a connection.
    int fileDescriptor() const;
    /// Reads every event the server sent and reports each hot key press to the press handler.
    /// Call it when the socket is readable and also now and then: replies awaited by registerKey
    /// may have pulled events into xcb's queue, where the socket no longer shows them.
    void dispatchPending();

    bool registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) override;
    void unregisterKey(int id) override;
    void setPressHandler(PressHandler handler) override { m_handler = std::move(handler); }

private:
    using KeyGrab = std::pair<xcb_keycode_t, std::uint16_t>;

    void readModifierMasks();
    std::uint16_t modifierMask(unsigned modifiers) const;
    std::vector<std::uint16_t> lockVariants(std::uint16_t modifiers) const;
    void ungrab(const std::vector<KeyGrab>& grabs);
    bool heldByOtherId(const std::vector<xcb_keycode_t>& codes, std::uint16_t mask) const;
    std::vector<xcb_keycode_t> keycodesOf(xcb_keysym_t keysym) const;

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t* m_symbols = nullptr;
    std::uint16_t m_numLockMask = 0;
    std::uint16_t m_altMask = XCB_MOD_MASK_1;
    // Per identifier: the modifiers asked for, and every key and modifier combination grabbed.
    struct Registration {
        std::uint16_t Modifiers = 0;
        std::vector<KeyGrab> Grabs;
    };
    std::map<int, Registration> m_registrations;
    PressHandler m_handler;
};

} // namespace quorvane
