#include "platform/x11/X11Keyboard.h"

#include "platform/xkb/VirtualKeyTable.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <array>
#include <thread>

namespace quorvane {

std::optional<KeyStroke> X11KeyLayout::keyForCharacter(unsigned char character) const {
    if (auto control = keyOfControlByte(character))
        return control;
    const Keysym keysym = keysymOfByte(character);
    if (keysym == kNoKeysym)
        return std::nullopt;
    m_keymap.refresh(true);
    const auto position = m_keymap.find(keysym);
    if (!position)
        return KeyStroke{static_cast<std::uint16_t>(x11vk::kCharacterBase + character), 0};

    const std::uint8_t shift = position->Level == 1 ? shiftstate::kShift : 0;
    auto sameKey = [&](std::uint16_t virtualKey) {
        const auto other = m_keymap.find(keysymOfVirtualKey(virtualKey));
        return other && other->Keycode == position->Keycode && other->Level == 0;
    };
    if (const std::uint16_t virtualKey = virtualKeyNaming(keysym, sameKey))
        return KeyStroke{virtualKey, shift};
    return KeyStroke{static_cast<std::uint16_t>(x11vk::kKeycodeBase + position->Keycode), shift};
}

X11KeyboardInjector::X11KeyboardInjector(_XDisplay* display, X11Keymap& keymap)
    : m_display(display), m_keymap(keymap) {
    // Caps Lock is asked for before every macro: rather than a round trip each time, the server
    // reports each change of the locked modifiers, which is rare.
    int opcode = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (XkbQueryExtension(m_display, &opcode, &m_xkbEvent, &error, &major, &minor) == False ||
        XkbSelectEventDetails(m_display, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask,
                              XkbModifierLockMask) == False) {
        m_xkbEvent = -1;
        return;
    }
    XkbStateRec state{};
    if (XkbGetState(m_display, XkbUseCoreKbd, &state) == Success)
        m_lockedModifiers = state.locked_mods;
    // Changes reported before that answer are older than it.
    XEvent event;
    while (XCheckTypedEvent(m_display, m_xkbEvent, &event)) {
    }
}

X11KeyboardInjector::~X11KeyboardInjector() {
    releaseOwnKeys();
}

unsigned X11KeyboardInjector::keycodeOf(std::uint16_t virtualKey) {
    if (virtualKey >= x11vk::kKeycodeBase && virtualKey < x11vk::kKeycodeBase + 256)
        return virtualKey - x11vk::kKeycodeBase;
    if (virtualKey >= x11vk::kCharacterBase && virtualKey < x11vk::kCharacterBase + 256)
        return m_keymap.keycodeFor(
            keysymOfByte(static_cast<unsigned char>(virtualKey - x11vk::kCharacterBase)));
    if (virtualKey == vk::kNone)
        return 0;
    return m_keymap.keycodeFor(keysymOfVirtualKey(virtualKey));
}

void X11KeyboardInjector::sendKey(std::uint16_t virtualKey, bool down) {
    const unsigned keycode = keycodeOf(virtualKey);
    if (keycode == 0)
        return;
    const auto held = std::find(m_pressed.begin(), m_pressed.end(), keycode);
    if (down && held == m_pressed.end())
        m_pressed.push_back(keycode);
    else if (!down && held != m_pressed.end())
        m_pressed.erase(held);
    m_keymap.setHeld(keycode, down);
    XTestFakeKeyEvent(m_display, keycode, down ? True : False, CurrentTime);
    if (virtualKey == vk::kCapsLock)
        m_capsLockKeySent = true;
    m_altReleased = virtualKey == vk::kAlt && !down;
}

void X11KeyboardInjector::sync() {
    // One connection's requests are handled in order, so without a delay nothing is gained by a
    // round trip per event, which would hold typing to about 15 000 characters a second; nor by a
    // write per event, which wakes the server and the target for every key. The events go out
    // when Xlib's buffer fills and at the end of the macro, or at once before the pause that
    // follows an Alt release.
    if (!m_delayedEvents || m_delayedEvents())
        XSync(m_display, False);
    else if (m_altReleased)
        XFlush(m_display);
}

std::vector<unsigned> X11KeyboardInjector::modifiersDown() {
    std::vector<unsigned> down;
    const std::vector<unsigned>& modifiers = m_keymap.modifierKeys();
    if (modifiers.empty())
        return down;
    char keys[32] = {};
    XQueryKeymap(m_display, keys);
    for (unsigned keycode : modifiers)
        if (keycode < 256 && (keys[keycode / 8] & (1 << (keycode % 8))) != 0)
            down.push_back(keycode);
    return down;
}

void X11KeyboardInjector::saveModifiers() {
    m_keymap.refresh();
    // A record often follows a hot key whose modifiers are still down: typing through them would
    // turn letters into shortcuts.
    const auto deadline = std::chrono::steady_clock::now() + m_modifierWait;
    m_userHeld = modifiersDown();
    while (!m_userHeld.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        m_keymap.refresh();
        m_userHeld = modifiersDown();
    }
}

void X11KeyboardInjector::clearModifiers() {
    if (m_userHeld.empty())
        return;
    for (unsigned keycode : m_userHeld)
        XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    XSync(m_display, False);
}

void X11KeyboardInjector::restoreModifiers() {
    // X cannot tell a key the user still holds from one we pressed for them, so the modifiers the
    // user held are not pressed again: a key left down by us would stay down for good.
    m_userHeld.clear();
    releaseOwnKeys();
}

void X11KeyboardInjector::releaseOwnKeys() {
    // Nothing held: the typed events need only go out; the next request that waits for a reply
    // (or the server's own order) puts them before anything that follows.
    if (m_pressed.empty()) {
        XFlush(m_display);
        return;
    }
    for (unsigned keycode : m_pressed) {
        XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
        m_keymap.setHeld(keycode, false);
    }
    m_pressed.clear();
    XSync(m_display, False);
}

void X11KeyboardInjector::readLockChanges() const {
    XEvent event;
    while (XCheckTypedEvent(m_display, m_xkbEvent, &event)) {
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (xkb.any.xkb_type == XkbStateNotify)
            m_lockedModifiers = xkb.state.locked_mods;
    }
}

bool X11KeyboardInjector::capsLock() const {
    if (m_xkbEvent < 0)
        return false;
    // A Caps Lock key we typed may not have reached the server yet: its change is known only once
    // the server has answered after it.
    if (m_capsLockKeySent) {
        m_capsLockKeySent = false;
        XSync(m_display, False);
    }
    // What the server has reported so far; a change it is reporting just now is as good as one
    // made an instant later.
    readLockChanges();
    return (m_lockedModifiers & LockMask) != 0;
}

void X11KeyboardInjector::setCapsLock(bool on) {
    XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(m_display, False);
    // The report of this change has arrived with the answer; taken now, it does not wait in the
    // queue, where the keymap's look for a new mapping before every character would trip over it.
    if (m_xkbEvent >= 0) {
        m_capsLockKeySent = false;
        readLockChanges();
    }
}

} // namespace quorvane
