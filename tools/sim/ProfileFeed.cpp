#include "sim/ProfileFeed.h"

#include "sim/LinePacing.h"

namespace quorvane::sim {

ProfileFeed::ProfileFeed(std::unique_ptr<DeviceProfile> profile, double rate, bool fast,
                         std::optional<std::int64_t> count)
    : m_profile(std::move(profile)), m_rate(rate), m_fast(fast), m_count(count) {}

void ProfileFeed::restart() {
    m_scheduled = 0;
}

std::string ProfileFeed::take(std::chrono::microseconds elapsed, std::size_t room) {
    std::string bytes;
    if (m_fast) {
        while (!finished() && bytes.size() < room) {
            bytes += m_profile->nextRecord();
            ++m_taken;
        }
        return bytes;
    }
    const std::int64_t due = recordsDue(elapsed, m_rate);
    while (m_scheduled < due && !finished()) {
        ++m_scheduled;
        std::string record = m_profile->nextRecord();
        if (bytes.size() + record.size() > room)
            continue;
        bytes += record;
        ++m_taken;
    }
    return bytes;
}

std::optional<std::chrono::microseconds> ProfileFeed::nextDue() const {
    if (m_fast || finished())
        return std::nullopt;
    return timeForRecord(m_scheduled, m_rate);
}

bool ProfileFeed::finished() const {
    return m_count && m_taken >= *m_count;
}

std::string ProfileFeed::answer(std::string_view received) {
    return m_profile->receive(received);
}

} // namespace quorvane::sim
