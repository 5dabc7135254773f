#include "keys/KeyEventGenerator.h"

namespace quorvane {

std::optional<KeyEvent> KeyEventGenerator::next() {
    if (m_keyDown) {
        const KeyEvent up{*m_keyDown, false};
        m_keyDown.reset();
        return up;
    }
    if (m_next < m_items.size()) {
        const std::uint16_t code = m_items[m_next++];
        bool* modifier = code == vk::kShift     ? &m_shiftDown
                         : code == vk::kControl ? &m_controlDown
                         : code == vk::kAlt     ? &m_altDown
                                                : nullptr;
        if (modifier) {
            *modifier = !*modifier;
            return KeyEvent{code, *modifier};
        }
        m_keyDown = code;
        return KeyEvent{code, true};
    }
    // {BREAK} is a lone Control toggle; a modifier left down would stay stuck for the user.
    if (m_shiftDown) {
        m_shiftDown = false;
        return KeyEvent{vk::kShift, false};
    }
    if (m_controlDown) {
        m_controlDown = false;
        return KeyEvent{vk::kControl, false};
    }
    if (m_altDown) {
        m_altDown = false;
        return KeyEvent{vk::kAlt, false};
    }
    return std::nullopt;
}

} // namespace quorvane
