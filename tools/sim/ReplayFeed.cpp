#include "sim/ReplayFeed.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "sim/LinePacing.h"

namespace quorvane::sim {

ReplayFeed::ReplayFeed(std::string bytes, std::int64_t baud, bool fast, bool loop)
    : m_bytes(std::move(bytes)), m_baud(baud), m_fast(fast), m_loop(loop) {}

void ReplayFeed::restart() {
    m_sentSinceRestart = 0;
    m_slip = std::chrono::microseconds(0);
}

std::string ReplayFeed::take(std::chrono::microseconds elapsed, std::size_t room) {
    std::string bytes;
    if (finished() || m_bytes.empty())
        return bytes;
    std::int64_t wanted = static_cast<std::int64_t>(room);
    if (!m_fast) {
        const std::int64_t due = bytesDue(elapsed - m_slip, m_baud) - m_sentSinceRestart;
        if (due > wanted)
            // No room for all that fell due: hold the line back rather than lose bytes, and
            // carry on at the proper pace from the last byte that went.
            m_slip = elapsed - timeForBytes(m_sentSinceRestart + wanted, m_baud);
        wanted = std::min(wanted, due);
    }
    while (wanted > 0 && !finished()) {
        const std::size_t chunk = std::min(static_cast<std::size_t>(wanted), m_bytes.size() - m_offset);
        bytes.append(m_bytes, m_offset, chunk);
        m_offset += chunk;
        wanted -= static_cast<std::int64_t>(chunk);
        m_sentSinceRestart += static_cast<std::int64_t>(chunk);
        if (m_offset == m_bytes.size() && m_loop)
            m_offset = 0;
    }
    return bytes;
}

std::optional<std::chrono::microseconds> ReplayFeed::nextDue() const {
    if (m_fast || finished())
        return std::nullopt;
    return m_slip + timeForBytes(m_sentSinceRestart + 1, m_baud);
}

bool ReplayFeed::finished() const {
    return !m_loop && m_offset >= m_bytes.size();
}

std::string ReplayFeed::answer(std::string_view) {
    return {};
}

std::optional<std::string> readReplayFile(const std::string& path, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " is not a regular file";
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    if (bytes.empty()) {
        error = path + " is empty: nothing to replay";
        return std::nullopt;
    }
    return bytes;
}

} // namespace quorvane::sim
