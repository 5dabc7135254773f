#pragma once
// The serial devices present now, read from sysfs and /dev/serial/by-id under a root folder ("/" on a
// running system, a temporary tree in tests): no udev or Qt needed.

#include <filesystem>
#include <string>
#include <vector>

namespace quorvane {

/// One serial device present now. Paths are under the root folder it was listed from.
struct SerialDeviceInfo {
    std::string Name;         ///< kernel name: ttyUSB0
    std::string DevicePath;   ///< <root>/dev/ttyUSB0
    std::string ByIdPath;     ///< <root>/dev/serial/by-id/usb-...; empty when the device has none
    std::string VendorId;     ///< USB idVendor, four hex digits; empty for a device not on USB
    std::string ProductId;    ///< USB idProduct
    std::string Manufacturer; ///< USB manufacturer string
    std::string Product;      ///< USB product string
    std::string SerialNumber; ///< USB serial number string

    /// The path a port name is best bound to: the by-id path, which survives replugging, else the device.
    const std::string& stablePath() const { return ByIdPath.empty() ? DevicePath : ByIdPath; }
    bool operator==(const SerialDeviceInfo&) const = default;
};

/// The serial devices under `root`, sorted by name: every tty of <root>/sys/class/tty that belongs to a
/// device (placeholder 8250 ports with UART type 0 left out), and every link of
/// <root>/dev/serial/by-id whose target exists, with the USB attributes of the nearest USB device above
/// the tty in sysfs.
std::vector<SerialDeviceInfo> ListSerialDevices(const std::filesystem::path& root = "/");

/// True when `path` names something that exists now (a link is followed).
bool DevicePresent(const std::string& path);

} // namespace quorvane
