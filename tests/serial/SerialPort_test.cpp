// The port operations through the fake device: opening with its failures and messages, buffered reads,
// partial writes, line control, the DTR pulse on a fake clock, and Virtual Instrument Mode. Real
// terminals are covered by SerialPortPty_test.

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/FakeClock.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSerialDevice.h"
#include "fakes/FakeSettingsStore.h"
#include "serial/SerialPort.h"

namespace quorvane {
namespace {

using Calls = std::vector<std::string>;

class SerialPortTest : public testing::Test {
protected:
    /// Calls made since the last open.
    Calls callsAfterOpen() const {
        auto it = std::find_if(device.Calls.rbegin(), device.Calls.rend(),
                               [](const std::string& c) { return c.starts_with("open "); });
        return Calls(it.base(), device.Calls.end());
    }

    test::FakeSerialDevice device;
    Configuration config;
    test::FakePrompts prompts;
    test::FakeClock clock;
    test::FakeSettingsStore store;
    PortBindings bindings{store};
    /// Advances the fake clock by at most PauseStep per wait and notes each wait among the device calls.
    std::uint32_t PauseStep = 1000;
    SerialPort port{device, config, prompts, clock, bindings, [this](std::chrono::milliseconds wait) {
                        const auto step = std::min(static_cast<std::uint32_t>(wait.count()), PauseStep);
                        device.Calls.push_back("wait " + std::to_string(wait.count()));
                        clock.advance(step);
                    }};
};

// Opening

TEST_F(SerialPortTest, openAppliesTheConfiguredLineSettingsToTheBoundDevice) {
    store.Entries[{"Quorvane", "Ports", "COM1"}] = "/dev/ttyUSB0";
    config.BaudIndex = 11;
    config.DataBitsIndex = 3;
    config.ParityIndex = 0;

    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(device.OpenedPath, "/dev/ttyUSB0");
    ASSERT_TRUE(device.Applied);
    EXPECT_EQ(device.Applied->BaudRate, 115200);
    EXPECT_EQ(device.Applied->ByteSize, 8);
    EXPECT_EQ(device.Applied->Parity, SerialParity::None);
    EXPECT_EQ(port.PortName(), "COM1");
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_TRUE(port.isOpen());
}

TEST_F(SerialPortTest, com9AndCom10OpenTheirDevicesUnderThePlainName) {
    config.PortIndex = 8;
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(device.OpenedPath, "/dev/ttyS8");
    EXPECT_EQ(port.PortName(), "COM9");

    config.PortIndex = 9;
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(device.OpenedPath, "/dev/ttyS9");
    EXPECT_EQ(port.PortName(), "COM10");
}

TEST_F(SerialPortTest, unavailableDeviceShowsADeviceErrorWarningAndOpensNothing) {
    config.PortIndex = 9;
    device.FailOpen = true;

    EXPECT_FALSE(port.OpenPort());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "Device COM10 Not Available.");
    EXPECT_EQ(prompts.Messages[0].Title, "Device Error");
    EXPECT_EQ(prompts.Messages[0].Icon, MessageIcon::Exclamation);
    EXPECT_EQ(prompts.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(callsAfterOpen(), Calls{});
    EXPECT_FALSE(port.isOpen());
}

struct ConfigureFailure {
    ConfigureResult Result;
    const char* Message;
};

void PrintTo(const ConfigureFailure& c, std::ostream* os) {
    *os << c.Message;
}

class SerialPortConfigureFailure : public SerialPortTest,
                                   public testing::WithParamInterface<ConfigureFailure> {};

TEST_P(SerialPortConfigureFailure, showsItsMessageUnderTheProgramTitleAndClosesWithoutTouchingLines) {
    device.ConfigureAnswer = GetParam().Result;

    EXPECT_FALSE(port.OpenPort());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, GetParam().Message);
    EXPECT_EQ(prompts.Messages[0].Title, "Quorvane");
    EXPECT_EQ(prompts.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(prompts.Messages[0].Icon, MessageIcon::None);
    EXPECT_EQ(callsAfterOpen(), (Calls{"configure", "close"}));
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SerialPortConfigureFailure,
    testing::Values(ConfigureFailure{ConfigureResult::TimeoutsRefused, "SetComTimeouts failed"},
                    ConfigureFailure{ConfigureResult::SettingsUnreadable, "GetComState failed"},
                    ConfigureFailure{ConfigureResult::SettingsRefused, "SetComState failed"}));

TEST_F(SerialPortTest, optoRsLeavesDtrHighAndRtsLowAfterOpening) {
    config.FlowControl = 3;
    ASSERT_TRUE(port.OpenPort());
    EXPECT_TRUE(device.Dtr);
    EXPECT_FALSE(device.Rts);
}

TEST_F(SerialPortTest, openingAgainClosesTheDeviceAlreadyOpen) {
    ASSERT_TRUE(port.OpenPort());
    config.PortIndex = 1;
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(device.OpenedPath, "/dev/ttyS1");
    EXPECT_EQ(device.callsOf("close"), Calls{"close"});
}

// Reading

TEST_F(SerialPortTest, readPortByteHandsOutEveryByteOfOneDeviceReadInOrder) {
    ASSERT_TRUE(port.OpenPort());
    device.Incoming = std::string("A\0\xFF\r", 4);

    std::string got;
    char byte = 'x';
    while (port.ReadPortByte(byte) == 1)
        got.push_back(byte);
    EXPECT_EQ(got, std::string("A\0\xFF\r", 4));
    EXPECT_EQ(device.callsOf("read"), (Calls{"read 4096", "read 4096"}));
}

TEST_F(SerialPortTest, readPortByteReturnsZeroWhenClosedOrNothingWaits) {
    char byte = 'x';
    EXPECT_EQ(port.ReadPortByte(byte), 0);
    EXPECT_TRUE(device.callsOf("read").empty());
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(port.ReadPortByte(byte), 0);
    EXPECT_EQ(byte, 'x');
}

TEST_F(SerialPortTest, purgeDiscardsBytesAlreadyReadAhead) {
    ASSERT_TRUE(port.OpenPort());
    device.Incoming = "ABCDEF";
    device.MaxReadChunk = 4;
    char byte = 0;
    ASSERT_EQ(port.ReadPortByte(byte), 1);

    port.PurgePort();
    EXPECT_EQ(port.ReadPortByte(byte), 0);
    device.Incoming = "X";
    ASSERT_EQ(port.ReadPortByte(byte), 1);
    EXPECT_EQ(byte, 'X');
}

TEST_F(SerialPortTest, aReopenedPortDeliversNothingReadAheadFromBefore) {
    ASSERT_TRUE(port.OpenPort());
    device.Incoming = "OLD";
    char byte = 0;
    ASSERT_EQ(port.ReadPortByte(byte), 1);

    port.CloseHandleOnly();
    ASSERT_TRUE(port.OpenPort());
    device.Incoming = "N";
    ASSERT_EQ(port.ReadPortByte(byte), 1);
    EXPECT_EQ(byte, 'N');
    EXPECT_EQ(port.ReadPortByte(byte), 0);
}

// Writing

TEST_F(SerialPortTest, writePortEmptiesTheQueueWhenTheDeviceTakesItAll) {
    ASSERT_TRUE(port.OpenPort());
    std::string queue("AB\0C", 4);
    port.WritePort(queue);
    EXPECT_EQ(queue, "");
    EXPECT_EQ(device.Written, std::string("AB\0C", 4));
}

TEST_F(SerialPortTest, partialWritesKeepTheTailAheadOfLaterOutput) {
    ASSERT_TRUE(port.OpenPort());
    device.WriteAccepts = {2, 0, 100};
    std::string queue = "ABCDE";

    port.WritePort(queue);
    EXPECT_EQ(queue, "CDE");
    port.WritePort(queue);
    EXPECT_EQ(queue, "CDE");
    queue += "FG";
    port.WritePort(queue);
    EXPECT_EQ(queue, "");
    EXPECT_EQ(device.Written, "ABCDEFG");
}

TEST_F(SerialPortTest, writePortLeavesTheQueueAloneWhenEmptyOrClosed) {
    std::string queue = "KEEP";
    port.WritePort(queue);
    EXPECT_EQ(queue, "KEEP");
    ASSERT_TRUE(port.OpenPort());
    std::string empty;
    port.WritePort(empty);
    EXPECT_TRUE(device.callsOf("write").empty());
}

// Line control

TEST_F(SerialPortTest, closePortLowersDtrThenRtsThenCloses) {
    ASSERT_TRUE(port.OpenPort());
    port.ClosePort();
    EXPECT_EQ(callsAfterOpen(), (Calls{"configure", "dtr off", "rts off", "close"}));
    EXPECT_FALSE(port.isOpen());
    port.ClosePort();
    EXPECT_EQ(device.callsOf("close").size(), 1u);
}

TEST_F(SerialPortTest, closeHandleOnlyLeavesDtrAndRtsAsTheyWere) {
    ASSERT_TRUE(port.OpenPort());
    port.CloseHandleOnly();
    EXPECT_EQ(callsAfterOpen(), (Calls{"configure", "close"}));
    EXPECT_TRUE(device.Dtr);
    EXPECT_TRUE(device.Rts);
}

TEST_F(SerialPortTest, lineControlReachesTheDeviceAndItsFailuresAreSilent) {
    ASSERT_TRUE(port.OpenPort());
    device.FailLineControl = true;
    port.SetBreak();
    port.ClearBreak();
    port.ClearDtr();
    port.SetDtr();
    port.ClearRts();
    port.SetRts();
    port.PurgePort();
    EXPECT_EQ(callsAfterOpen(), (Calls{"configure", "break on", "break off", "dtr off", "dtr on", "rts off",
                                       "rts on", "purge"}));
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(SerialPortTest, lineControlOnAClosedPortDoesNothing) {
    port.SetBreak();
    port.ToggleDtr();
    port.PurgePort();
    EXPECT_EQ(port.ReadModemStatus(), 0u);
    EXPECT_TRUE(device.Calls.empty());
}

TEST_F(SerialPortTest, toggleDtrHoldsDtrLowFor155Milliseconds) {
    ASSERT_TRUE(port.OpenPort());
    port.ToggleDtr();
    EXPECT_EQ(callsAfterOpen(), (Calls{"configure", "dtr off", "wait 155", "dtr on"}));
    EXPECT_EQ(clock.Ticks, 155u);
    EXPECT_TRUE(device.Dtr);
}

TEST_F(SerialPortTest, toggleDtrKeepsWaitingUntilTheClockShows155AcrossTheTickWrap) {
    ASSERT_TRUE(port.OpenPort());
    clock.Ticks = 0xFFFFFFF0u;
    PauseStep = 60;
    port.ToggleDtr();
    EXPECT_EQ(callsAfterOpen(), (Calls{"configure", "dtr off", "wait 155", "wait 95", "wait 35", "dtr on"}));
    EXPECT_EQ(clock.Ticks - 0xFFFFFFF0u, 155u);
}

TEST_F(SerialPortTest, readModemStatusReturnsTheDeviceBits) {
    ASSERT_TRUE(port.OpenPort());
    device.ModemStatus = kModemCts | kModemCarrier;
    EXPECT_EQ(port.ReadModemStatus(), 0x90u);
}

// Virtual Instrument Mode

TEST_F(SerialPortTest, virtualModeShowsWrittenNulAsCode255AndEmptiesTheQueue) {
    std::string shown;
    port.startVirtualMode([&](std::string_view text) { shown += text; });
    std::string queue("AB\0", 3);
    port.WritePort(queue);
    EXPECT_EQ(shown, "AB\xFF");
    EXPECT_EQ(queue, "");
    EXPECT_TRUE(device.Calls.empty());
}

TEST_F(SerialPortTest, virtualModeSetsThePortNameAndIgnoresLineControl) {
    ASSERT_TRUE(port.OpenPort());
    config.PortIndex = 4;
    port.startVirtualMode([](std::string_view) {});
    EXPECT_EQ(port.PortName(), "COM5");
    EXPECT_FALSE(port.isOpen());

    const auto before = device.Calls.size();
    port.ToggleDtr();
    port.SetBreak();
    port.SetDtr();
    port.ClearRts();
    port.PurgePort();
    EXPECT_EQ(device.Calls.size(), before);
    EXPECT_EQ(clock.Ticks, 0u);
}

TEST_F(SerialPortTest, openingEndsVirtualMode) {
    std::string shown;
    port.startVirtualMode([&](std::string_view text) { shown += text; });
    ASSERT_TRUE(port.OpenPort());
    EXPECT_FALSE(port.isVirtual());
    std::string queue = "Q";
    port.WritePort(queue);
    EXPECT_EQ(device.Written, "Q");
    EXPECT_EQ(shown, "");
}

// Device loss

TEST_F(SerialPortTest, aDeviceThatWentAwayIsReportedOnceAndReopenedTwiceASecondAtMostWithItsLineLevels) {
    using Change = SerialPort::DeviceChange;
    ASSERT_TRUE(port.OpenPort());
    port.ClearDtr();
    device.Gone = true;
    EXPECT_EQ(port.watchDevice(), Change::Lost);
    EXPECT_FALSE(device.IsOpen);
    EXPECT_TRUE(port.waitingForDevice());

    device.FailOpen = true;
    std::vector<Change> seen;
    for (int tick = 0; tick < 20; ++tick, clock.advance(50))
        seen.push_back(port.watchDevice());
    EXPECT_EQ(std::ranges::count(seen, Change::Lost), 0);
    EXPECT_EQ(device.callsOf("open").size(), 1u + 2u); // the first open, then one try per 500 ms

    device.FailOpen = false;
    clock.advance(SerialPort::kReopenIntervalMs);
    device.Calls.clear();
    EXPECT_EQ(port.watchDevice(), Change::Back);
    EXPECT_EQ(device.Calls, (Calls{"open /dev/ttyS0", "configure", "dtr off", "rts on"}));
    EXPECT_FALSE(port.waitingForDevice());
    EXPECT_EQ(port.watchDevice(), Change::None);
}

} // namespace
} // namespace quorvane
