#include "platform/posix/UucpLock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/SystemCalls.h"

namespace quorvane {

namespace {

/// The pid a lock file names; 0 when it cannot be read or names none (a lock still being written).
pid_t readLockPid(const std::string& path) {
    const int fd = RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
    if (fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t n = RetryOnInterrupt([&] { return ::read(fd, text, sizeof text - 1); });
    ::close(fd);
    if (n <= 0)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text && pid > 0 && pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;
}

bool processIsAlive(pid_t pid) {
    // EPERM: it exists, but belongs to another user.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

std::string UucpLockName(const std::string& devicePath) {
    std::string name = devicePath;
    if (name.starts_with("/dev/"))
        name.erase(0, 5);
    else if (const auto slash = name.rfind('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    for (char& c : name)
        if (c == '/')
            c = '_';
    return "LCK.." + name;
}

UucpLock::UucpLock(std::string directory) : m_directory(std::move(directory)) {}

UucpLock::~UucpLock() {
    release();
}

std::string UucpLock::lockPathFor(const std::string& devicePath) const {
    return m_directory + "/" + UucpLockName(devicePath);
}

UucpLock::Result UucpLock::acquire(const std::string& devicePath) {
    release();
    const std::string path = lockPathFor(devicePath);
    pid_t holder = 0;
    // A second round only after removing a stale lock; another program may take it in between.
    for (int round = 0; round < 2; ++round) {
        const int fd = RetryOnInterrupt(
            [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); });
        if (fd >= 0) {
            char text[16];
            const int size = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
            const bool written =
                RetryOnInterrupt([&] { return ::write(fd, text, static_cast<std::size_t>(size)); }) == size;
            ::close(fd);
            if (!written) {
                ::unlink(path.c_str());
                return {true, 0};
            }
            m_held = path;
            return {true, 0};
        }
        // No lock folder, or one we may not write (a read-only /run, an unprivileged user without the
        // lock group): the device's own exclusivity still applies, so go on without a lock file.
        if (errno != EEXIST)
            return {true, 0};
        holder = readLockPid(path);
        // Our own pid: another device object of this process, whose exclusive open decides.
        if (holder == ::getpid())
            return {true, 0};
        if (holder == 0 || processIsAlive(holder))
            return {false, holder};
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return {true, 0};
    }
    return {false, holder};
}

void UucpLock::release() {
    if (m_held.empty())
        return;
    ::unlink(m_held.c_str());
    m_held.clear();
}

} // namespace quorvane
