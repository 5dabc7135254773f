#pragma once
// The real clock: a monotonic millisecond count and the local date and time.

#include "platform/Clock.h"

namespace quorvane {

/// Milliseconds from CLOCK_MONOTONIC (wrapping at 2^32 like the system tick count) and the local
/// time from the C library, which honours TZ.
class SystemClock final : public Clock {
public:
    std::uint32_t tickCount() const override;
    LocalDateTime now() const override;
    std::int64_t unixMilliseconds() const override;
};

} // namespace quorvane
