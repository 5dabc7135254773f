#include "platform/console/LineOutlet.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

LineOutlet::LineOutlet(int fd) : m_fd(fd) {
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        return;
    struct stat null {};
    m_discards = S_ISCHR(info.st_mode) && ::stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) &&
                 info.st_rdev == null.st_rdev;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const int own = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (own >= 0) {
        m_fd = own;
        m_ownFd = true;
        return;
    }
    // A socket, or a pipe whose reader has already gone: only the shared description is left.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK) == 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0)
        m_restoreFlags = flags;
}

LineOutlet::~LineOutlet() {
    if (m_ownFd)
        ::close(m_fd);
    else if (m_restoreFlags >= 0)
        fcntl(m_fd, F_SETFL, m_restoreFlags);
}

bool LineOutlet::finishPartial() {
    while (!m_partial.empty()) {
        const ssize_t n = ::write(m_fd, m_partial.data(), m_partial.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0 && errno == EAGAIN)
                return false;
            if (n < 0 && errno == EPIPE)
                m_gone = true;
            m_partial.clear(); // the line stays cut; nothing more can be done for it
            return false;
        }
        m_partial.erase(0, static_cast<std::size_t>(n));
    }
    return true;
}

std::uint64_t LineOutlet::write(std::string_view lines, std::uint64_t count) {
    const auto drop = [&] {
        m_dropped += count;
        m_droppedUnreported += count;
        return std::uint64_t{0};
    };
    if (m_gone || !finishPartial())
        return drop();
    ssize_t n = -1;
    do {
        n = ::write(m_fd, lines.data(), lines.size());
    } while (n < 0 && errno == EINTR);
    if (n <= 0 && !lines.empty()) {
        if (n < 0 && errno == EPIPE)
            m_gone = true;
        return drop();
    }
    if (static_cast<std::size_t>(n) < lines.size())
        m_partial.assign(lines.substr(static_cast<std::size_t>(n)));
    const std::uint64_t reported = m_droppedUnreported;
    m_droppedUnreported = 0;
    return reported;
}

} // namespace quorvane
