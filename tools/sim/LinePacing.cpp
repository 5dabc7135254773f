#include "sim/LinePacing.h"

#include <cmath>

namespace quorvane::sim {

namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;

} // namespace

std::int64_t bytesDue(std::chrono::microseconds elapsed, std::int64_t baud) {
    if (elapsed.count() <= 0 || baud <= 0)
        return 0;
    // Integer arithmetic so long replays do not drift: hours at 4 Mbaud stay well inside 64 bits.
    return elapsed.count() * baud / (kBitsPerByte * kMicrosPerSecond);
}

std::chrono::microseconds timeForBytes(std::int64_t count, std::int64_t baud) {
    if (count <= 0 || baud <= 0)
        return std::chrono::microseconds(0);
    const std::int64_t numerator = count * kBitsPerByte * kMicrosPerSecond;
    return std::chrono::microseconds((numerator + baud - 1) / baud);
}

std::int64_t recordsDue(std::chrono::microseconds elapsed, double rate) {
    if (elapsed.count() < 0 || rate <= 0)
        return 0;
    const double seconds = static_cast<double>(elapsed.count()) / kMicrosPerSecond;
    // The tiny allowance keeps a record that falls due exactly on a tick from slipping a tick
    // through floating-point rounding.
    return static_cast<std::int64_t>(std::floor(seconds * rate + 1e-9)) + 1;
}

std::chrono::microseconds timeForRecord(std::int64_t index, double rate) {
    if (index <= 0 || rate <= 0)
        return std::chrono::microseconds(0);
    const double micros = static_cast<double>(index) / rate * kMicrosPerSecond;
    return std::chrono::microseconds(static_cast<std::int64_t>(std::ceil(micros - 1e-3)));
}

} // namespace quorvane::sim
