#include "platform/posix/PidFileLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/posix/DeviceHolders.h"
#include "platform/posix/SystemCalls.h"

namespace quorvane {

namespace {

/// The pid the holder wrote; 0 when there is none yet (it is between locking and writing).
pid_t holderOf(int fd) {
    char text[32] = {};
    const ssize_t n = RetryOnInterrupt([&] { return ::pread(fd, text, sizeof text - 1, 0); });
    if (n <= 0)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text && pid > 0 && pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;
}

} // namespace

PidFileLock::PidFileLock(std::string path) : m_path(std::move(path)) {}

PidFileLock::~PidFileLock() {
    release();
}

bool PidFileLock::acquire(std::string& problem) {
    if (held())
        return true;
    const int fd =
        RetryOnInterrupt([&] { return ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644); });
    if (fd < 0) {
        problem = "cannot open " + m_path + ": " + std::strerror(errno);
        return false;
    }
    if (RetryOnInterrupt([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            const pid_t holder = holderOf(fd);
            problem = m_path + " is in use by " + (holder > 0 ? DescribeProcess(holder) : "another process");
        } else {
            problem = "cannot lock " + m_path + ": " + std::strerror(error);
        }
        ::close(fd);
        return false;
    }
    // Only the holder writes, so a refused process reads a whole pid or none; should writing fail,
    // the lock still holds and a refused process names no holder.
    char text[16] = {};
    const int size = std::snprintf(text, sizeof text, "%d\n", static_cast<int>(::getpid()));
    if (::ftruncate(fd, 0) == 0)
        RetryOnInterrupt([&] { return ::pwrite(fd, text, static_cast<std::size_t>(size), 0); });
    m_fd = fd;
    return true;
}

void PidFileLock::release() {
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
}

} // namespace quorvane
