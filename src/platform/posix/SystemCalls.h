#pragma once
// The system calls of the serial device, behind one seam so tests can inject EINTR, EAGAIN, short writes
// and failures. Each returns what the system call returns and leaves errno set as it does.

#include <cerrno>
#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

namespace quorvane {

/// Pass-through to the system; override a call to script its failures.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;
    /// open(2).
    virtual int open(const char* path, int flags);
    /// close(2).
    virtual int close(int fd);
    /// read(2).
    virtual ssize_t read(int fd, void* buffer, std::size_t size);
    /// write(2).
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    /// ioctl(2) with a pointer or no argument.
    virtual int ioctl(int fd, unsigned long request, void* argument);
    /// fcntl(2) with an integer argument.
    virtual int fcntl(int fd, int command, int argument);
    /// flock(2).
    virtual int flock(int fd, int operation);
    /// fstat(2).
    virtual int fstat(int fd, struct stat* status);
    /// poll(2) of one descriptor: the events it reports in `revents`.
    virtual int poll(int fd, short events, short& revents, int timeoutMs);
};

/// Repeats `call` while it fails with EINTR; its last result.
template <typename Call>
auto RetryOnInterrupt(Call call) {
    for (;;) {
        auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

} // namespace quorvane
