// The quorvane program run headless on a pseudo-terminal, as a user runs it: records written into
// the device's side of the pty as fast as it takes them arrive in the log file complete and in
// order, and the program ends cleanly on SIGTERM. Exit codes and messages of the failures too.

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "integration/HeadlessProcess.h"
#include "serial/PtyPair.h"

namespace quorvane {
namespace {

using Clock = std::chrono::steady_clock;
using test::HeadlessProcess;
using test::sendAll;
using test::writeCaptureConfiguration;

TEST(HeadlessRun, TenThousandRecordsArriveInTheLogCompleteAndInOrder) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    HeadlessProcess quorvane(dir,
                             {"--headless", writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    // The caption shows once the port is open and configured: only then are bytes taken raw.
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();

    std::string sent;
    for (int i = 0; i < 10000; ++i)
        sent += "r" + std::to_string(i) + "," + std::to_string(i * 7 % 1000) + ",end\r\n";
    ASSERT_TRUE(sendAll(pty, sent));

    const std::string log = dir.file("capture.log");
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < end && std::filesystem::exists(log) &&
           std::filesystem::file_size(log) < sent.size())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    while (Clock::now() < end && !std::filesystem::exists(log))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    const std::string logged = ReadWholeFile(log).value_or("");
    EXPECT_EQ(logged.size(), sent.size());
    EXPECT_TRUE(logged == sent) << "the log differs from what the device sent";
    const std::string shown = ReadWholeFile(dir.file("stdout.txt")).value_or("");
    EXPECT_NE(shown.find("#10000  r9999 | 993 | end\\r\n"), std::string::npos);
}

TEST(HeadlessRun, NonAsciiPathsReachTheFilesAndTheMessagesAsTheirBytes) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string log = dir.file("Pr\xC3\xBC"
                                     "fstand/\xC3\xB6l.log"); // UTF-8, folder not there yet
    HeadlessProcess quorvane(dir, {"--headless", writeCaptureConfiguration(dir, log, "W\xC3\xA4ge/c.QV3"),
                                   "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    ASSERT_TRUE(sendAll(pty, "a,b,c\r\n"));
    ASSERT_TRUE(quorvane.waitForMessage("File I/O Error Writing To: " + log + "\n"))
        << quorvane.standardError();
    std::filesystem::create_directories(std::filesystem::path(log).parent_path());
    ASSERT_TRUE(quorvane.waitForMessage("Recovered")) << quorvane.standardError();
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_EQ(ReadWholeFile(log).value_or(""), "a,b,c\r\n"); // as sent, the line end included
}

TEST(HeadlessRun, InterruptClosesThePortAndExitsZero) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    HeadlessProcess quorvane(dir,
                             {"--headless", writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1"));
    quorvane.signal(SIGINT);
    EXPECT_EQ(quorvane.wait(), 0);
    // With the program gone the slave side is closed: the master reads end of file or EIO.
    char byte;
    EXPECT_LE(::read(pty.master(), &byte, 1), 0);
    EXPECT_NE(errno, EAGAIN);
}

TEST(HeadlessRun, PortThatCannotBeOpenedEndsWithStatusOneAndTheDeviceMessage) {
    test::TempDir dir;
    HeadlessProcess quorvane(dir,
                             {"--headless", writeCaptureConfiguration(dir), "--device", dir.file("no-tty")});
    EXPECT_EQ(quorvane.wait(), 1);
    EXPECT_NE(quorvane.standardError().find("Device Error: Device COM1 Not Available."), std::string::npos)
        << quorvane.standardError();
}

TEST(HeadlessRun, ConfigurationThatCannotBeLoadedEndsWithStatusOne) {
    test::TempDir dir;
    HeadlessProcess missing(dir, {"--headless", dir.file("none.QV3")});
    EXPECT_EQ(missing.wait(), 1);
    EXPECT_NE(missing.standardError().find("cannot open"), std::string::npos);
}

} // namespace
} // namespace quorvane
