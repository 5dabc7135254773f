// The quorvane program losing its device and getting it back: a pseudo-terminal whose device side
// hangs up mid-record, then a new one behind the same /dev/serial/by-id-like link. Also the messages
// of a device or configuration that cannot be used at all. Real unplugging of USB is not covered.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "integration/HeadlessProcess.h"
#include "serial/PtyPair.h"
#include "serial/SpawnedProgram.h"

namespace quorvane {
namespace {

using test::HeadlessProcess;
using test::sendAll;
using test::waitForFileSize;
using test::writeCaptureConfiguration;

std::string records(const std::string& tag, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += tag + std::to_string(i) + ",x,end\r\n";
    return text;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Nanoseconds the process has run on a CPU, the first field of /proc/PID/schedstat.
std::uint64_t cpuNanoseconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    std::uint64_t ns = 0;
    in >> ns;
    return ns;
}

TEST(DeviceLoss, hangUpMidRecordIsWaitedOutAndTheDeviceBehindTheSameLinkIsReopened) {
    test::TempDir dir;
    auto first = std::make_unique<test::PtyPair>();
    ASSERT_TRUE(first->ok());
    const std::string link = dir.file("by-id/usb-Scale_1234-if00-port0");
    std::filesystem::create_directories(dir.file("by-id"));
    std::filesystem::create_symlink(first->slavePath(), link);
    HeadlessProcess quorvane(dir, {"--headless", writeCaptureConfiguration(dir), "--device", link});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();

    const std::string before = records("before", 50);
    ASSERT_TRUE(sendAll(*first, before + "cut,off"));
    const std::string log = dir.file("capture.log");
    ASSERT_TRUE(waitForFileSize(log, before.size()));
    // Unplugging removes the by-id link before the device is gone for good. Removing it first also
    // keeps a pseudo-terminal number that another test reuses from looking like this device.
    std::filesystem::remove(link);
    first.reset(); // the device side hangs up: the program's reads now fail with EIO
    ASSERT_TRUE(quorvane.waitForMessage("Device COM1 Disconnected.\n" + link)) << quorvane.standardError();
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1 (Disconnected)")) << quorvane.standardError();

    // Waiting must not spin: the CPU share over two seconds while the device is away.
    const std::uint64_t start = cpuNanoseconds(quorvane.pid());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double share = static_cast<double>(cpuNanoseconds(quorvane.pid()) - start) / 2e9;
    std::printf("CPU while disconnected: %.2f%%\n", share * 100);
    EXPECT_LT(share, 0.05);

    test::PtyPair second;
    ASSERT_TRUE(second.ok());
    std::filesystem::create_symlink(second.slavePath(), link);
    ASSERT_TRUE(quorvane.waitForMessage("Device COM1 Reconnected.")) << quorvane.standardError();
    const std::string after = records("after", 100);
    ASSERT_TRUE(sendAll(second, after));
    ASSERT_TRUE(waitForFileSize(log, before.size() + after.size()));

    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_EQ(ReadWholeFile(log).value_or(""), before + after); // the cut-off record is discarded
    const std::string said = quorvane.standardError();
    EXPECT_EQ(occurrences(said, "Disconnected."), 1u) << said;
    EXPECT_EQ(occurrences(said, "Reconnected."), 1u) << said;
    // The port's notifier follows the descriptor the loss closed: the event loop never polls it.
    EXPECT_EQ(occurrences(said, "QSocketNotifier"), 0u) << said;
}

enum class Waited { Absent, Busy };

class WaitForDevice : public testing::TestWithParam<Waited> {};

// What keeps the device away is said, and said again when it changes; capture starts once it can.
TEST_P(WaitForDevice, SaysWhyItWaitsAndCapturesOnceTheDeviceCanBeOpened) {
    test::TempDir dir;
    const std::string link = dir.file("usb-Scale_1234-if00");
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    std::optional<test::SpawnedProgram> holder;
    if (GetParam() == Waited::Busy) {
        holder.emplace(std::vector<std::string>{"sleep", "60"}, pty.slavePath());
        std::filesystem::create_symlink(pty.slavePath(), link);
    }
    HeadlessProcess quorvane(
        dir, {"--headless", writeCaptureConfiguration(dir), "--device", link, "--wait-for-device"});
    const std::string away = "Device Error: Device COM1 Not Available.\n" + link + ": ";
    if (GetParam() == Waited::Absent) {
        ASSERT_TRUE(quorvane.waitForMessage(away + "not there yet; waiting for it.\n"))
            << quorvane.standardError();
        std::filesystem::create_symlink(pty.slavePath(), link);
    } else {
        ASSERT_TRUE(quorvane.waitForMessage(away + "busy (in use by process " +
                                            std::to_string(holder->pid()) + " (sleep)); waiting for it.\n"))
            << quorvane.standardError();
        holder.reset();
    }
    ASSERT_TRUE(quorvane.waitForMessage("Device COM1 Connected.\n" + link + " is open; capture begins."))
        << quorvane.standardError();
    ASSERT_TRUE(quorvane.waitForMessage("COM1 is open on " + link + " (from --device).\n"))
        << quorvane.standardError();
    const std::string sent = records("r", 20);
    ASSERT_TRUE(sendAll(pty, sent));
    ASSERT_TRUE(waitForFileSize(dir.file("capture.log"), sent.size()));
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_EQ(ReadWholeFile(dir.file("capture.log")).value_or(""), sent);
    const std::string said = quorvane.standardError();
    EXPECT_EQ(occurrences(said, "Not Available."), 1u) << said;
    EXPECT_EQ(occurrences(said, "is open on"), 1u) << said;
    EXPECT_EQ(occurrences(said, "Disconnected."), 0u) << said;
}

INSTANTIATE_TEST_SUITE_P(Reasons, WaitForDevice, testing::Values(Waited::Absent, Waited::Busy),
                         [](const auto& row) { return row.param == Waited::Absent ? "absent" : "busy"; });

// What waiting cannot mend ends the run at once.
TEST(WaitForDevice, GivesUpOnADirectoryOrAFileThatIsNoTerminal) {
    test::TempDir dir;
    WriteWholeFile(dir.file("plain.txt"), "text");
    std::filesystem::create_directories(dir.file("folder"));
    for (const auto& [path, why] :
         {std::pair{dir.file("plain.txt"), "not a terminal"}, std::pair{dir.file("folder"), "a directory"}}) {
        HeadlessProcess quorvane(
            dir, {"--headless", writeCaptureConfiguration(dir), "--device", path, "--wait-for-device"});
        EXPECT_EQ(quorvane.wait(), 1) << quorvane.standardError();
        EXPECT_NE(quorvane.standardError().find("Device Error: Device COM1 Not Available.\n" + path + ": " +
                                                why + "; waiting cannot change that."),
                  std::string::npos)
            << quorvane.standardError();
    }
}

enum class Unusable { MissingDevice, RegularFile, LockedByLivePid, DirectoryConfiguration, EmptyDevice };

class UnusableRun : public testing::TestWithParam<Unusable> {};

TEST_P(UnusableRun, endsWithItsStatusAndSaysWhatAndWhy) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string configuration = writeCaptureConfiguration(dir);
    std::optional<test::SpawnedProgram> locker;
    std::string lockFile;
    std::vector<std::string> args = {"--headless", configuration, "--device"};
    int status = 1;
    std::string said;
    switch (GetParam()) {
    case Unusable::MissingDevice:
        args.push_back(dir.file("no-tty"));
        said = "Device Error: Device COM1 Not Available.\n" + dir.file("no-tty") +
               ": No such file or directory.";
        break;
    case Unusable::RegularFile:
        WriteWholeFile(dir.file("plain.txt"), "text");
        args.push_back(dir.file("plain.txt"));
        said = "Device Error: Device COM1 Not Available.\n" + dir.file("plain.txt") + ": not a terminal.";
        break;
    case Unusable::LockedByLivePid:
        locker.emplace(std::vector<std::string>{"sleep", "60"}, "/dev/null");
        lockFile = "/run/lock/LCK..pts_" + pty.slavePath().substr(9);
        std::ofstream(lockFile) << std::to_string(locker->pid()) << "\n";
        args.push_back(pty.slavePath());
        said = "Device Error: Device COM1 Not Available.\n" + pty.slavePath() + ": locked by process " +
               std::to_string(locker->pid()) + " (sleep).";
        break;
    case Unusable::DirectoryConfiguration:
        args = {"--headless", dir.path().string(), "--device", pty.slavePath()};
        said = "cannot open " + dir.path().string() + ": a directory, not a configuration file";
        break;
    case Unusable::EmptyDevice:
        args.push_back("");
        status = 2;
        said = "--device needs a PATH";
        break;
    }
    HeadlessProcess quorvane(dir, args);
    EXPECT_EQ(quorvane.wait(), status) << quorvane.standardError();
    EXPECT_NE(quorvane.standardError().find(said), std::string::npos) << quorvane.standardError();
    if (!lockFile.empty())
        std::filesystem::remove(lockFile);
}

std::string unusableName(const testing::TestParamInfo<Unusable>& info) {
    constexpr const char* kNames[] = {"missingDevice", "regularFile", "lockedByLivePid",
                                      "directoryConfiguration", "emptyDevice"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryCase, UnusableRun,
                         testing::Values(Unusable::MissingDevice, Unusable::RegularFile,
                                         Unusable::LockedByLivePid, Unusable::DirectoryConfiguration,
                                         Unusable::EmptyDevice),
                         unusableName);

} // namespace
} // namespace quorvane
