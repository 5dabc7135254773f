#pragma once
// A recorded byte stream played back at a line's speed, once or in a loop.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/Feed.h"

namespace quorvane::sim {

/// Sends a file's bytes as a line at baud would carry them. Unlike records, replayed bytes are
/// never dropped: when no room is left the playback waits, so the file always arrives whole.
class ReplayFeed : public Feed {
public:
    /// Plays bytes at baud (any pace when fast), again and again when loop.
    ReplayFeed(std::string bytes, std::int64_t baud, bool fast, bool loop);

    void restart() override;
    std::string take(std::chrono::microseconds elapsed, std::size_t room) override;
    std::optional<std::chrono::microseconds> nextDue() const override;
    bool finished() const override;
    std::string answer(std::string_view received) override;

private:
    std::string m_bytes;
    std::int64_t m_baud;
    bool m_fast;
    bool m_loop;
    std::size_t m_offset = 0;
    // Bytes sent since the last restart, the clock of the pacing.
    std::int64_t m_sentSinceRestart = 0;
    // A playback that slipped (no room) resumes its pace from where it stopped.
    std::chrono::microseconds m_slip{0};
};

/// The contents of path; none, with error set to the reason, when it cannot be replayed.
std::optional<std::string> readReplayFile(const std::string& path, std::string& error);

} // namespace quorvane::sim
