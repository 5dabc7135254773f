#pragma once
// A simulated instrument's behaviour, free of any terminal: what it sends on its own and how it
// answers what it receives.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::sim {

/// An instrument that produces records at its own pace and may answer commands.
class DeviceProfile {
public:
    virtual ~DeviceProfile() = default;

    /// The next record the instrument sends on its own, terminator included.
    virtual std::string nextRecord() = 0;
    /// Takes bytes received from the capture program (any chunking) and returns the bytes the
    /// instrument answers at once, empty when nothing.
    virtual std::string receive(std::string_view bytes) = 0;
};

/// The names accepted by makeProfile, the default first.
const std::vector<std::string>& profileNames();

/// The profile called name, its random walk started from seed; null for an unknown name.
std::unique_ptr<DeviceProfile> makeProfile(std::string_view name, std::uint64_t seed);

} // namespace quorvane::sim
