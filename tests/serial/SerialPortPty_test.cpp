// The port operations on a real pseudo-terminal through the termios device: opening with the usual
// settings, bytes both ways, a long burst through ReadPortByte, exclusivity (against our own openers,
// programs that opened the device first and UUCP lock files) and non-blocking reads. Modem lines and
// refused settings need hardware or the fake device and are covered elsewhere.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "PtyPair.h"
#include "SpawnedProgram.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixSerialDevice.h"
#include "serial/SerialPort.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;

class SerialPortPtyTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        bindings.setOverride("COM1", pty.slavePath());
        // A balance: 9600 8N1, no flow control.
        config.DataBitsIndex = 3;
        config.ParityIndex = 0;
    }

    /// Bytes through ReadPortByte until `size` came or five seconds passed.
    std::string readBytes(SerialPort& from, std::size_t size) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + 5s;
        char byte = 0;
        while (got.size() < size && std::chrono::steady_clock::now() < end)
            while (got.size() < size && from.ReadPortByte(byte) == 1)
                got.push_back(byte);
        return got;
    }

    test::PtyPair pty;
    Configuration config;
    test::FakePrompts prompts;
    test::FakeClock clock;
    test::FakeSettingsStore store;
    PortBindings bindings{store};
    test::TempDir lockDir;
    PosixSerialDevice device{lockDir.path().string()};
    SerialPort port{device, config, prompts, clock, bindings, [this](std::chrono::milliseconds wait) {
                        clock.advance(static_cast<std::uint32_t>(wait.count()));
                    }};
};

TEST_F(SerialPortPtyTest, balanceSettingsOpenAndBytesTravelBothWays) {
    ASSERT_TRUE(port.OpenPort());
    EXPECT_TRUE(prompts.Messages.empty());

    const std::string toDevice("P\r\n\0\x11\x13\xFF", 7);
    std::string queue = toDevice;
    port.WritePort(queue);
    EXPECT_EQ(queue, "");
    EXPECT_EQ(pty.receive(toDevice.size()), toDevice);

    const std::string fromDevice("+  12.34 g\r\n\0\x11\x13\xFF", 14);
    ASSERT_EQ(pty.send(fromDevice), fromDevice.size());
    EXPECT_EQ(readBytes(port, fromDevice.size()), fromDevice);
}

TEST_F(SerialPortPtyTest, defaultSevenEvenSettingsOpenOnAPseudoTerminal) {
    config = Configuration{};
    EXPECT_TRUE(port.OpenPort());
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(SerialPortPtyTest, aMegabyteBurstArrivesCompleteAndInOrder) {
    ASSERT_TRUE(port.OpenPort());
    std::string burst(1 << 20, '\0');
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);

    std::string got;
    got.reserve(burst.size());
    std::size_t sent = 0;
    char byte = 0;
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (got.size() < burst.size() && std::chrono::steady_clock::now() < end) {
        if (sent < burst.size())
            sent += pty.send(std::string_view(burst).substr(sent, 16384));
        while (port.ReadPortByte(byte) == 1)
            got.push_back(byte);
    }
    ASSERT_EQ(got.size(), burst.size());
    EXPECT_TRUE(got == burst);
}

TEST_F(SerialPortPtyTest, aPortHeldByAnotherOpenerIsNotAvailable) {
    ASSERT_TRUE(port.OpenPort());
    PosixSerialDevice otherDevice{lockDir.path().string()};
    SerialPort other{otherDevice, config, prompts, clock, bindings};

    EXPECT_FALSE(other.OpenPort());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text,
              "Device COM1 Not Available.\n" + pty.slavePath() + ": busy (in use by another program).");
    EXPECT_EQ(prompts.Messages[0].Title, "Device Error");

    port.ClosePort();
    EXPECT_TRUE(other.OpenPort());
}

enum class Holder { CatOnTheDevice, LiveLock, LiveLockReachedThroughALink, StaleLock };

