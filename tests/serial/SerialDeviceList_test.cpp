// The serial devices listed from a sysfs and /dev tree built in a temporary folder: USB adapters with
// their attributes and stable by-id links, a built-in port, and what is left out (placeholder 8250
// ports, ttys of no device, by-id links whose device is gone). Real udev trees are not covered.

#include <gtest/gtest.h>

#include <fstream>

#include "fakes/TempDir.h"
#include "serial/SerialDeviceList.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

struct FakeSysfs {
    explicit FakeSysfs(const fs::path& root) : Root(root) {}

    void write(const fs::path& file, const std::string& text) const {
        fs::create_directories((Root / file).parent_path());
        std::ofstream(Root / file) << text << "\n";
    }
    // A tty of class tty whose device folder is `device` (under sys/devices), with its node in /dev.
    void tty(const std::string& name, const fs::path& device) const {
        fs::create_directories(Root / "sys/devices" / device);
        fs::create_directories(Root / "sys/class/tty" / name);
        fs::create_directory_symlink(Root / "sys/devices" / device, Root / "sys/class/tty" / name / "device");
        write("dev/" + name, "");
    }
    void usb(const fs::path& device, const std::string& vendor, const std::string& product,
             const std::string& manufacturer, const std::string& productName,
             const std::string& serial) const {
        const fs::path folder = fs::path("sys/devices") / device;
        write(folder / "idVendor", vendor);
        write(folder / "idProduct", product);
        write(folder / "manufacturer", manufacturer);
        write(folder / "product", productName);
        write(folder / "serial", serial);
    }
    void byId(const std::string& link, const std::string& target) const {
        fs::create_directories(Root / "dev/serial/by-id");
        fs::create_symlink(target, Root / "dev/serial/by-id" / link);
    }

    fs::path Root;
};

TEST(SerialDeviceList, ListsPortsOfDevicesWithTheirUsbAttributesAndStablePaths) {
    test::TempDir dir;
    const fs::path root = fs::canonical(dir.path());
    const FakeSysfs sys(root);
    sys.usb("pci0/usb1/1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A12345");
    sys.tty("ttyUSB0", "pci0/usb1/1-2/1-2:1.0/ttyUSB0");
    sys.usb("pci0/usb1/1-3", "2341", "0043", "Arduino", "Uno", "7563");
    sys.tty("ttyACM0", "pci0/usb1/1-3/1-3:1.0");
    sys.tty("ttyS0", "platform/serial8250");
    sys.write("sys/class/tty/ttyS0/type", "4");
    sys.tty("ttyS1", "platform/serial8250");
    sys.write("sys/class/tty/ttyS1/type", "0");
    fs::create_directories(root / "sys/class/tty/tty0");
    sys.byId("usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "../../ttyUSB0");
    sys.byId("usb-Gone_Adapter-if00", "../../ttyUSB7");

    const std::string dev = (root / "dev").string();
    const std::vector<SerialDeviceInfo> expected = {
        {"ttyACM0", dev + "/ttyACM0", "", "2341", "0043", "Arduino", "Uno", "7563"},
        {"ttyS0", dev + "/ttyS0", "", "", "", "", "", ""},
        {"ttyUSB0", dev + "/ttyUSB0", dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0",
         "0403", "6001", "FTDI", "FT232R USB UART", "A12345"},
    };
    const std::vector<SerialDeviceInfo> listed = ListSerialDevices(root);
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(listed[i], expected[i]) << expected[i].Name << ": listed " << listed[i].Name << " "
                                          << listed[i].ByIdPath << " " << listed[i].VendorId;
    EXPECT_EQ(listed[2].stablePath(), expected[2].ByIdPath);
    EXPECT_EQ(listed[1].stablePath(), expected[1].DevicePath);

    EXPECT_TRUE(DevicePresent(expected[2].ByIdPath));
    EXPECT_FALSE(DevicePresent(dev + "/serial/by-id/usb-Gone_Adapter-if00"));
    EXPECT_FALSE(DevicePresent(""));
    EXPECT_TRUE(ListSerialDevices(root / "nothing-here").empty());
}

} // namespace
} // namespace quorvane
