#pragma once
// System-wide hot keys: keys that reach the program whichever window has the focus.

#include <cstdint>
#include <functional>

namespace quorvane {

/// Modifier bits of a hot key registration, with the values the key words' users know.
enum HotKeyModifier : unsigned {
    kHotKeyModAlt = 1,
    kHotKeyModControl = 2,
    kHotKeyModShift = 4,
};

/// Grabs keys for the whole desktop and reports their presses by identifier.
class HotKeys {
public:
    /// Receives the identifier of a pressed hot key, on the thread that runs the engine.
    using PressHandler = std::function<void(int id)>;

    virtual ~HotKeys() = default;
    /// Grabs the key (a Windows virtual-key code) with exactly these modifiers under `id`; false
    /// when the key is unknown, another program holds it or another `id` registered it first,
    /// with nothing left grabbed.
    virtual bool registerKey(int id, std::uint8_t virtualKey, unsigned modifiers) = 0;
    /// Releases the key registered under `id`; nothing happens for an unknown id.
    virtual void unregisterKey(int id) = 0;
    /// Where presses go from now on; an empty handler drops them.
    virtual void setPressHandler(PressHandler handler) = 0;
};

} // namespace quorvane
