#pragma once
// A barcode scanner: EAN-13 codes, each followed by CR LF, deaf to commands.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "sim/DeviceProfile.h"

namespace quorvane::sim {

/// Sends random but valid EAN-13 codes, as a scanner at a packing bench would.
class ScannerProfile : public DeviceProfile {
public:
    /// A scanner whose codes are drawn from a generator seeded with seed.
    explicit ScannerProfile(std::uint64_t seed);

    std::string nextRecord() override;
    std::string receive(std::string_view bytes) override;

private:
    std::mt19937_64 m_random;
};

/// The check digit that completes the first twelve digits of an EAN-13 code.
char ean13CheckDigit(std::string_view twelveDigits);

} // namespace quorvane::sim
