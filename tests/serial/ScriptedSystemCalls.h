#pragma once
// System calls that fail, stop short or are interrupted on request and otherwise reach the system.

#include <cerrno>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <poll.h>
#include <vector>

#include "platform/posix/SystemCalls.h"

namespace quorvane::test {

class ScriptedSystemCalls final : public SystemCalls {
public:
    int open(const char* path, int flags) override {
        if (failNext(OpenErrors))
            return -1;
        LastFd = SystemCalls::open(path, flags);
        return LastFd;
    }
    int close(int fd) override {
        ++Closes;
        return SystemCalls::close(fd);
    }
    ssize_t read(int fd, void* buffer, std::size_t size) override {
        ++Reads;
        if (BeforeRead)
            BeforeRead(fd);
        return failNext(ReadErrors) ? -1 : SystemCalls::read(fd, buffer, size);
    }
    ssize_t write(int fd, const void* data, std::size_t size) override {
        ++Writes;
        if (failNext(WriteErrors))
            return -1;
        if (!WriteLimits.empty()) {
            size = std::min(size, WriteLimits.front());
            WriteLimits.pop_front();
        }
        return SystemCalls::write(fd, data, size);
    }
    int ioctl(int fd, unsigned long request, void* argument) override {
        Ioctls.push_back(request);
        if (BeforeIoctl)
            BeforeIoctl(request, argument);
        if (auto it = IoctlErrors.find(request); it != IoctlErrors.end() && failNext(it->second))
            return -1;
        if (auto it = IoctlResults.find(request); it != IoctlResults.end())
            return it->second(argument);
        return SystemCalls::ioctl(fd, request, argument);
    }
    int fcntl(int fd, int command, int argument) override {
        return failNext(FcntlErrors) ? -1 : SystemCalls::fcntl(fd, command, argument);
    }
    int flock(int fd, int operation) override {
        return failNext(FlockErrors) ? -1 : SystemCalls::flock(fd, operation);
    }
    int fstat(int fd, struct stat* status) override {
        const int result = SystemCalls::fstat(fd, status);
        if (result == 0 && DeviceNumber)
            status->st_rdev = *DeviceNumber;
        return result;
    }

    // Script: errno values with which the coming calls fail, front first; 0 lets a call through.
    std::deque<int> OpenErrors, ReadErrors, WriteErrors, FcntlErrors, FlockErrors;
    /// The same per ioctl request.
    std::map<unsigned long, std::deque<int>> IoctlErrors;
    /// Answers an ioctl request instead of the system.
    std::map<unsigned long, std::function<int(void*)>> IoctlResults;
    /// Most bytes each coming write passes on.
    std::deque<std::size_t> WriteLimits;
    /// Runs before each read, for example to wait until input is there.
    std::function<void(int)> BeforeRead;
    /// Sees every ioctl and its argument before it is made.
    std::function<void(unsigned long, void*)> BeforeIoctl;
    /// The device number fstat reports instead of the real one (a pseudo-terminal passed off as a UART).
    std::optional<dev_t> DeviceNumber;

    // Observations.
    std::vector<unsigned long> Ioctls;
    /// Descriptor of the last successful open.
    int LastFd = -1;
    int Closes = 0;
    int Reads = 0;
    int Writes = 0;

    /// Waits up to five seconds for input on `fd`.
    static void waitForInput(int fd) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 5000);
    }

private:
    static bool failNext(std::deque<int>& errors) {
        if (errors.empty())
            return false;
        const int error = errors.front();
        errors.pop_front();
        if (error == 0)
            return false;
        errno = error;
        return true;
    }
};

} // namespace quorvane::test
