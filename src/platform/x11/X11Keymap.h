#pragma once
// The server's keyboard mapping as keystroke output reads it, with spare keycodes lent to symbols
// that no key carries.

#include "platform/xkb/VirtualKeyTable.h"

#include <cstdint>
#include <optional>
#include <vector>

struct _XDisplay;

namespace quorvane {

/// A key of the mapping and the level (0 plain, 1 shifted) that carries a symbol.
struct KeyPosition {
    unsigned Keycode = 0;
    int Level = 0;
};

/// A copy of the keyboard mapping, reloaded when the server announces a change. Symbols that no
/// key carries are bound to keycodes without symbols on demand and unbound again by release()
/// or the destructor; a binding stays while it is used, so that targets that look the mapping up
/// late still find the symbol.
class X11Keymap {
public:
    explicit X11Keymap(_XDisplay* display);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    /// Reloads the copy when the server announced a new mapping since the last call. Cheap mode
    /// looks only at events this connection has already read (no system call), for lookups made per
    /// character; the full mode also reads what the server has sent meanwhile.
    void refresh(bool cheap = false);
    /// The keycodes bound to a modifier other than Lock, as the server maps them now.
    const std::vector<unsigned>& modifierKeys();
    /// The key carrying the symbol on level 0 (preferred) or 1; nothing when no key does.
    std::optional<KeyPosition> find(Keysym keysym) const;
    /// A keycode that types the symbol on both levels: its own key's, or a spare one bound to it.
    /// 0 when no key carries it and no spare keycode is left.
    unsigned keycodeFor(Keysym keysym);
    /// Marks a keycode as held down, so that its binding is not lent to another symbol meanwhile.
    void setHeld(unsigned keycode, bool held);
    /// Gives every spare keycode back (its symbols removed again).
    void release();

private:
    void load();
    void loadModifiers();
    void bind(unsigned keycode, Keysym keysym);

    struct Binding {
        unsigned Keycode = 0;
        Keysym Symbol = kNoKeysym;
        std::uint64_t LastUse = 0;
        bool Held = false;
    };

    _XDisplay* m_display;
    int m_minKeycode = 8;
    int m_maxKeycode = 255;
    int m_perKeycode = 0;
    std::vector<Keysym> m_symbols; // m_perKeycode symbols for each keycode from m_minKeycode
    std::vector<unsigned> m_spare; // keycodes without symbols when we first looked
    std::vector<Binding> m_bindings;
    std::vector<unsigned> m_modifierKeys;
    bool m_modifiersLoaded = false;
    std::uint64_t m_uses = 0;
};

} // namespace quorvane
