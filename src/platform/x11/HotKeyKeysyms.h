#pragma once
// The keys a hot key can name, from Windows virtual-key codes to X keysyms.

#include <cstdint>

namespace quorvane {

/// The keysym of a hot key's virtual-key code: letters, digits, F1-F24, navigation, the numeric
/// keypad and punctuation; 0 for codes no hot key can use.
std::uint32_t HotKeyKeysym(std::uint8_t virtualKey);

} // namespace quorvane
