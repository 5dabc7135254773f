#pragma once
// Keystrokes through XTest, and the keymap as the layout that says which key types a character.

#include "platform/Keyboard.h"
#include "platform/x11/X11Keymap.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

struct _XDisplay;

namespace quorvane {

/// Virtual-key codes of our own above the Windows range, understood by X11KeyboardInjector only:
/// a keycode of the mapping (base + keycode), and a code-page byte whose symbol no key carries
/// (base + byte), for which a spare keycode is bound while it is typed.
namespace x11vk {
inline constexpr std::uint16_t kKeycodeBase = 0x1000;
inline constexpr std::uint16_t kCharacterBase = 0x2000;
} // namespace x11vk

/// Which key of the current mapping types a byte of the code page: level 0 as is, level 1 with
/// Shift. Letters, digits and the US punctuation keys come back as their Windows codes; other keys
/// as x11vk codes.
class X11KeyLayout final : public KeyLayout {
public:
    explicit X11KeyLayout(X11Keymap& keymap) : m_keymap(keymap) {}
    std::optional<KeyStroke> keyForCharacter(unsigned char character) const override;

private:
    X11Keymap& m_keymap;
};

/// Key events through XTest into the window with the keyboard focus. Before typing it waits (up to
/// a bound) for the user to let go of the modifier keys; any key it pressed is released again
/// by restoreModifiers and by the destructor, whatever happened in between.
class X11KeyboardInjector final : public KeyboardInjector {
public:
    X11KeyboardInjector(_XDisplay* display, X11Keymap& keymap);
    ~X11KeyboardInjector() override;
    X11KeyboardInjector(const X11KeyboardInjector&) = delete;
    X11KeyboardInjector& operator=(const X11KeyboardInjector&) = delete;

    /// How long saveModifiers waits for the user's modifiers to be released.
    void setModifierWait(std::chrono::milliseconds wait) { m_modifierWait = wait; }
    /// Whether a delay follows each event (asked at every sync): then sync waits for the server, so
    /// that the delay is real; otherwise it only sends the events on, in order.
    void setDelayedEvents(std::function<bool()> delayed) { m_delayedEvents = std::move(delayed); }

    void sendKey(std::uint16_t virtualKey, bool down) override;
    void sync() override;
    void saveModifiers() override;
    void clearModifiers() override;
    void restoreModifiers() override;
    bool capsLock() const override;
    void setCapsLock(bool on) override;

private:
    unsigned keycodeOf(std::uint16_t virtualKey);
    std::vector<unsigned> modifiersDown();
    void readLockChanges() const;
    void releaseOwnKeys();

    _XDisplay* m_display;
    X11Keymap& m_keymap;
    std::chrono::milliseconds m_modifierWait{1000};
    std::function<bool()> m_delayedEvents;
    std::vector<unsigned> m_pressed;        // keys we hold down now
    std::vector<unsigned> m_userHeld;       // modifiers the user still held when typing began
    bool m_altReleased = false;             // the last event released Alt: a pause follows
    int m_xkbEvent = -1;                    // XKB's event type; -1 without XKB
    mutable unsigned m_lockedModifiers = 0; // as the server last reported them
    mutable bool m_capsLockKeySent = false; // a Caps Lock key went out since the last answer
};

} // namespace quorvane
