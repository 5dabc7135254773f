#pragma once
// Windows virtual-key codes and code-page bytes as keysyms (X's and xkbcommon's, which are the same).

#include <cstdint>

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

} // namespace quorvane
