#include "sim/CaliperProfile.h"

#include <algorithm>

namespace quorvane::sim {

namespace {

constexpr std::int64_t kMaxReading = 99'999;
constexpr std::int64_t kMaxStray = 20;

} // namespace

CaliperProfile::CaliperProfile(std::uint64_t seed) : m_random(seed) {}

std::string CaliperProfile::nextRecord() {
    std::uniform_int_distribution<int> step(-2, 2);
    m_hundredths += step(m_random);
    m_hundredths = std::clamp(m_hundredths, kBaseHundredths - kMaxStray, kBaseHundredths + kMaxStray);
    return formatCaliperReading(m_hundredths) + "\r";
}

std::string CaliperProfile::receive(std::string_view) {
    return {};
}

std::string formatCaliperReading(std::int64_t hundredths) {
    const std::int64_t clamped = std::clamp(hundredths, -kMaxReading, kMaxReading);
    const std::int64_t magnitude = clamped < 0 ? -clamped : clamped;
    std::string digits = std::to_string(magnitude);
    digits.insert(0, 5 - digits.size(), '0');
    return (clamped < 0 ? "-" : "+") + digits.substr(0, 3) + "." + digits.substr(3);
}

} // namespace quorvane::sim
