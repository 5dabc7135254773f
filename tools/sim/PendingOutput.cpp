#include "sim/PendingOutput.h"

#include <cerrno>
#include <unistd.h>

namespace quorvane::sim {

void PendingOutput::append(std::string_view bytes) {
    // Compacting only once the written part dominates keeps appends and writes amortised O(1).
    if (m_start > 0 && m_start >= m_bytes.size() / 2) {
        m_bytes.erase(0, m_start);
        m_start = 0;
    }
    m_bytes.append(bytes);
}

PendingOutput::WriteResult PendingOutput::writeTo(int fd) {
    if (empty())
        return WriteResult::Empty;
    bool progressed = false;
    while (!empty()) {
        const ssize_t written = ::write(fd, m_bytes.data() + m_start, size());
        if (written > 0) {
            m_start += static_cast<std::size_t>(written);
            progressed = true;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (written == 0)
            break;
        return progressed ? WriteResult::Progress : WriteResult::Failed;
    }
    if (empty()) {
        m_bytes.clear();
        m_start = 0;
    }
    return progressed ? WriteResult::Progress : WriteResult::WouldBlock;
}

} // namespace quorvane::sim
