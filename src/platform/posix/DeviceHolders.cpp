#include "platform/posix/DeviceHolders.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

bool allDigits(const char* name) {
    if (*name == '\0')
        return false;
    for (; *name != '\0'; ++name)
        if (std::isdigit(static_cast<unsigned char>(*name)) == 0)
            return false;
    return true;
}

bool holds(const std::string& fdFolder, dev_t device) {
    const Dir dir(::opendir(fdFolder.c_str()));
    // EACCES for another user's process; ENOENT for one that just ended.
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!allDigits(entry->d_name))
            continue;
        // stat() follows the link to the open file without opening it, so a FIFO cannot block here.
        struct stat status {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &status, 0) == 0 && S_ISCHR(status.st_mode) &&
            status.st_rdev == device)
            return true;
    }
    return false;
}

} // namespace

std::optional<pid_t> FindProcessHolding(dev_t device) {
    const Dir proc(::opendir("/proc"));
    if (!proc)
        return std::nullopt;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc.get())) {
        if (!allDigits(entry->d_name))
            continue;
        const auto pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (pid != self && holds("/proc/" + std::string(entry->d_name) + "/fd", device))
            return pid;
    }
    return std::nullopt;
}

std::string DescribeProcess(pid_t pid) {
    std::string description = "process " + std::to_string(pid);
    const std::string path = "/proc/" + std::to_string(pid) + "/comm";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return description;
    char name[64] = {};
    const ssize_t n = ::read(fd, name, sizeof name - 1);
    ::close(fd);
    std::string comm(name, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0'))
        comm.pop_back();
    if (!comm.empty())
        description += " (" + comm + ")";
    return description;
}

} // namespace quorvane
