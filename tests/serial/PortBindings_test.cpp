// Port names to device paths: the default ttyS mapping, stored bindings and the one-run override.

#include <gtest/gtest.h>

#include "fakes/FakeSettingsStore.h"
#include "serial/PortBindings.h"

namespace quorvane {
namespace {

class PortBindingsTest : public testing::Test {
protected:
    test::FakeSettingsStore store;
    PortBindings bindings{store};
};

TEST_F(PortBindingsTest, unboundComNIsTtySOfNMinusOne) {
    EXPECT_EQ(bindings.devicePathFor("COM1"), "/dev/ttyS0");
    EXPECT_EQ(bindings.devicePathFor("COM10"), "/dev/ttyS9");
    EXPECT_EQ(bindings.devicePathFor("COM255"), "/dev/ttyS254");
}

TEST_F(PortBindingsTest, storedBindingIsUsedForItsPortOnly) {
    store.Entries[{"Quorvane", "Ports", "COM3"}] = "/dev/ttyUSB0";
    EXPECT_EQ(bindings.devicePathFor("COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(bindings.devicePathFor("COM4"), "/dev/ttyS3");
}

TEST_F(PortBindingsTest, bindStoresUnderQuorvanePortsAndAnEmptyPathUnbinds) {
    bindings.bind("COM2", "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ((store.Entries[{"Quorvane", "Ports", "COM2"}]), "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ(bindings.devicePathFor("COM2"), "/dev/serial/by-id/usb-FTDI-if00");
    bindings.bind("COM2", "");
    EXPECT_EQ(bindings.devicePathFor("COM2"), "/dev/ttyS1");
}

TEST_F(PortBindingsTest, overrideWinsOverTheStoreForItsPortAndIsNotStored) {
    store.Entries[{"Quorvane", "Ports", "COM1"}] = "/dev/ttyUSB0";
    bindings.setOverride("COM1", "/dev/pts/7");
    EXPECT_EQ(bindings.devicePathFor("COM1"), "/dev/pts/7");
    EXPECT_EQ(bindings.devicePathFor("COM2"), "/dev/ttyS1");
    EXPECT_EQ(store.Writes, 0);
}

// The line a run says about its device names the path and where it came from.
TEST_F(PortBindingsTest, describesTheOpenedDeviceWithWhereItsPathCameFrom) {
    store.Entries[{"Quorvane", "Ports", "COM2"}] = "/dev/ttyUSB0";
    bindings.setOverride("COM1", "/dev/pts/7");
    EXPECT_EQ(bindings.describeOpened("COM1"), "COM1 is open on /dev/pts/7 (from --device).");
    EXPECT_EQ(bindings.describeOpened("COM2"),
              "COM2 is open on /dev/ttyUSB0 (from its binding in the settings store, [Ports] COM2).");
    EXPECT_EQ(bindings.describeOpened("COM3"),
              "COM3 is open on /dev/ttyS2 (the default: the settings store binds no device to COM3).");
}

TEST_F(PortBindingsTest, namesThatAreNotComNumbersHaveNoDevice) {
    for (const char* name : {"COM", "COM0", "COM-1", "COM+1", "COMx", "COM1x", "LPT1", "com1", ""})
        EXPECT_EQ(PortBindings::defaultDevicePath(name), "") << name;
}

} // namespace
} // namespace quorvane
