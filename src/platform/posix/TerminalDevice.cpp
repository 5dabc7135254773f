#include "platform/posix/TerminalDevice.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quorvane {

namespace {

// The kernel's class of a character device: "tty", "mem", "input"...; empty when sysfs does not know it.
std::string sysfsSubsystem(dev_t device) {
    const std::string node =
        "/sys/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::error_code error;
    const auto target = std::filesystem::read_symlink(node + "/subsystem", error);
    return error ? std::string() : target.filename().string();
}

} // namespace

std::optional<std::string> TerminalDeviceProblem(const std::string& path) {
    if (path.empty())
        return std::string("No device path was given.");
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return path + " cannot be used: " + std::strerror(errno) + ".";
    if (!S_ISCHR(info.st_mode))
        return path + " is not a device. A serial port is a terminal device such as /dev/ttyUSB0.";
    // /dev/tty, /dev/console and /dev/ptmx: terminals of the system, never an instrument's line.
    if (major(info.st_rdev) == 5)
        return path + " is the system's own terminal device, not a serial port.";
    const std::string subsystem = sysfsSubsystem(info.st_rdev);
    if (subsystem == "tty")
        return std::nullopt;
    if (!subsystem.empty())
        return path + " is a device of kind \"" + subsystem + "\", not a terminal device.";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return path + " cannot be opened: " + std::strerror(errno) + ".";
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    if (!terminal)
        return path + " is a device, but not a terminal device.";
    return std::nullopt;
}

} // namespace quorvane
