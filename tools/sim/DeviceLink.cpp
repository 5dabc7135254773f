#include "sim/DeviceLink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvane::sim {

namespace {

std::optional<std::string> linkTarget(const std::string& path) {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size())
        return std::nullopt;
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

} // namespace

std::optional<std::string> DeviceLink::create(const std::string& linkPath, const std::string& target) {
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode))
            return linkPath + " exists and is not a symbolic link; not replacing it";
        // A link left behind by a run that was killed: its terminal is gone, the name is ours.
        if (::unlink(linkPath.c_str()) != 0)
            return "cannot remove the old link " + linkPath + ": " + std::strerror(errno);
    }
    if (::symlink(target.c_str(), linkPath.c_str()) != 0)
        return "cannot make the link " + linkPath + ": " + std::strerror(errno);
    m_linkPath = linkPath;
    m_target = target;
    return std::nullopt;
}

void DeviceLink::remove() {
    if (m_linkPath.empty())
        return;
    // Another simulator may have taken the name over since; its link is not ours to remove.
    if (linkTarget(m_linkPath) == m_target)
        ::unlink(m_linkPath.c_str());
    m_linkPath.clear();
}

} // namespace quorvane::sim
