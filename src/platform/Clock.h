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
};

} // namespace quorvane
