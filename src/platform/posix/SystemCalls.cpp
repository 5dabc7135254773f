#include "platform/posix/SystemCalls.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quorvane {

int SystemCalls::open(const char* path, int flags) {
    return ::open(path, flags);
}
int SystemCalls::close(int fd) {
    return ::close(fd);
}
ssize_t SystemCalls::read(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}
ssize_t SystemCalls::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int SystemCalls::ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}
int SystemCalls::fcntl(int fd, int command, int argument) {
    return ::fcntl(fd, command, argument);
}
int SystemCalls::flock(int fd, int operation) {
    return ::flock(fd, operation);
}
int SystemCalls::fstat(int fd, struct stat* status) {
    return ::fstat(fd, status);
}
int SystemCalls::poll(int fd, short events, short& revents, int timeoutMs) {
    pollfd one{fd, events, 0};
    const int result = ::poll(&one, 1, timeoutMs);
    revents = one.revents;
    return result;
}

} // namespace quorvane
