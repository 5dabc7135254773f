#pragma once
// Bytes waiting for a non-blocking descriptor, written in order however little it takes at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane::sim {

/// A first-in first-out byte queue drained into a non-blocking file descriptor.
class PendingOutput {
public:
    /// What one writeTo achieved.
    enum class WriteResult {
        Empty,      ///< nothing was waiting
        Progress,   ///< some or all bytes went out
        WouldBlock, ///< the descriptor took nothing now; try again when it is writable
        Failed,     ///< the descriptor refused with an error (errno set); the bytes stay queued
    };

    /// Queues bytes after everything already waiting.
    void append(std::string_view bytes);
    /// Writes as much as the descriptor takes now, keeping the rest in order.
    WriteResult writeTo(int fd);

    /// Bytes still waiting.
    std::size_t size() const { return m_bytes.size() - m_start; }
    /// True when nothing waits.
    bool empty() const { return size() == 0; }

private:
    std::string m_bytes;
    std::size_t m_start = 0;
};

} // namespace quorvane::sim
