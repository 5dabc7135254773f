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

int openAppend(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void writeAll(PosixFileAccess::WriteFunction write, int fd, std::string_view bytes, AppendResult& result) {
    while (result.Written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + result.Written, bytes.size() - result.Written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that makes no progress without saying why would otherwise loop forever.
            result.Error = errorText(n < 0 ? errno : EIO);
            break;
        }
        result.Written += static_cast<std::size_t>(n);
    }
}

// close() is where a network file system reports a write it could not complete.
std::string closeError(int fd) {
    if (::close(fd) != 0 && errno != EINTR)
        return errorText(errno);
    return {};
}

class PosixAppendFile final : public AppendFile {
public:
    PosixAppendFile(int fd, PosixFileAccess::WriteFunction write) : m_fd(fd), m_write(write) {}
    ~PosixAppendFile() override { close(); }
    PosixAppendFile(const PosixAppendFile&) = delete;
    PosixAppendFile& operator=(const PosixAppendFile&) = delete;

    AppendResult append(std::string_view bytes) override {
        AppendResult result;
        if (m_fd < 0)
            result.Error = errorText(EBADF);
        else
            writeAll(m_write, m_fd, bytes, result);
        return result;
    }
    std::string close() override {
        if (m_fd < 0)
            return {};
        const int fd = m_fd;
        m_fd = -1;
        return closeError(fd);
    }

private:
    int m_fd;
    PosixFileAccess::WriteFunction m_write;
};

} // namespace

PosixFileAccess::PosixFileAccess(WriteFunction write) : m_write(write ? write : &::write) {}

AppendResult PosixFileAccess::appendToFile(const std::string& path, std::string_view bytes) {
    AppendResult result;
    const int fd = openAppend(path);
    if (fd < 0) {
        result.Error = errorText(errno);
        return result;
    }
    writeAll(m_write, fd, bytes, result);
    std::string error = closeError(fd);
    if (result.Error.empty())
        result.Error = std::move(error);
    return result;
}

std::unique_ptr<AppendFile> PosixFileAccess::openForAppend(const std::string& path, std::string& error) {
    const int fd = openAppend(path);
    if (fd < 0) {
        error = errorText(errno);
        return nullptr;
    }
    return std::make_unique<PosixAppendFile>(fd, m_write);
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
