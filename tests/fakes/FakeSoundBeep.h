#pragma once
// Records the numbered system sounds played.

#include "platform/SoundBeep.h"

#include <vector>

namespace quorvane::test {

class FakeSoundBeep final : public SoundBeep {
public:
    void messageBeep(std::uint32_t soundNumber) override { Sounds.push_back(soundNumber); }

    std::vector<std::uint32_t> Sounds;
};

} // namespace quorvane::test
