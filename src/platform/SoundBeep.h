#pragma once
// Numbered system sounds, beside the plain beep of UserPrompts.

#include <cstdint>

namespace quorvane {

/// Plays a system sound chosen by number (the "SpecialBeep" setting of the runtime window).
class SoundBeep {
public:
    virtual ~SoundBeep() = default;
    /// Sounds the system beep of that number; an unknown number gives the default sound.
    virtual void messageBeep(std::uint32_t soundNumber) = 0;
};

} // namespace quorvane
