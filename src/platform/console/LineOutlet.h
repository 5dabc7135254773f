#pragma once
// Record lines written to standard output without ever waiting for its reader.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace quorvane {

/// Writes whole lines to a descriptor without blocking. A pipe or terminal gets a descriptor of its
/// own opened non-blocking (so the flags of the shared one, which the shell and other programs may
/// hold too, stay as they are); a regular file is written as it is. Lines that do not fit are
/// dropped and counted; lines taken only in part are finished before any later line is written.
class LineOutlet {
public:
    explicit LineOutlet(int fd);
    ~LineOutlet();
    LineOutlet(const LineOutlet&) = delete;
    LineOutlet& operator=(const LineOutlet&) = delete;

    /// Writes `lines` (`count` whole lines) at once, or drops them all. Returns the number of lines
    /// dropped since output last flowed when these are the first to get through again, else 0.
    std::uint64_t write(std::string_view lines, std::uint64_t count = 1);
    /// Lines dropped in this run.
    std::uint64_t dropped() const { return m_dropped; }
    /// Lines dropped since output last flowed, not yet returned by write; counts them as told.
    std::uint64_t takeUnreported() { return std::exchange(m_droppedUnreported, 0); }
    /// True once the reader has closed its end for good.
    bool readerGone() const { return m_gone; }
    /// True when the descriptor is the null device: whatever is written vanishes.
    bool discards() const { return m_discards; }

private:
    bool finishPartial();

    int m_fd;
    bool m_ownFd = false;
    int m_restoreFlags = -1; // the shared descriptor's flags, when they had to be changed
    bool m_gone = false;     // the reader has left for good
    bool m_discards = false; // the null device
    std::string m_partial;   // the rest of a line the descriptor took only in part
    std::uint64_t m_dropped = 0;
    std::uint64_t m_droppedUnreported = 0;
};

} // namespace quorvane
