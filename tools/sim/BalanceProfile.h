#pragma once
// A laboratory balance: weights at a steady rate, a print request and a tare command.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "sim/DeviceProfile.h"

namespace quorvane::sim {

/// Sends `ST,GS,   12.345,g` CR LF records; "P" CR LF prints at once, "T" CR LF tares.
class BalanceProfile : public DeviceProfile {
public:
    /// Milligrams the walk centres on before any tare.
    static constexpr std::int64_t kBaseMilligrams = 12345;

    /// A balance whose readings follow a random walk seeded with seed.
    explicit BalanceProfile(std::uint64_t seed);

    std::string nextRecord() override;
    std::string receive(std::string_view bytes) override;

    /// The net weight shown now, in milligrams.
    std::int64_t netMilligrams() const { return m_grossMilligrams - m_tareMilligrams; }

private:
    std::string record() const;
    void runCommand(std::string_view command, std::string& answer);

    std::mt19937_64 m_random;
    std::int64_t m_grossMilligrams = kBaseMilligrams;
    std::int64_t m_tareMilligrams = 0;
    bool m_stable = true;
    std::string m_line;
};

/// The weight field: right-aligned in 9 characters with 3 decimals, clamped to what fits.
std::string formatWeightField(std::int64_t milligrams);

} // namespace quorvane::sim
