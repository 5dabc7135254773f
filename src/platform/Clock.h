#pragma once
// Time as the engine sees it: a millisecond tick count and the local date and time.

#include "expr/LocalDateTime.h"

#include <cstdint>

namespace quorvane {

/// The engine never reads a clock or sleeps by itself; it asks this.
class Clock : public DateTimeSource {
public:
    /// Milliseconds since an arbitrary start; wraps around at 2^32 like the system tick count.
    virtual std::uint32_t tickCount() const = 0;
    /// The local date and time now.
    LocalDateTime now() const override = 0;
    /// Milliseconds since 1970-01-01 00:00 UTC, for timestamps that leave the program.
    virtual std::int64_t unixMilliseconds() const = 0;
};

} // namespace quorvane
