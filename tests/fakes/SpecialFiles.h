#pragma once
// Files that are not regular files, made where a test saves or reads one: what a save must refuse
// rather than replace, and what must never be opened in a way that blocks.

#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvane::test {

/// One kind of special file and how to make it; Make returns false where it cannot be made here
/// (a device node needs CAP_MKNOD).
struct SpecialFile {
    const char* Name;
    const char* Kind; // as the messages name it
    bool (*Make)(const std::string& path);
    bool BehindLink = false;
};

inline bool makeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}
// The null device's numbers: writing to it by mistake harms nothing.
inline bool makeCharDevice(const std::string& path) {
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}
inline bool makeFolder(const std::string& path) {
    return std::filesystem::create_directory(path);
}
inline bool makeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

inline const SpecialFile kSpecialFiles[] = {
    {"Fifo", "a FIFO", makeFifo},
    {"CharacterDevice", "a character device", makeCharDevice},
    {"Folder", "a directory", makeFolder},
    {"Socket", "a socket", makeSocket},
    {"LinkToFifo", "a FIFO", makeFifo, true},
    {"LinkToCharacterDevice", "a character device", makeCharDevice, true},
};

/// Makes `file` at `path`, behind a link there to "<path>.node" when the kind says so; false when
/// it cannot be made here.
inline bool makeSpecialFile(const SpecialFile& file, const std::string& path) {
    if (!file.BehindLink)
        return file.Make(path);
    if (!file.Make(path + ".node"))
        return false;
    std::filesystem::create_symlink(path + ".node", path);
    return true;
}

/// What stat(2) or lstat(2) says the file at `path` is: its type bits, 0 when it is gone.
inline mode_t fileType(const std::string& path, bool followLink) {
    struct stat info {};
    const int rc = followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    return rc == 0 ? (info.st_mode & S_IFMT) : 0;
}

} // namespace quorvane::test
