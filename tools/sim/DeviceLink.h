#pragma once
// A symbolic link that names the simulated device at a fixed path for the capture program.

#include <optional>
#include <string>

namespace quorvane::sim {

/// A symbolic link made on creation and removed on destruction if it still points where we set it.
class DeviceLink {
public:
    /// Makes linkPath point to target, replacing an earlier symbolic link; refuses to replace
    /// anything else. Returns the reason on failure.
    std::optional<std::string> create(const std::string& linkPath, const std::string& target);
    /// Removes the link now, when it is still ours.
    void remove();

    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;
    ~DeviceLink() { remove(); }

private:
    std::string m_linkPath;
    std::string m_target;
};

} // namespace quorvane::sim
