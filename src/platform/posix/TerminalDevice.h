#pragma once
// Whether a path the user names for a serial port is a terminal device at all.

#include <optional>
#include <string>

namespace quorvane {

/// Why `path` cannot stand for a serial port, as a sentence for the user; nullopt when it names a
/// terminal device (a serial port, a USB or Bluetooth adapter, a pseudo-terminal). A device that the
/// kernel lists in sysfs is judged from there, so a real port is not opened (which would raise its
/// DTR line); others, pseudo-terminals among them, are opened without blocking and asked.
std::optional<std::string> TerminalDeviceProblem(const std::string& path);

} // namespace quorvane