class SerialPortHolderTest : public SerialPortPtyTest, public testing::WithParamInterface<Holder> {
protected:
    /// The lock other serial programs look for: the device's name under /dev, '/' made '_'.
    std::string lockPath() const { return lockDir.file("LCK..pts_" + pty.slavePath().substr(9)); }
    static std::string lockText(pid_t pid) {
        char text[16];
        std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
        return text;
    }
    void writeLock(pid_t pid) const { std::ofstream(lockPath()) << lockText(pid); }
    std::string lockContents() const {
        std::ifstream in(lockPath());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_P(SerialPortHolderTest, anotherHolderMakesThePortNotAvailableAndSaysWhoUnlessItsLockIsStale) {
    std::optional<test::SpawnedProgram> other;
    std::string program = "sleep";
    switch (GetParam()) {
    case Holder::CatOnTheDevice:
        program = "cat";
        other.emplace(std::vector<std::string>{program}, pty.slavePath());
        break;
    case Holder::LiveLockReachedThroughALink:
        std::filesystem::create_symlink(pty.slavePath(), lockDir.file("usb-Scale_1234-if00"));
        bindings.setOverride("COM1", lockDir.file("usb-Scale_1234-if00"));
        [[fallthrough]];
    case Holder::LiveLock:
        other.emplace(std::vector<std::string>{program, "60"}, "/dev/null");
        writeLock(other->pid());
        break;
    case Holder::StaleLock:
        writeLock(test::SpawnedProgram::endedPid());
        break;
    }

    if (!other) {
        ASSERT_TRUE(port.OpenPort()) << prompts.Messages.at(0).Text;
        EXPECT_EQ(lockContents(), lockText(getpid()));
        port.ClosePort();
        EXPECT_FALSE(std::filesystem::exists(lockPath()));
        return;
    }
    ASSERT_GT(other->pid(), 0);
    EXPECT_FALSE(port.OpenPort());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    const std::string how = GetParam() == Holder::CatOnTheDevice ? "in use by" : "locked by";
    EXPECT_EQ(prompts.Messages[0].Text, "Device COM1 Not Available.\n" + bindings.devicePathFor("COM1") +
                                            ": " + how + " process " + std::to_string(other->pid()) + " (" +
                                            program + ").");
    EXPECT_EQ(prompts.Messages[0].Title, "Device Error");
    // The holder's lock stays as it was; a refused open leaves no lock of its own behind.
    EXPECT_EQ(lockContents(), GetParam() == Holder::CatOnTheDevice ? "" : lockText(other->pid()));
}

std::string holderName(const testing::TestParamInfo<Holder>& info) {
    constexpr const char* kNames[] = {"catOnTheDevice", "liveLock", "liveLockReachedThroughALink",
                                      "staleLock"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryHolder, SerialPortHolderTest,
                         testing::Values(Holder::CatOnTheDevice, Holder::LiveLock,
                                         Holder::LiveLockReachedThroughALink, Holder::StaleLock),
                         holderName);

TEST_F(SerialPortPtyTest, aMissingDeviceIsNotAvailable) {
    bindings.setOverride("COM1", "/dev/quorvane-no-such-tty");
    EXPECT_FALSE(port.OpenPort());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text,
              "Device COM1 Not Available.\n/dev/quorvane-no-such-tty: No such file or directory.");
}

TEST_F(SerialPortPtyTest, readPortByteReturnsZeroAtOnceWhenNothingWaits) {
    ASSERT_TRUE(port.OpenPort());
    char byte = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(port.ReadPortByte(byte), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST_F(SerialPortPtyTest, lineControlOnAPseudoTerminalIsSilentAndLeavesThePortWorking) {
    ASSERT_TRUE(port.OpenPort());
    port.SetBreak();
    port.ClearBreak();
    port.ToggleDtr();
    port.ClearRts();
    port.SetRts();
    port.PurgePort();
    EXPECT_EQ(port.ReadModemStatus(), 0u);
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(clock.Ticks, 155u);

    ASSERT_EQ(pty.send("after"), 5u);
    EXPECT_EQ(readBytes(port, 5), "after");
}

TEST_F(SerialPortPtyTest, reloadClosesTheHandleAndOpensTheSamePortAgain) {
    ASSERT_TRUE(port.OpenPort());
    port.CloseHandleOnly();
    ASSERT_TRUE(port.OpenPort());
    ASSERT_EQ(pty.send("again"), 5u);
    EXPECT_EQ(readBytes(port, 5), "again");
}

} // namespace
} // namespace quorvane
