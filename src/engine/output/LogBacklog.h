#pragma once
// Record texts waiting for a log that cannot take them, held compactly under a memory bound.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace quorvane {

/// Records in arrival order, each stored as its length (a variable-length number, one byte below
/// 128) followed by its bytes in one block-allocated byte queue, so a record of one byte costs a
/// few bytes rather than a string object. The bound covers everything held: the bytes, the
/// lengths and the queue's own blocks and block table.
class LogBacklog {
public:
    /// Holds at most `limit` bytes of memory.
    explicit LogBacklog(std::size_t limit) : m_limit(limit) {}

    /// Adds a record at the end; false, with nothing added, when it would pass the bound.
    bool push(std::string_view record);
    /// The unwritten bytes from the start: whole records while they fit in `maxBytes`, and at
    /// least the rest of the first.
    std::string peek(std::size_t maxBytes) const;
    /// Takes off the first `bytes` unwritten bytes (a prefix of what peek gave); a record written
    /// only in part keeps its rest.
    void consume(std::size_t bytes);
    /// Drops everything.
    void clear();

    /// Records not yet written in full.
    std::size_t records() const { return m_records; }
    bool empty() const { return m_records == 0; }
    /// Memory held, an upper bound.
    std::size_t heldBytes() const { return held(m_bytes.size()); }
    std::size_t limit() const { return m_limit; }

private:
    static std::size_t held(std::size_t stored);
    /// The length of the record starting at `at`, and the position of its first byte.
    std::size_t readLength(std::size_t& at) const;

    std::size_t m_limit;
    std::deque<char> m_bytes;
    std::size_t m_records = 0;
    std::size_t m_frontWritten = 0; // bytes of the first record already written
};

} // namespace quorvane
