#pragma once
// The X server's keyboard as libxkbcommon sees it: the keymap the server types with and its
// modifier and lock state, for injectors that send keys past the server (the kernel's virtual
// keyboard) but must type in the user's layout and keep the user's Caps Lock and held keys.

#include "platform/xkb/XkbKeymap.h"

#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace quorvane {

/// A connection of its own to the display named by $DISPLAY (or `name`) and its core keyboard.
class X11ServerKeyboard {
public:
    explicit X11ServerKeyboard(const char* name = nullptr);
    ~X11ServerKeyboard();
    X11ServerKeyboard(const X11ServerKeyboard&) = delete;
    X11ServerKeyboard& operator=(const X11ServerKeyboard&) = delete;

    /// Whether the server was reached and offers XKB; otherwise problem() says why.
    bool ok() const { return m_deviceId >= 0; }
    const std::string& problem() const { return m_problem; }
    /// The keymap the server uses now; not ok() when it cannot be read.
    XkbKeymap keymap();
    /// Whether the server said its keymap changed since the last call (another layout set, or the
    /// keymap of another keyboard device taken on for its keys).
    bool keymapChanged();
    /// The keyboard's modifier, lock and group state now, in the masks of keymap(); nothing once
    /// the connection broke.
    std::optional<XkbModifierState> state();

private:
    xcb_connection_t* m_connection = nullptr;
    std::int32_t m_deviceId = -1;
    std::uint8_t m_xkbEvent = 0; // the code of XKB's events
    XkbKeymap m_keymap;
    std::string m_problem;
};

} // namespace quorvane
