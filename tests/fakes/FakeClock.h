#pragma once
// A clock that moves only when the test moves it.

#include "platform/Clock.h"

namespace quorvane::test {

class FakeClock final : public Clock {
public:
    std::uint32_t tickCount() const override { return Ticks; }
    LocalDateTime now() const override { return Now; }
    std::int64_t unixMilliseconds() const override { return UnixMs; }

    void advance(std::uint32_t milliseconds) {
        Ticks += milliseconds;
        UnixMs += milliseconds;
    }

    std::uint32_t Ticks = 0;
    LocalDateTime Now{2026, 12, 7, 14, 5, 9, 0};
    std::int64_t UnixMs = 1796652309000; // 2026-12-07 14:05:09 UTC
};

} // namespace quorvane::test
