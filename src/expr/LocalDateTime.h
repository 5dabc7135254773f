#pragma once
// A local calendar date and time, and what hands out the current one: the date formats and the date
// codes need no more of a clock than this.

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

/// The local date and time now; the platform's clock is one.
class DateTimeSource {
public:
    virtual ~DateTimeSource() = default;
    virtual LocalDateTime now() const = 0;
};

} // namespace quorvane
