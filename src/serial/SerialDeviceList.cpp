#include "serial/SerialDeviceList.h"

#include <algorithm>
#include <fstream>
#include <map>

namespace quorvane {

namespace fs = std::filesystem;

namespace {

// A sysfs attribute's first line; empty when it cannot be read.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// The USB device a tty hangs off is the nearest folder above it with an idVendor (an interface
// folder sits between them for ttyUSB and ttyACM); the search stops at the sysfs root.
void readUsbAttributes(const fs::path& sysRoot, const fs::path& tty, SerialDeviceInfo& info) {
    std::error_code error;
    fs::path folder = fs::canonical(tty / "device", error);
    if (error)
        return;
    const fs::path top = fs::weakly_canonical(sysRoot, error);
    for (int depth = 0; depth < 8 && !folder.empty() && folder != top && folder != folder.root_path();
         ++depth, folder = folder.parent_path()) {
        if (!fs::exists(folder / "idVendor", error))
            continue;
        info.VendorId = attribute(folder / "idVendor");
        info.ProductId = attribute(folder / "idProduct");
        info.Manufacturer = attribute(folder / "manufacturer");
        info.Product = attribute(folder / "product");
        info.SerialNumber = attribute(folder / "serial");
        return;
    }
}

// The 8250 driver registers ports that may have no UART behind them; sysfs says so with type 0.
bool isPlaceholderPort(const fs::path& tty) {
    std::error_code error;
    return fs::exists(tty / "type", error) && attribute(tty / "type") == "0";
}

} // namespace

std::vector<SerialDeviceInfo> ListSerialDevices(const fs::path& root) {
    std::map<std::string, SerialDeviceInfo> found;
    const fs::path sysTty = root / "sys/class/tty";
    const fs::path dev = root / "dev";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sysTty, error)) {
        const fs::path tty = entry.path();
        std::error_code ignored;
        if (!fs::exists(tty / "device", ignored) || isPlaceholderPort(tty))
            continue;
        SerialDeviceInfo info;
        info.Name = tty.filename().string();
        info.DevicePath = (dev / info.Name).string();
        readUsbAttributes(root / "sys", tty, info);
        found[info.Name] = std::move(info);
    }
    for (const auto& entry : fs::directory_iterator(dev / "serial/by-id", error)) {
        std::error_code ignored;
        const fs::path link = entry.path();
        const fs::path target = fs::canonical(link, ignored);
        if (ignored)
            continue;
        // Links of a real system point into the same /dev (../../ttyUSB0); the name is the target's.
        const std::string name = target.filename().string();
        SerialDeviceInfo& info = found[name];
        if (info.Name.empty()) {
            info.Name = name;
            info.DevicePath = target.string();
        }
        info.ByIdPath = link.string();
    }
    std::vector<SerialDeviceInfo> devices;
    for (auto& [name, info] : found)
        devices.push_back(std::move(info));
    return devices;
}

bool DevicePresent(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::exists(path, error);
}

} // namespace quorvane
