#pragma once
// The pseudo-random sequence behind rnd: deterministic, reseeded only on request.

#include <cstdint>

namespace quorvane {

/// A sequence of single-precision numbers in [0, 1) that starts from the same seed in every run.
class RandomSequence {
public:
    /// The next number of the sequence (rnd of a positive argument).
    float next();
    /// The number last produced, or the one the seed stands for before any (rnd(0)).
    float last() const;
    /// Restarts the sequence from seed and gives the number it stands for, the same for the
    /// same seed (rnd of a negative argument).
    float reseed(double seed);

private:
    static float numberFromState(std::uint32_t state);

    std::uint32_t m_state = 0x50000u;
};

} // namespace quorvane
