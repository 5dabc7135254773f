#include "platform/x11/X11Keymap.h"

#include <X11/Xlib.h>
#include <algorithm>

namespace quorvane {

X11Keymap::X11Keymap(_XDisplay* display) : m_display(display) {
    XDisplayKeycodes(m_display, &m_minKeycode, &m_maxKeycode);
    load();
    for (int k = m_minKeycode; k <= m_maxKeycode; ++k) {
        const auto first = m_symbols.begin() + (k - m_minKeycode) * m_perKeycode;
        if (std::all_of(first, first + m_perKeycode, [](Keysym s) { return s == kNoKeysym; }))
            m_spare.push_back(static_cast<unsigned>(k));
    }
    // The highest keycodes are the least likely to be on a real keyboard.
    std::reverse(m_spare.begin(), m_spare.end());
}

X11Keymap::~X11Keymap() {
    release();
}

void X11Keymap::load() {
    int perKeycode = 0;
    const int count = m_maxKeycode - m_minKeycode + 1;
    KeySym* symbols = XGetKeyboardMapping(m_display, static_cast<KeyCode>(m_minKeycode), count, &perKeycode);
    m_symbols.clear();
    m_perKeycode = 0;
    if (symbols == nullptr)
        return;
    m_perKeycode = perKeycode;
    m_symbols.assign(symbols, symbols + count * perKeycode);
    XFree(symbols);
}

void X11Keymap::refresh(bool cheap) {
    // MappingNotify reaches every client unasked; this connection reads no other events. Checking
    // the socket costs two system calls, too many to pay for every character typed.
    if (cheap && XEventsQueued(m_display, QueuedAlready) == 0)
        return;
    XEvent event;
    bool changed = false;
    while (XCheckTypedEvent(m_display, MappingNotify, &event)) {
        XRefreshKeyboardMapping(&event.xmapping);
        if (event.xmapping.request == MappingModifier)
            m_modifiersLoaded = false;
        else
            changed = true;
    }
    if (changed)
        load();
}

const std::vector<unsigned>& X11Keymap::modifierKeys() {
    if (!m_modifiersLoaded)
        loadModifiers();
    return m_modifierKeys;
}

void X11Keymap::loadModifiers() {
    m_modifierKeys.clear();
    XModifierKeymap* modifiers = XGetModifierMapping(m_display);
    if (modifiers == nullptr)
        return;
    m_modifiersLoaded = true;
    for (int mod = 0; mod < 8; ++mod) {
        if (mod == LockMapIndex)
            continue; // Caps Lock is a state of its own, handled by keystroke output
        for (int i = 0; i < modifiers->max_keypermod; ++i) {
            const unsigned keycode = modifiers->modifiermap[mod * modifiers->max_keypermod + i];
            if (keycode != 0 &&
                std::find(m_modifierKeys.begin(), m_modifierKeys.end(), keycode) == m_modifierKeys.end())
                m_modifierKeys.push_back(keycode);
        }
    }
    XFreeModifiermap(modifiers);
}

std::optional<KeyPosition> X11Keymap::find(Keysym keysym) const {
    if (keysym == kNoKeysym || m_perKeycode == 0)
        return std::nullopt;
    const int levels = std::min(m_perKeycode, 2);
    for (int level = 0; level < levels; ++level) {
        for (int k = m_minKeycode; k <= m_maxKeycode; ++k) {
            const auto index = static_cast<std::size_t>((k - m_minKeycode) * m_perKeycode + level);
            if (m_symbols[index] == keysym)
                return KeyPosition{static_cast<unsigned>(k), level};
        }
    }
    return std::nullopt;
}

unsigned X11Keymap::keycodeFor(Keysym keysym) {
    for (auto& binding : m_bindings)
        if (binding.Symbol == keysym) {
            binding.LastUse = ++m_uses;
            return binding.Keycode;
        }
    if (auto position = find(keysym))
        return position->Keycode;
    if (keysym == kNoKeysym)
        return 0;

    unsigned keycode = 0;
    for (unsigned candidate : m_spare)
        if (std::none_of(m_bindings.begin(), m_bindings.end(),
                         [&](const Binding& b) { return b.Keycode == candidate; })) {
            keycode = candidate;
            break;
        }
    if (keycode == 0) {
        // Every spare keycode is lent: take back the one used longest ago that is not held down.
        Binding* oldest = nullptr;
        for (auto& binding : m_bindings)
            if (!binding.Held && (oldest == nullptr || binding.LastUse < oldest->LastUse))
                oldest = &binding;
        if (oldest == nullptr)
            return 0;
        keycode = oldest->Keycode;
        m_bindings.erase(m_bindings.begin() + (oldest - m_bindings.data()));
    }
    bind(keycode, keysym);
    m_bindings.push_back({keycode, keysym, ++m_uses, false});
    return keycode;
}

void X11Keymap::bind(unsigned keycode, Keysym keysym) {
    std::vector<KeySym> symbols(static_cast<std::size_t>(std::max(m_perKeycode, 2)), NoSymbol);
    if (keysym != kNoKeysym) {
        symbols[0] = keysym;
        symbols[1] = keysym;
    }
    XChangeKeyboardMapping(m_display, static_cast<int>(keycode), static_cast<int>(symbols.size()),
                           symbols.data(), 1);
    XSync(m_display, False);
    const auto offset = static_cast<std::size_t>((static_cast<int>(keycode) - m_minKeycode) * m_perKeycode);
    if (offset + static_cast<std::size_t>(m_perKeycode) <= m_symbols.size())
        for (int level = 0; level < m_perKeycode; ++level)
            m_symbols[offset + static_cast<std::size_t>(level)] = level < 2 ? keysym : kNoKeysym;
}

void X11Keymap::setHeld(unsigned keycode, bool held) {
    for (auto& binding : m_bindings)
        if (binding.Keycode == keycode)
            binding.Held = held;
}

void X11Keymap::release() {
    for (const auto& binding : m_bindings)
        bind(binding.Keycode, kNoKeysym);
    m_bindings.clear();
}

} // namespace quorvane
