#include "engine/output/LogBacklog.h"

#include <algorithm>

namespace quorvane {

namespace {

// std::deque<char> allocates 512-byte blocks, each with the allocator's header and alignment (four
// words allowed), and a table of block pointers that doubles as it grows, so at most two pointers
// per block; a block may be partly used at either end.
constexpr std::size_t kBlockBytes = 512;
constexpr std::size_t kPerBlock = 4 * sizeof(std::size_t) + 2 * sizeof(char*);
constexpr std::size_t kFixedBytes = 2 * kBlockBytes + 8 * sizeof(char*) + sizeof(std::deque<char>);

std::size_t lengthBytes(std::size_t length) {
    std::size_t n = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++n;
    }
    return n;
}

} // namespace

std::size_t LogBacklog::held(std::size_t stored) {
    const std::size_t blocks = (stored + kBlockBytes - 1) / kBlockBytes;
    return blocks * (kBlockBytes + kPerBlock) + kFixedBytes;
}

bool LogBacklog::push(std::string_view record) {
    const std::size_t stored = m_bytes.size() + lengthBytes(record.size()) + record.size();
    if (stored < m_bytes.size() || held(stored) > m_limit)
        return false;
    for (std::size_t length = record.size();; length >>= 7) {
        const auto low = static_cast<unsigned char>(length & 0x7F);
        m_bytes.push_back(static_cast<char>(length >= 0x80 ? (low | 0x80) : low));
        if (length < 0x80)
            break;
    }
    m_bytes.insert(m_bytes.end(), record.begin(), record.end());
    ++m_records;
    return true;
}

std::size_t LogBacklog::readLength(std::size_t& at) const {
    std::size_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(m_bytes[at++]);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return length;
    }
}

std::string LogBacklog::peek(std::size_t maxBytes) const {
    std::string text;
    std::size_t at = 0;
    for (std::size_t record = 0; record < m_records; ++record) {
        const std::size_t length = readLength(at);
        const std::size_t skip = record == 0 ? m_frontWritten : 0;
        if (record != 0 && text.size() + length > maxBytes)
            break;
        // std::copy moves a deque's bytes block by block.
        const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(at + skip);
        const std::size_t old = text.size();
        text.resize(old + length - skip);
        std::copy(first, first + static_cast<std::ptrdiff_t>(length - skip), text.data() + old);
        at += length;
    }
    return text;
}

void LogBacklog::consume(std::size_t bytes) {
    std::size_t at = 0;
    while (m_records != 0) {
        std::size_t start = at;
        const std::size_t length = readLength(start);
        const std::size_t rest = length - m_frontWritten;
        if (bytes < rest) {
            m_frontWritten += bytes;
            break;
        }
        bytes -= rest;
        at = start + length;
        m_frontWritten = 0;
        --m_records;
    }
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(at));
    if (m_records == 0)
        std::deque<char>().swap(m_bytes); // gives the block table back too
}

void LogBacklog::clear() {
    std::deque<char>().swap(m_bytes);
    m_records = 0;
    m_frontWritten = 0;
}

} // namespace quorvane
