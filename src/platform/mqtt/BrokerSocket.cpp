#include "platform/mqtt/BrokerSocket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdlib>
#include <string>

namespace quorvane {

namespace {

template <typename Visit>
void forEachSocket(Visit visit) {
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return;
    const int own = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        int fd = -1;
        const std::string_view name = entry->d_name;
        if (std::from_chars(name.data(), name.data() + name.size(), fd).ec != std::errc{} || fd == own)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode))
            visit(fd, status.st_ino);
    }
    ::closedir(dir);
}

int peerPort(int fd) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return -1;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&peer)->sin_port);
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port);
    return -1;
}

} // namespace

std::set<ino_t> OpenSocketInodes() {
    std::set<ino_t> inodes;
    forEachSocket([&inodes](int, ino_t inode) { inodes.insert(inode); });
    return inodes;
}

int FindNewBrokerSocket(const std::set<ino_t>& before, int port) {
    int found = -1;
    int count = 0;
    forEachSocket([&](int fd, ino_t inode) {
        if (!before.contains(inode) && peerPort(fd) == port) {
            found = fd;
            ++count;
        }
    });
    return count == 1 ? found : -1;
}

int BrokerPort(std::string_view url) {
    const bool tls = url.starts_with("mqtts://");
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return 0;
    std::string_view rest = url.substr(scheme + 3);
    rest = rest.substr(0, rest.find('/'));
    // "[v6address]:port" or "host:port": the port follows the last colon after any bracket.
    const auto bracket = rest.rfind(']');
    const auto colon = rest.rfind(':');
    if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket))
        return tls ? 8883 : 1883;
    int port = 0;
    const std::string_view digits = rest.substr(colon + 1);
    if (std::from_chars(digits.data(), digits.data() + digits.size(), port).ec != std::errc{} || port <= 0 ||
        port > 65535)
        return 0;
    return port;
}

std::uint64_t UnsentBytes(int fd) {
    int bytes = 0;
    if (fd < 0 || ::ioctl(fd, SIOCOUTQ, &bytes) != 0 || bytes < 0)
        return 0;
    return static_cast<std::uint64_t>(bytes);
}

} // namespace quorvane
