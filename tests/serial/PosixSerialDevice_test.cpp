// The termios device on a pseudo-terminal, with system calls that are interrupted, stop short or fail on
// request: exclusivity, non-blocking reads, write loops, purge, and the modem-line ioctls. The termios
// settings themselves are covered by TermiosSettings_test.

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include "PtyPair.h"
#include "ScriptedSystemCalls.h"
#include "fakes/TempDir.h"
#include "platform/posix/PosixSerialDevice.h"

namespace quorvane {
namespace {

class PosixSerialDeviceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }

    /// Opens the slave side in raw 8N1.
    void openRaw() {
        ASSERT_TRUE(device.open(pty.slavePath()));
        ASSERT_EQ(device.configure(LineSettings{}), ConfigureResult::Ok);
    }

    std::string readAll(std::size_t size) {
        std::string got;
        char buffer[64];
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < size && std::chrono::steady_clock::now() < end)
            got.append(buffer, device.read(buffer));
        return got;
    }

    test::PtyPair pty;
    test::ScriptedSystemCalls calls;
    test::TempDir lockDir;
    PosixSerialDevice device{calls, lockDir.path().string()};
};

TEST_F(PosixSerialDeviceTest, secondOpenOfAnOpenDeviceFailsUntilTheFirstCloses) {
    ASSERT_TRUE(device.open(pty.slavePath()));
    PosixSerialDevice other{lockDir.path().string()};
    EXPECT_FALSE(other.open(pty.slavePath()));
    device.close();
    EXPECT_TRUE(other.open(pty.slavePath()));
}

TEST_F(PosixSerialDeviceTest, withoutALockFolderTheDeviceStillOpensExclusively) {
    PosixSerialDevice unlocked{lockDir.file("none")};
    ASSERT_TRUE(unlocked.open(pty.slavePath()));
    EXPECT_FALSE(device.open(pty.slavePath()));
    EXPECT_TRUE(std::filesystem::is_empty(lockDir.path()));
}

TEST_F(PosixSerialDeviceTest, openRetriesAnInterruptedOpen) {
    calls.OpenErrors = {EINTR};
    EXPECT_TRUE(device.open(pty.slavePath()));
}

TEST_F(PosixSerialDeviceTest, refusedLockClosesTheDescriptorAndFailsTheOpen) {
    calls.FlockErrors = {EWOULDBLOCK};
    EXPECT_FALSE(device.open(pty.slavePath()));
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(calls.Closes, 1);
}

TEST_F(PosixSerialDeviceTest, readRetriesAnInterruptedRead) {
    openRaw();
    calls.BeforeRead = test::ScriptedSystemCalls::waitForInput;
    calls.ReadErrors = {EINTR};
    ASSERT_EQ(pty.send("hi"), 2u);
    char buffer[16];
    ASSERT_EQ(device.read(buffer), 2u);
    EXPECT_EQ(std::string_view(buffer, 2), "hi");
    EXPECT_EQ(calls.Reads, 2);
}

TEST_F(PosixSerialDeviceTest, readOfAFailingDeviceReturnsZero) {
    ASSERT_TRUE(device.open(pty.slavePath()));
    calls.ReadErrors = {EIO};
    char buffer[16];
    EXPECT_EQ(device.read(buffer), 0u);
}

TEST_F(PosixSerialDeviceTest, writeCarriesOnAfterAShortWriteAndAnInterruption) {
    openRaw();
    calls.WriteLimits = {3};
    calls.WriteErrors = {0, EINTR};
    EXPECT_EQ(device.write("abcdefgh"), 8u);
    EXPECT_EQ(pty.receive(8), "abcdefgh");
    EXPECT_EQ(calls.Writes, 3);
}

TEST_F(PosixSerialDeviceTest, writeReturnsWhatWasTakenWhenTheDeviceStopsTakingBytes) {
    openRaw();
    calls.WriteLimits = {2};
    calls.WriteErrors = {0, EAGAIN};
    EXPECT_EQ(device.write("abcdefgh"), 2u);
    EXPECT_EQ(pty.receive(2), "ab");
}

TEST_F(PosixSerialDeviceTest, writeOfAFailingDeviceReturnsZero) {
    ASSERT_TRUE(device.open(pty.slavePath()));
    calls.WriteErrors = {EIO};
    EXPECT_EQ(device.write("abc"), 0u);
}

TEST_F(PosixSerialDeviceTest, purgeDiscardsInputThatArrivedBeforeIt) {
    openRaw();
    ASSERT_EQ(pty.send("stale"), 5u);
    test::ScriptedSystemCalls::waitForInput(calls.LastFd);
    EXPECT_TRUE(device.purge());
    char buffer[16];
    EXPECT_EQ(device.read(buffer), 0u);
    ASSERT_EQ(pty.send("new"), 3u);
    EXPECT_EQ(readAll(3), "new");
}

TEST_F(PosixSerialDeviceTest, modemLinesAreRaisedAndLoweredOneBitAtATime) {
    ASSERT_TRUE(device.open(pty.slavePath()));
    std::vector<std::pair<unsigned long, int>> seen;
    calls.BeforeIoctl = [&](unsigned long request, void* argument) {
        if (request == TIOCMBIS || request == TIOCMBIC)
            seen.emplace_back(request, *static_cast<int*>(argument));
    };
    device.setDtr(true);
    device.setDtr(false);
    device.setRts(true);
    device.setRts(false);
    using Seen = std::vector<std::pair<unsigned long, int>>;
    EXPECT_EQ(
        seen,
        (Seen{{TIOCMBIS, TIOCM_DTR}, {TIOCMBIC, TIOCM_DTR}, {TIOCMBIS, TIOCM_RTS}, {TIOCMBIC, TIOCM_RTS}}));
}

TEST_F(PosixSerialDeviceTest, modemStatusMapsTheInputLinesToTheirBits) {
    ASSERT_TRUE(device.open(pty.slavePath()));
    int lines = 0;
    calls.IoctlResults[TIOCMGET] = [&](void* argument) {
        *static_cast<int*>(argument) = lines;
        return 0;
    };
    lines = TIOCM_CTS;
    EXPECT_EQ(device.modemStatus(), kModemCts);
    lines = TIOCM_DSR | TIOCM_RNG;
    EXPECT_EQ(device.modemStatus(), kModemDsr | kModemRing);
    lines = TIOCM_CAR | TIOCM_DTR | TIOCM_RTS;
    EXPECT_EQ(device.modemStatus(), kModemCarrier);
}

} // namespace
} // namespace quorvane
