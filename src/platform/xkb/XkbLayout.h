#pragma once
// The user's keyboard layout as keys to press: which key, with which modifier keys held, types a
// character of the code page (levels, AltGr, dead-key sequences), for injectors that send the
// keys themselves (the kernel's virtual keyboard).

#include "platform/Keyboard.h"
#include "platform/xkb/XkbKeymap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct xkb_compose_table;

namespace quorvane {

/// Virtual-key codes of our own above the Windows range, understood by injectors that use an
/// XkbLayout: a key of the keymap (base + xkb keycode), and a code-page byte that needs more than
/// Shift or more than one key (base + byte), typed as its whole sequence.
namespace xkbvk {
inline constexpr std::uint16_t kKeycodeBase = 0x1000;
inline constexpr std::uint16_t kCharacterBase = 0x2000;
} // namespace xkbvk

/// A key going down or up, by its xkb keycode (the Linux input code + 8).
struct KeyEdge {
    std::uint32_t Keycode = 0;
    bool Down = false;
    bool operator==(const KeyEdge&) const = default;
};

/// One key pressed with modifier keys held around it.
struct KeyChord {
    std::uint32_t Keycode = 0;
    /// The modifier keys held, pressed in this order and released in the reverse order.
    std::vector<std::uint32_t> Modifiers;
    bool operator==(const KeyChord&) const = default;
};

/// Which keys of a keymap type what. Letters, digits, the US punctuation keys and the named keys
/// come back as their Windows codes (so Shift, Control and Alt combine with them as in a macro
/// text); other keys of level 0 or 1 as xkbvk keycodes; everything else as xkbvk characters.
class XkbLayout final : public KeyLayout {
public:
    /// The keymap's layout; dead-key sequences are found in the compose table of composeLocale
    /// (the locale's, e.g. "de_DE.UTF-8"; empty: LC_ALL, LC_CTYPE or LANG, else "en_US.UTF-8").
    explicit XkbLayout(XkbKeymap keymap, const std::string& composeLocale = {});
    ~XkbLayout() override;
    XkbLayout(const XkbLayout&) = delete;
    XkbLayout& operator=(const XkbLayout&) = delete;

    /// Types with another keymap from now on (the display server's, after the user changed it).
    void setKeymap(XkbKeymap keymap);
    /// The keymap's state as reported; its group selects the layout typed in.
    void setModifierState(const XkbModifierState& state);
    const XkbModifierState& modifierState() const { return m_state; }
    /// Whether Caps Lock is locked in the reported state.
    bool capsLock() const;
    /// The mask of the keymap's modifiers other than the locks (Caps Lock, Num Lock) that are held
    /// in the reported state.
    std::uint32_t heldModifiers() const;

    std::optional<KeyStroke> keyForCharacter(unsigned char character) const override;

    /// The edges that press (down) or release (!down) a virtual-key code: one key for Windows and
    /// xkbvk keycodes, a character's whole sequence for xkbvk characters (its last key and its
    /// modifiers stay down until the release). Empty for codes no key types.
    std::vector<KeyEdge> keyEdges(std::uint16_t virtualKey, bool down) const;
    /// The keys that type a byte, one chord per key press (two or more for dead-key sequences);
    /// empty when no key of the layout types it.
    std::vector<KeyChord> chordsFor(unsigned char character) const;
    /// The key that carries the Caps Lock action; 0 when the keymap has none.
    std::uint32_t capsLockKey() const;
    /// The keymap.
    const XkbKeymap& keymap() const { return m_keymap; }

private:
    struct Position {
        std::uint32_t Keycode = 0;
        std::uint32_t Level = 0;
        std::uint32_t Mask = 0;
    };
    void findLockMasks();
    void build();
    std::optional<Position> find(unsigned long keysym) const;
    std::uint32_t keycodeOfVirtualKey(std::uint16_t virtualKey) const;
    std::optional<KeyChord> chordOf(const Position& position) const;

    XkbKeymap m_keymap;
    std::string m_composeLocale;
    std::unique_ptr<xkb_compose_table, void (*)(xkb_compose_table*)> m_compose;
    XkbModifierState m_state;
    std::uint32_t m_group = 0;
    std::uint32_t m_lockMask = 0;
    std::uint32_t m_numLockMask = 0;
    std::vector<std::pair<unsigned long, Position>> m_positions; // sorted by keysym
    std::array<std::uint32_t, 32> m_modifierKeys{};              // a key that holds each modifier
    std::array<std::vector<KeyChord>, 256> m_chords;             // each byte's sequence
};

} // namespace quorvane
