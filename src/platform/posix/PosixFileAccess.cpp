#include "platform/posix/PosixFileAccess.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

std::string errorText(int error) {
    return std::system_category().message(error);
}

} // namespace

PosixFileAccess::PosixFileAccess(WriteFunction write) : m_write(write ? write : &::write) {}

AppendResult PosixFileAccess::appendToFile(const std::string& path, std::string_view bytes) {
    AppendResult result;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        result.Error = errorText(errno);
        return result;
    }
    while (result.Written < bytes.size()) {
        const ssize_t n = m_write(fd, bytes.data() + result.Written, bytes.size() - result.Written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that makes no progress without saying why would otherwise loop forever.
            result.Error = errorText(n < 0 ? errno : EIO);
            break;
        }
        result.Written += static_cast<std::size_t>(n);
    }
    // close() is where a network file system reports a write it could not complete.
    if (::close(fd) != 0 && errno != EINTR && result.Error.empty())
        result.Error = errorText(errno);
    return result;
}

std::optional<std::string> PosixFileAccess::readFile(const std::string& path, std::size_t maxBytes) {
    int fd = -1;
    do {
        // Without O_NONBLOCK, opening a FIFO waits for a writer and would stop the engine.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;
    // A FIFO, socket or device has no end to read to; only regular files are sent.
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ok = false;
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok ? std::optional<std::string>(std::move(data)) : std::nullopt;
}

} // namespace quorvane
