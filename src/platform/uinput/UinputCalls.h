#pragma once
// The system calls of the kernel's virtual keyboard, behind one seam so that tests can stand a
// socket in for /dev/uinput and script the device's set-up and its being taken in.

#include <chrono>
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace quorvane {

/// Where the system keeps input devices; tests point them at folders of their own.
struct UinputPaths {
    /// The device nodes, whose open()s tell that the desktop took a device in.
    std::string DeviceFolder = "/dev/input";
    /// The devices in sysfs, where a new device's event node is found by its sysname.
    std::string SysfsInput = "/sys/devices/virtual/input";
};

/// Pass-through to the system; each call returns what the system call returns and leaves errno.
class UinputCalls {
public:
    explicit UinputCalls(UinputPaths paths = {}) : m_paths(std::move(paths)) {}
    virtual ~UinputCalls();
    UinputCalls(const UinputCalls&) = delete;
    UinputCalls& operator=(const UinputCalls&) = delete;

    /// open(2) for reading and writing, non-blocking, close-on-exec.
    virtual int open(const char* path);
    /// close(2).
    virtual int close(int fd);
    /// write(2).
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    /// read(2) (the descriptor is non-blocking).
    virtual ssize_t read(int fd, void* buffer, std::size_t size);
    /// ioctl(2) with an integer argument.
    virtual int ioctl(int fd, unsigned long request, unsigned long argument);
    /// ioctl(2) with a pointer argument.
    virtual int ioctl(int fd, unsigned long request, void* argument);
    /// Starts noticing who opens input devices; called just before a device is created, so that
    /// an open that follows at once is not missed.
    virtual void watchDeviceOpens();
    /// Waits, at most `bound`, until a program of the desktop (the compositor, the X server, the
    /// login manager on its behalf) has opened the event device of the new input device `sysname`
    /// ("input42"): until then, what the device types reaches nobody. False when the bound ran out.
    virtual bool waitUntilTakenIn(const std::string& sysname, std::chrono::milliseconds bound);

private:
    void stopWatching();

    UinputPaths m_paths;
    int m_inotify = -1;
};

} // namespace quorvane
