#include "platform/posix/PosixFileAccess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <time.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

std::string errorText(int error) {
    return std::system_category().message(error);
}

// What a FIFO's failures mean to a user; the system's words ("No such device or address",
// "Resource temporarily unavailable") do not say it.
std::string writeErrorText(int error, bool pipe) {
    if (pipe && error == ENXIO)
        return "no program is reading this FIFO";
    if (pipe && error == EAGAIN)
        return "the program reading this FIFO is not keeping up";
    if (pipe && error == EPIPE)
        return "the program reading this FIFO has closed it";
    return errorText(error);
}

bool isPipe(const struct stat& status) {
    return S_ISFIFO(status.st_mode);
}

bool pathIsPipe(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && isPipe(status);
}

// O_NONBLOCK changes nothing for a regular file; a FIFO without a reader then fails with ENXIO
// instead of waiting for one, and a full one fails its write with EAGAIN instead of waiting.
// Sets `pipe` for a FIFO, opened or not.
int openAppend(const std::string& path, bool& pipe) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    const int error = errno;
    struct stat status {};
    pipe = fd >= 0 ? ::fstat(fd, &status) == 0 && isPipe(status) : pathIsPipe(path);
    errno = error;
    return fd;
}

// A reader that leaves raises SIGPIPE at the next write, which would end a program that has not
// set the signal aside. Held back for the write, and taken off again unless it was already
// pending: the write fails with EPIPE like any other failure.
class PipeSignalHold {
public:
    PipeSignalHold() {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
    }
    ~PipeSignalHold() {
        if (m_raised && !m_wasPending) {
            const timespec none{0, 0};
            while (sigtimedwait(&m_set, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    PipeSignalHold(const PipeSignalHold&) = delete;
    PipeSignalHold& operator=(const PipeSignalHold&) = delete;
    void raised() { m_raised = true; }

private:
    sigset_t m_set;
    sigset_t m_previous;
    bool m_wasPending = false;
    bool m_raised = false;
};

void writeLoop(PosixFileAccess::WriteFunction write, int fd, std::string_view bytes, bool pipe,
               AppendResult& result) {
    while (result.Written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + result.Written, bytes.size() - result.Written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that makes no progress without saying why would otherwise loop forever.
            const int error = n < 0 ? errno : EIO;
            result.Error = writeErrorText(error, pipe);
            result.Busy = pipe && (error == EAGAIN || error == EWOULDBLOCK);
            break;
        }
        result.Written += static_cast<std::size_t>(n);
    }
}

void writeAll(PosixFileAccess::WriteFunction write, int fd, std::string_view bytes, bool pipe,
              AppendResult& result) {
    if (!pipe) {
        writeLoop(write, fd, bytes, pipe, result);
        return;
    }
    PipeSignalHold hold;
    writeLoop(write, fd, bytes, pipe, result);
    if (!result.ok())
        hold.raised();
}

// close() is where a network file system reports a write it could not complete.
std::string closeError(int fd) {
    if (::close(fd) != 0 && errno != EINTR)
        return errorText(errno);
    return {};
}

class PosixAppendFile final : public AppendFile {
public:
    PosixAppendFile(int fd, bool pipe, PosixFileAccess::WriteFunction write)
        : m_fd(fd), m_pipe(pipe), m_write(write) {}
    ~PosixAppendFile() override { close(); }
    PosixAppendFile(const PosixAppendFile&) = delete;
    PosixAppendFile& operator=(const PosixAppendFile&) = delete;

    AppendResult append(std::string_view bytes) override {
        AppendResult result;
        if (m_fd < 0)
            result.Error = errorText(EBADF);
        else
            writeAll(m_write, m_fd, bytes, m_pipe, result);
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
    bool m_pipe;
    PosixFileAccess::WriteFunction m_write;
};

} // namespace

PosixFileAccess::PosixFileAccess(WriteFunction write) : m_write(write ? write : &::write) {}

AppendResult PosixFileAccess::appendToFile(const std::string& path, std::string_view bytes) {
    AppendResult result;
    bool pipe = false;
    const int fd = openAppend(path, pipe);
    if (fd < 0) {
        result.Error = writeErrorText(errno, pipe);
        return result;
    }
    writeAll(m_write, fd, bytes, pipe, result);
    std::string error = closeError(fd);
    if (result.Error.empty())
        result.Error = std::move(error);
    return result;
}

std::unique_ptr<AppendFile> PosixFileAccess::openForAppend(const std::string& path, std::string& error) {
    bool pipe = false;
    const int fd = openAppend(path, pipe);
    if (fd < 0) {
        error = writeErrorText(errno, pipe);
        return nullptr;
    }
    return std::make_unique<PosixAppendFile>(fd, pipe, m_write);
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
