#pragma once
// Time as the engine sees it: a millisecond tick count and the local date and time.

#include <cstdint>

namespace quorvane {

/// A local calendar date and time of day.
struct LocalDateTime {
    int Year = 1899;
    int Month = 12; // 1..12
    int Day = 30;   // 1..31
    int Hour = 0;   // 0..23
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
    bool operator==(const LocalDateTime&) const = default;
};

/// The engine never reads a clock or sleeps by itself; it asks this.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds since an arbitrary start; wraps around at 2^32 like the system tick count.
    virtual std::uint32_t tickCount() const = 0;
    /// The local date and time now.
    virtual LocalDateTime now() const = 0;
};

} // namespace quorvane
