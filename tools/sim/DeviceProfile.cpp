#include "sim/DeviceProfile.h"

#include "sim/BalanceProfile.h"
#include "sim/CaliperProfile.h"
#include "sim/ScannerProfile.h"

namespace quorvane::sim {

const std::vector<std::string>& profileNames() {
    static const std::vector<std::string> names{"balance", "caliper", "scanner"};
    return names;
}

std::unique_ptr<DeviceProfile> makeProfile(std::string_view name, std::uint64_t seed) {
    if (name == "balance")
        return std::make_unique<BalanceProfile>(seed);
    if (name == "caliper")
        return std::make_unique<CaliperProfile>(seed);
    if (name == "scanner")
        return std::make_unique<ScannerProfile>(seed);
    return nullptr;
}

} // namespace quorvane::sim
