#pragma once
// A key pressed in the hot key box as a key word: Qt's key codes mapped back to the virtual-key codes
// of the key table, the inverse of the virtual-key to keysym table the hot key grabs use.

#include <cstdint>
#include <optional>

#include "keys/KeyPickers.h"

namespace quorvane {

/// The virtual-key code of a Qt key (Qt::Key); `keypad` for a key of the numeric keypad. Shifted
/// punctuation names its unshifted key as a US keyboard lays them out ("!" is the key 1). 0 for a
/// modifier alone and for keys the key table does not name.
int VirtualKeyOfQtKey(int qtKey, bool keypad);

/// The key word of a key press: modifier flags times 256 plus the virtual-key code; nothing for a
/// modifier alone or a key the key table does not name.
std::optional<std::int16_t> HotKeyWordOfKeyPress(int qtKey, bool keypad, KeyModifiers modifiers);

} // namespace quorvane
