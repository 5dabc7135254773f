#pragma once
// Typing a keystroke macro text into whatever window has the keyboard focus.

#include "keys/KeyMacroParser.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace quorvane {

/// What typing reaches of its host.
struct KeyTypingHost {
    KeyboardInjector& Keyboard;
    const KeyLayout& Layout;
    const Clock& Time;
    /// Keeps the host's event loop running for up to that many milliseconds (returning sooner is
    /// fine: it is called again until the wait is over); without one, typing does not wait.
    std::function<void(int milliseconds)> ProcessEventsFor;
};

/// Parses text and, only when the whole text parsed, types it: the user's modifiers are released
/// and Caps Lock switched off meanwhile, both restored afterwards; every event is followed by
/// keystrokeDelay milliseconds (when positive), every release of Alt by a pause of about 2 seconds.
/// Returns 0, or the parse error 1..5 of keymacro:: with nothing typed.
std::int16_t SendKeyMacro(std::string_view text, std::int32_t keystrokeDelay, const KeyTypingHost& host);

} // namespace quorvane
