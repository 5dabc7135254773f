#include "platform/posix/PosixConfigFileAccess.h"

#include "platform/FileKind.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

std::string errorText(int error) {
    return std::system_category().message(error);
}

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The file a save replaces: the one the path names after its links (the links stay), when it is a
// regular file or does not exist yet. Anything else (a device, a FIFO, a folder, a link into
// /proc) is refused: renaming a new file over it would destroy it. Empty, or why not.
std::string saveTarget(const std::string& path, std::string& target) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return std::string(FileKindName(info.st_mode)) + ", not a regular file; it was left as it is";
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr)
            return errorText(errno);
        target = resolved;
        return {};
    }
    if (errno != ENOENT)
        return errorText(errno);
    // A new file, perhaps named by a link that points to where it is to be made.
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = current;
            return {};
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link);
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof link)
            return errorText(n < 0 ? errno : ENAMETOOLONG);
        const std::size_t slash = current.rfind('/');
        current =
            (link[0] == '/' || slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
            std::string(link, static_cast<std::size_t>(n));
    }
    return errorText(ELOOP);
}

// The folder must record the rename too, or a crash can bring the old name back empty.
void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

PosixConfigFileAccess::PosixConfigFileAccess(WriteFunction write, SyncFunction sync)
    : m_write(write ? write : &::write), m_sync(sync ? sync : &::fsync) {}

FileHead PosixConfigFileAccess::readHead(const std::string& path, std::size_t maxBytes) {
    FileHead head;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = openRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        head.Error = errorText(errno);
        return head;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        head.Error = errorText(errno);
    } else if (!S_ISREG(info.st_mode)) {
        head.Outcome = FileHead::Status::NotRegularFile;
        head.Error = S_ISDIR(info.st_mode) ? "a directory, not a configuration file" : "not a regular file";
    } else {
        head.Size = static_cast<std::uint64_t>(info.st_size);
        head.Outcome = FileHead::Status::Ok;
        head.Bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.Size, maxBytes)));
        std::size_t got = 0;
        while (got < head.Bytes.size()) {
            const ssize_t n = ::read(fd, head.Bytes.data() + got, head.Bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                head.Outcome = FileHead::Status::CannotOpen;
                head.Error = errorText(errno);
                break;
            }
            if (n == 0)
                break; // the file shrank since fstat
            got += static_cast<std::size_t>(n);
        }
        head.Bytes.resize(got);
    }
    ::close(fd);
    return head;
}

std::string PosixConfigFileAccess::replaceFile(const std::string& path, std::string_view bytes) {
    std::string target;
    if (std::string refused = saveTarget(path, target); !refused.empty())
        return refused;
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary =
            folder + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(m_saves++) + ".tmp";
        fd = openRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errorText(errno);
    }
    if (fd < 0)
        return errorText(EEXIST);

    int error = 0;
    std::size_t written = 0;
    while (error == 0 && written < bytes.size()) {
        const ssize_t n = m_write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            written += static_cast<std::size_t>(n);
    }
    // The new file keeps the old one's permissions; a new file gets 0666 less the umask from open().
    struct stat old {};
    if (error == 0 && ::stat(target.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && m_sync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return errorText(error);
    }
    syncFolderOf(target);
    return {};
}

} // namespace quorvane
