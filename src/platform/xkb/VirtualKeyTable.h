#pragma once
// Windows virtual-key codes and code-page bytes as keysyms (X's and xkbcommon's, which are the same).

#include "platform/Keyboard.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quorvane {

/// A keysym; kNoKeysym (NoSymbol) when there is none.
using Keysym = unsigned long;

/// NoSymbol.
inline constexpr Keysym kNoKeysym = 0;

/// The keysym of a virtual-key code: letters give their lower-case keysym (the level-0 symbol of
/// their key), modifiers their left-hand key; kNoKeysym for codes with no key on a PC keyboard.
Keysym keysymOfVirtualKey(std::uint16_t virtualKey);

/// The keysym that types a byte of the code page: through its Unicode code point, the legacy
/// keysym where X has one; the keys Tab, Return, BackSpace and Escape for those control bytes
/// (line feed as Return); kNoKeysym for the other control bytes.
Keysym keysymOfByte(unsigned char byte);

/// The key of a control byte that every layout types alike: Backspace, Tab and Escape as
/// themselves, line feed and carriage return as Enter; nothing for any other byte.
std::optional<KeyStroke> keyOfControlByte(unsigned char byte);

/// The virtual-key code that names the key typing `keysym`, where `isThatKey(code)` tells whether
/// the key of a code is it: the letter, digit or space of the keysym, else the punctuation key of a
/// US keyboard at its position; 0 when no code names it (the caller then names it by keycode).
std::uint16_t virtualKeyNaming(Keysym keysym, const std::function<bool(std::uint16_t)>& isThatKey);

} // namespace quorvane
