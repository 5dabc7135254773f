#include "expr/RandomSequence.h"

#include <bit>

namespace quorvane {

float RandomSequence::next() {
    // A full-period linear congruential step; numberFromState scrambles its weak low bits.
    m_state = m_state * 1664525u + 1013904223u;
    return numberFromState(m_state);
}

float RandomSequence::last() const {
    return numberFromState(m_state);
}

float RandomSequence::reseed(double seed) {
    // splitmix64 finaliser: nearby seeds such as -1 and -2 start unrelated sequences.
    std::uint64_t z = std::bit_cast<std::uint64_t>(seed) + 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    m_state = static_cast<std::uint32_t>(z);
    return numberFromState(m_state);
}

float RandomSequence::numberFromState(std::uint32_t state) {
    std::uint32_t x = state;
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    // 24 bits fill a float's significand exactly, so the result is below 1.
    return static_cast<float>(x >> 8) * 0x1p-24f;
}

} // namespace quorvane
