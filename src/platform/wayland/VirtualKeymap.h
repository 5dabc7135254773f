#pragma once
// The keymap Quorvane's virtual keyboard brings along: the keys the macro language names, a US
// layout for the ASCII characters, and a key of its own for every other character of the code page,
// so that every character types whatever layout the user has chosen.

#include "platform/Keyboard.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

/// Virtual-key codes of our own above the Windows range, understood by the virtual keyboard only:
/// the key that carries a code-page byte (base + byte) and, on level 1, its other case.
namespace waylandvk {
inline constexpr std::uint16_t kCharacterBase = 0x2000;
} // namespace waylandvk

/// Modifier bits of the keymap's state, in the order of xkb's real modifiers.
namespace xkbmask {
inline constexpr std::uint32_t kShift = 1U << 0;
inline constexpr std::uint32_t kLock = 1U << 1;
inline constexpr std::uint32_t kControl = 1U << 2;
inline constexpr std::uint32_t kMod1 = 1U << 3; // Alt
inline constexpr std::uint32_t kMod2 = 1U << 4; // Num Lock
} // namespace xkbmask

/// The keymap as xkb text, and which key of it each virtual-key code and character is.
class VirtualKeymap final : public KeyLayout {
public:
    VirtualKeymap();

    /// The keymap in the xkb text format, as the compositor is given it.
    const std::string& text() const { return m_text; }
    /// The evdev keycode (xkb keycode - 8) of a virtual-key code; 0 when the keymap has no such key.
    std::uint32_t keycodeOf(std::uint16_t virtualKey) const;
    /// The depressed-modifier bit the key sets while held (Shift, Control, Alt); 0 for other keys.
    static std::uint32_t heldModifierOf(std::uint16_t virtualKey);
    /// The lock bit a press of the key toggles (Caps Lock, Num Lock); 0 for other keys.
    static std::uint32_t lockOf(std::uint16_t virtualKey);

    std::optional<KeyStroke> keyForCharacter(unsigned char character) const override;

private:
    void addKey(std::uint16_t virtualKey, const char* level0, const char* level1 = nullptr);

    std::string m_symbols;
    std::string m_text;
    std::uint32_t m_nextKeycode;
    std::array<std::uint8_t, 256> m_windowsKeys{};   // evdev keycode by Windows code, 0 none
    std::array<std::uint8_t, 256> m_characterKeys{}; // evdev keycode by code-page byte, 0 none
    std::array<std::optional<KeyStroke>, 256> m_strokes;
};

} // namespace quorvane
