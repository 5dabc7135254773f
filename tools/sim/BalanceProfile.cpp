#include "sim/BalanceProfile.h"

#include <algorithm>
#include <cstdlib>

namespace quorvane::sim {

namespace {

// A real balance's display has room for 9 characters; beyond that it shows overload, which a
// simulation has no use for.
constexpr std::int64_t kMaxField = 99'999'999;
constexpr std::int64_t kMinField = -9'999'999;
// The reading drifts by a few milligrams per record and is pulled back when it strays further
// than this from where it started.
constexpr std::int64_t kMaxStrayMilligrams = 60;
constexpr int kMaxStep = 5;
// Steps larger than this are the moments the balance reports the reading as unstable.
constexpr int kMaxStableStep = 3;
// Command lines longer than this are noise, not a command.
constexpr std::size_t kMaxCommandLength = 32;

} // namespace

BalanceProfile::BalanceProfile(std::uint64_t seed) : m_random(seed) {}

std::string BalanceProfile::nextRecord() {
    std::uniform_int_distribution<int> step(-kMaxStep, kMaxStep);
    int change = step(m_random);
    const std::int64_t stray = m_grossMilligrams - kBaseMilligrams;
    if (stray > kMaxStrayMilligrams)
        change = -std::abs(change);
    else if (stray < -kMaxStrayMilligrams)
        change = std::abs(change);
    m_grossMilligrams += change;
    m_stable = std::abs(change) <= kMaxStableStep;
    return record();
}

std::string BalanceProfile::receive(std::string_view bytes) {
    std::string answer;
    for (const char byte : bytes) {
        if (byte == '\r' || byte == '\n') {
            // CR LF, a lone CR and a lone LF all end a command; the empty line between CR and
            // LF is no command.
            if (!m_line.empty())
                runCommand(m_line, answer);
            m_line.clear();
        } else if (m_line.size() < kMaxCommandLength) {
            m_line.push_back(byte);
        }
    }
    return answer;
}

void BalanceProfile::runCommand(std::string_view command, std::string& answer) {
    if (command == "P")
        answer += record();
    else if (command == "T")
        m_tareMilligrams = m_grossMilligrams;
}

std::string BalanceProfile::record() const {
    return std::string(m_stable ? "ST" : "US") + ",GS," + formatWeightField(netMilligrams()) + ",g\r\n";
}

std::string formatWeightField(std::int64_t milligrams) {
    const std::int64_t clamped = std::clamp(milligrams, kMinField, kMaxField);
    const std::int64_t magnitude = clamped < 0 ? -clamped : clamped;
    std::string decimals = std::to_string(magnitude % 1000);
    decimals.insert(0, 3 - decimals.size(), '0');
    std::string text = (clamped < 0 ? "-" : "") + std::to_string(magnitude / 1000) + "." + decimals;
    text.insert(0, 9 - text.size(), ' ');
    return text;
}

} // namespace quorvane::sim
