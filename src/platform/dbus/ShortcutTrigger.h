#pragma once
// Hot keys as the desktop portals name key combinations ("CTRL+SHIFT+F5").

#include <cstdint>
#include <string>

namespace quorvane {

/// The trigger text of a hot key (a Windows virtual-key code and kHotKeyMod* bits) in the form of
/// the shortcut triggers desktops take: modifiers CTRL, ALT, SHIFT, then the key's xkb name;
/// empty for a key that has no name there.
std::string shortcutTrigger(std::uint8_t virtualKey, unsigned modifiers);

} // namespace quorvane
