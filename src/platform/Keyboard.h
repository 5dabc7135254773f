#pragma once
// Synthetic keyboard input, in Windows virtual-key codes so that macro texts and stored key words
// mean the same key on every platform. The X11 layer maps the codes to keysyms and keycodes.

#include <cstdint>
#include <optional>

namespace quorvane {

/// Virtual-key codes that the keystroke layer itself names.
namespace vk {
inline constexpr std::uint16_t kBackspace = 8;
inline constexpr std::uint16_t kTab = 9;
inline constexpr std::uint16_t kEnter = 13;
inline constexpr std::uint16_t kShift = 16;
inline constexpr std::uint16_t kControl = 17;
inline constexpr std::uint16_t kAlt = 18;
inline constexpr std::uint16_t kCapsLock = 20;
inline constexpr std::uint16_t kDelete = 46;
/// "No key": what a character that no key of the layout types turns into; injectors ignore it.
inline constexpr std::uint16_t kNone = 255;
} // namespace vk

/// Shift-state bits of a KeyStroke, as in a key word: 1 Shift, 2 Control, 4 Alt.
namespace shiftstate {
inline constexpr std::uint8_t kShift = 1;
inline constexpr std::uint8_t kControl = 2;
inline constexpr std::uint8_t kAlt = 4;
} // namespace shiftstate

/// The key, and the modifiers held with it, that type one character.
struct KeyStroke {
    /// Virtual-key code: letters and digits by their upper-case ASCII code, punctuation keys by the
    /// VK_OEM_* code of their position on a US keyboard (186 for the key right of L, ...).
    std::uint16_t VirtualKey = vk::kNone;
    /// shiftstate bits; Shift means the character is on level 1 of the key, none on level 0.
    std::uint8_t ShiftState = 0;
    bool operator==(const KeyStroke&) const = default;
};

/// Which key of the user's current keyboard layout types a character.
class KeyLayout {
public:
    virtual ~KeyLayout() = default;
    /// The key and shift state that type the byte (in the program's single-byte code page), or
    /// nothing when no key of the layout types it on level 0 or 1.
    virtual std::optional<KeyStroke> keyForCharacter(unsigned char character) const = 0;
};

/// Injects key events into whatever window has the keyboard focus.
/// Failures are not reported: an event the system refuses is lost.
class KeyboardInjector {
public:
    virtual ~KeyboardInjector() = default;
    /// Presses (down) or releases (!down) the key of a virtual-key code; kNone and codes without a
    /// key on this keyboard do nothing.
    virtual void sendKey(std::uint16_t virtualKey, bool down) = 0;
    /// Waits until the events sent so far have been processed by the display server; called after
    /// every sendKey so that delays between events are real.
    virtual void sync() = 0;
    /// Remembers which modifiers (Shift, Control, Alt, ...) the user holds, for restoreModifiers.
    virtual void saveModifiers() = 0;
    /// Releases every modifier so that it does not combine with injected keys; lock states
    /// (Caps Lock, Num Lock) are left as they are.
    virtual void clearModifiers() = 0;
    /// Returns the modifiers to the state saveModifiers saw, as far as the user still holds them.
    virtual void restoreModifiers() = 0;
    /// Whether Caps Lock is on.
    virtual bool capsLock() const = 0;
    /// Switches Caps Lock on or off.
    virtual void setCapsLock(bool on) = 0;
};

} // namespace quorvane
