#pragma once
// A digital caliper: one signed reading per record, a lone CR after it, deaf to commands.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "sim/DeviceProfile.h"

namespace quorvane::sim {

/// Sends readings such as `+012.34` CR in millimetres, drifting around a workpiece's size.
class CaliperProfile : public DeviceProfile {
public:
    /// Hundredths of a millimetre the readings centre on.
    static constexpr std::int64_t kBaseHundredths = 2540;

    /// A caliper whose readings follow a random walk seeded with seed.
    explicit CaliperProfile(std::uint64_t seed);

    std::string nextRecord() override;
    std::string receive(std::string_view bytes) override;

private:
    std::mt19937_64 m_random;
    std::int64_t m_hundredths = kBaseHundredths;
};

/// A reading as the caliper sends it: sign, three integer digits, two decimals, clamped.
std::string formatCaliperReading(std::int64_t hundredths);

} // namespace quorvane::sim
