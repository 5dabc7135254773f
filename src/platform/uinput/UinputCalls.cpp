#include "platform/uinput/UinputCalls.h"

#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace quorvane {

namespace {

// The event node ("event7") of an input device, once sysfs shows it; empty before.
std::string eventNodeOf(const std::string& sysfsDevice) {
    DIR* folder = ::opendir(sysfsDevice.c_str());
    if (folder == nullptr)
        return {};
    std::string node;
    while (const dirent* entry = ::readdir(folder)) {
        if (std::string_view(entry->d_name).starts_with("event")) {
            node = entry->d_name;
            break;
        }
    }
    ::closedir(folder);
    return node;
}

} // namespace

UinputCalls::~UinputCalls() {
    stopWatching();
}

int UinputCalls::open(const char* path) {
    return ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

int UinputCalls::close(int fd) {
    return ::close(fd);
}

ssize_t UinputCalls::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

ssize_t UinputCalls::read(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

int UinputCalls::ioctl(int fd, unsigned long request, unsigned long argument) {
    return ::ioctl(fd, request, argument);
}

int UinputCalls::ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}

void UinputCalls::stopWatching() {
    if (m_inotify >= 0)
        ::close(m_inotify);
    m_inotify = -1;
}

void UinputCalls::watchDeviceOpens() {
    stopWatching();
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0 && ::inotify_add_watch(m_inotify, m_paths.DeviceFolder.c_str(), IN_OPEN) < 0)
        stopWatching();
}

bool UinputCalls::waitUntilTakenIn(const std::string& sysname, std::chrono::milliseconds bound) {
    if (m_inotify < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    auto remainingMs = [&] {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    };
    // The event node shows in sysfs as the device registers; the kernel names it, so it is only
    // known from there.
    std::string node = eventNodeOf(m_paths.SysfsInput + "/" + sysname);
    while (node.empty() && remainingMs() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        node = eventNodeOf(m_paths.SysfsInput + "/" + sysname);
    }
    if (node.empty())
        return false;

    alignas(inotify_event) std::array<char, 4096> buffer{};
    while (true) {
        const ssize_t got = ::read(m_inotify, buffer.data(), buffer.size());
        if (got > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if ((event->mask & IN_OPEN) != 0 && event->len > 0 && node == event->name) {
                    stopWatching();
                    return true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
            continue;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        const int left = remainingMs();
        if (left == 0)
            return false;
        pollfd watch{m_inotify, POLLIN, 0};
        ::poll(&watch, 1, left);
    }
}

} // namespace quorvane
