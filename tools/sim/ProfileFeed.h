#pragma once
// A device profile's records on the line: at a rate or as fast as they are taken, up to a count.

#include <cstdint>
#include <memory>
#include <optional>

#include "sim/DeviceProfile.h"
#include "sim/Feed.h"

namespace quorvane::sim {

/// Paces a profile's records. Records that fall due while no room is left are dropped, as a
/// device sends on whether or not anyone reads; they do not count towards the count.
class ProfileFeed : public Feed {
public:
    /// Records of profile at rate per second (ignored when fast), count of them or endless.
    ProfileFeed(std::unique_ptr<DeviceProfile> profile, double rate, bool fast,
                std::optional<std::int64_t> count);

    void restart() override;
    std::string take(std::chrono::microseconds elapsed, std::size_t room) override;
    std::optional<std::chrono::microseconds> nextDue() const override;
    bool finished() const override;
    std::string answer(std::string_view received) override;

    /// Records taken so far, over every connection.
    std::int64_t recordsTaken() const { return m_taken; }

private:
    std::unique_ptr<DeviceProfile> m_profile;
    double m_rate;
    bool m_fast;
    std::optional<std::int64_t> m_count;
    std::int64_t m_taken = 0;
    // Records accounted for (taken or dropped) since the last restart.
    std::int64_t m_scheduled = 0;
};

} // namespace quorvane::sim
