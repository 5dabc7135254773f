#pragma once
// What the simulated device puts on the line, and when: the simulator's loop asks, a feed answers.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::sim {

/// A source of bytes for the line, paced against the time since the reader connected.
class Feed {
public:
    virtual ~Feed() = default;

    /// Starts the pacing over: a reader has just connected.
    virtual void restart() = 0;
    /// The bytes due after elapsed since restart, at most about room bytes of them.
    virtual std::string take(std::chrono::microseconds elapsed, std::size_t room) = 0;
    /// When the next bytes fall due, counted from restart; none when they are due whenever
    /// there is room (no pacing) or when the feed has finished.
    virtual std::optional<std::chrono::microseconds> nextDue() const = 0;
    /// True once everything the feed will ever send has been taken.
    virtual bool finished() const = 0;
    /// The device's answer to bytes received from the reader, empty when none.
    virtual std::string answer(std::string_view received) = 0;
};

} // namespace quorvane::sim
