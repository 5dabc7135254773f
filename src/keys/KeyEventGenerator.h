#pragma once
// Key items turned into key-down and key-up events, one at a time.

#include "keys/KeyMacroParser.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorvane {

/// One key event.
struct KeyEvent {
    std::uint16_t VirtualKey = 0;
    bool Down = false;
    bool operator==(const KeyEvent&) const = default;
};

/// Walks a list of key items: a normal key gives its down and then its up event; a modifier toggle
/// presses the modifier when it is up and releases it when it is down. The items must outlive it.
class KeyEventGenerator {
public:
    /// Starts at the first item with every modifier up.
    explicit KeyEventGenerator(const KeyItems& items) : m_items(items) {}
    /// The next event, or nothing when the list is finished and no modifier is left down.
    std::optional<KeyEvent> next();

private:
    const KeyItems& m_items;
    std::size_t m_next = 0;
    std::optional<std::uint16_t> m_keyDown;
    bool m_shiftDown = false;
    bool m_controlDown = false;
    bool m_altDown = false;
};

} // namespace quorvane
