// The quorvane program run headless on a pseudo-terminal, as a user runs it: records written into
// the device's side of the pty as fast as it takes them arrive in the log file complete and in
// order, and the program ends cleanly on SIGTERM. Exit codes and messages of the failures too.

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFiles.h"
#include "fakes/TempDir.h"
#include "integration/HeadlessProcess.h"
#include "platform/posix/UucpLock.h"
#include "serial/PtyPair.h"

namespace quorvane {
namespace {

using Clock = std::chrono::steady_clock;
using test::HeadlessProcess;
using test::sendAll;
using test::writeCaptureConfiguration;

// Records "r<i>,<i*7%1000>,end" CR LF for i in [first, first + count).
std::string records(int first, int count) {
    std::string sent;
    for (int i = first; i < first + count; ++i)
        sent += "r" + std::to_string(i) + "," + std::to_string(i * 7 % 1000) + ",end\r\n";
    return sent;
}

bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool fileReaches(const std::string& path, std::size_t size, std::chrono::milliseconds limit) {
    return waitUntil(
        [&] { return std::filesystem::exists(path) && std::filesystem::file_size(path) >= size; }, limit);
}

// A field of /proc/<pid>/status in kB ("VmHWM", "VmRSS").
long memoryKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Writes records into the device side as fast as the program takes them, until stopped.
class SaturatingWriter {
public:
    explicit SaturatingWriter(const test::PtyPair& pty)
        : m_thread([this, &pty] {
              const std::string chunk = records(0, 200);
              while (!m_stop) {
                  std::string_view rest = chunk;
                  while (!m_stop && !rest.empty()) {
                      rest.remove_prefix(pty.send(rest));
                      pollfd writable{pty.master(), POLLOUT, 0};
                      poll(&writable, 1, 10);
                  }
              }
          }) {}
    ~SaturatingWriter() { stop(); }
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class HeadlessStop : public testing::TestWithParam<int> {};

// The bound is the program's; a sanitized build runs it several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr long long kStopBoundMs = 300;
#else
constexpr long long kStopBoundMs = 100;
#endif

TEST_P(HeadlessStop, EndsCleanlyWithinAHundredMillisecondsWhileTheDeviceSendsWithoutPause) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    HeadlessProcess quorvane(
        dir, {"--headless", "--quiet", writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    const std::string lock = std::string(kUucpLockDirectory) + "/" + UucpLockName(pty.slavePath());
    ASSERT_TRUE(std::filesystem::exists(lock)) << lock;
    SaturatingWriter writer(pty);
    ASSERT_TRUE(fileReaches(dir.file("capture.log"), 200000, std::chrono::seconds(10)));

    const auto sent = Clock::now();
    quorvane.signal(GetParam());
    const int status = quorvane.wait(std::chrono::seconds(30));
    const auto latency = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
    writer.stop();
    EXPECT_EQ(status, 0) << quorvane.standardError();
    EXPECT_LT(latency.count(), kStopBoundMs);
    std::printf("[          ] signal %d served in %lld ms under load\n", GetParam(),
                static_cast<long long>(latency.count()));
    EXPECT_FALSE(std::filesystem::exists(lock));
    // The program closed its side: once the echo-free pty is drained, the master reads EIO.
    char drained[4096];
    ssize_t n = 0;
    while ((n = ::read(pty.master(), drained, sizeof drained)) > 0) {
    }
    EXPECT_TRUE(n == 0 || errno == EIO) << std::strerror(errno);
}

INSTANTIATE_TEST_SUITE_P(Signals, HeadlessStop, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& signal) { return std::string(sigabbrev_np(signal.param)); });

struct ReaderCase {
    const char* Name;
    bool ReaderLeaves; // like "| head"; otherwise it stays but never reads
    int Records;
};

class HeadlessStandardOutput : public testing::TestWithParam<ReaderCase> {};

TEST_P(HeadlessStandardOutput, NeverHoldsUpCapture) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0); // the program must not hold the reading end itself
    HeadlessProcess quorvane(dir, {"--headless", writeCaptureConfiguration(dir), "--device", pty.slavePath()},
                             out[1]);
    ::close(out[1]);
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    std::string sent = records(0, 5);
    ASSERT_TRUE(sendAll(pty, sent));
    if (GetParam().ReaderLeaves) {
        char first[64];
        ASSERT_GT(::read(out[0], first, sizeof first), 0);
        ::close(out[0]);
    }
    const std::string rest = records(5, GetParam().Records - 5);
    ASSERT_TRUE(sendAll(pty, rest));
    sent += rest;
    EXPECT_TRUE(fileReaches(dir.file("capture.log"), sent.size(), std::chrono::seconds(30)));
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_TRUE(ReadWholeFile(dir.file("capture.log")).value_or("") == sent) << "the log differs";
    if (!GetParam().ReaderLeaves)
        ::close(out[0]);
}

INSTANTIATE_TEST_SUITE_P(Readers, HeadlessStandardOutput,
                         testing::Values(ReaderCase{"ReaderLeaves", true, 2000},
                                         ReaderCase{"ReaderNeverReads", false, 100000}),
                         [](const auto& reader) { return std::string(reader.param.Name); });

class HeadlessLogOutage : public testing::TestWithParam<bool> {};

// The log's folder is replaced by a file for a while (permissions do not stop root): the device is
// read throughout, and every record reaches the log once and in order when the folder is back, or
// is counted as lost when the run stops first.
TEST_P(HeadlessLogOutage, KeepsReadingAndWritesTheWaitingRecordsInOrder) {
    const bool restored = GetParam();
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string folder = dir.file("logs");
    const std::string log = folder + "/capture.log";
    std::filesystem::create_directories(folder);
    HeadlessProcess quorvane(
        dir, {"--headless", writeCaptureConfiguration(dir, "logs/capture.log"), "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    std::string sent = records(0, 100);
    ASSERT_TRUE(sendAll(pty, sent));
    ASSERT_TRUE(fileReaches(log, sent.size(), std::chrono::seconds(10)));

    std::filesystem::rename(folder, dir.file("logs-away"));
    WriteWholeFile(folder, "not a folder");
    const auto outage = Clock::now();
    for (int i = 100; i < 3000; i += 100) {
        // Each batch is taken from the device while the log cannot be written.
        const std::string batch = records(i, 100);
        ASSERT_TRUE(sendAll(pty, batch));
        sent += batch;
        const std::string shown = "#" + std::to_string(i + 100) + "  ";
        EXPECT_TRUE(waitUntil(
            [&] {
                return ReadWholeFile(dir.file("stdout.txt")).value_or("").find(shown) != std::string::npos;
            },
            std::chrono::milliseconds(500)))
            << "record " << i + 100 << " not read during the outage";
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    std::this_thread::sleep_until(outage + std::chrono::seconds(3));
    EXPECT_NE(quorvane.standardError().find("File I/O Error Writing To: " + log + "\n"), std::string::npos);
    if (restored) {
        std::filesystem::remove(folder);
        std::filesystem::rename(dir.file("logs-away"), folder);
        EXPECT_TRUE(quorvane.waitForMessage("Recovered")) << quorvane.standardError();
    }
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    if (restored) {
        EXPECT_TRUE(ReadWholeFile(log).value_or("") == sent) << "the log differs";
    } else {
        EXPECT_EQ(quorvane.standardError().find("Recovered"), std::string::npos);
        EXPECT_NE(quorvane.standardError().find("2900 records could not be written to " + log),
                  std::string::npos)
            << quorvane.standardError();
    }
}

INSTANTIATE_TEST_SUITE_P(Outages, HeadlessLogOutage, testing::Bool(),
                         [](const auto& outage) { return outage.param ? "Restored" : "StoppedDuringIt"; });

// A device that never sends the end character: records are cut at a bounded length, memory stays
// bounded while it streams and is given back once a usual record follows.
TEST(HeadlessRun, RecordWithoutItsEndKeepsMemoryBounded) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    HeadlessProcess quorvane(
        dir, {"--headless", "--quiet", writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    ASSERT_TRUE(sendAll(pty, "a,b,c\r\n"));
    ASSERT_TRUE(fileReaches(dir.file("capture.log"), 7, std::chrono::seconds(10)));
    const long before = memoryKb(quorvane.pid(), "VmRSS");

    const std::string block(std::size_t{1} << 20, 'x');
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(sendAll(pty, block));
    ASSERT_TRUE(sendAll(pty, "\r\n"));
    ASSERT_TRUE(sendAll(pty, "d,e,f\r\n"));
    EXPECT_TRUE(
        fileReaches(dir.file("capture.log"), 7 + 12 * (block.size() + 3) + 4 + 7, std::chrono::seconds(30)));
    EXPECT_TRUE(quorvane.waitForMessage("without its end"));
    const long peak = memoryKb(quorvane.pid(), "VmHWM");
    const long after = memoryKb(quorvane.pid(), "VmRSS");
    std::printf("[          ] RSS %ld kB before, peak %ld kB, %ld kB after\n", before, peak, after);
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks in quarantine, so its figures say nothing about the program.
    EXPECT_LT(peak - before, 16 * 1024);
    EXPECT_LT(after - before, 8 * 1024);
#endif
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_EQ(ReadWholeFile(dir.file("stdout.txt")).value_or("x"), "");
}

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

TEST(HeadlessRun, WithoutASessionBusCapturesOnASingleThread) {
    // A second thread (QtDBus starts one at its first use) makes every write() of the log dearer.
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const char* before = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::optional<std::string> saved = before ? std::optional<std::string>(before) : std::nullopt;
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir.file("no-bus")).c_str(), 1);
    HeadlessProcess quorvane(dir,
                             {"--headless", writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    if (saved)
        setenv("DBUS_SESSION_BUS_ADDRESS", saved->c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    const std::string sent = records(0, 3);
    ASSERT_TRUE(sendAll(pty, sent));
    ASSERT_TRUE(test::waitForFileSize(dir.file("capture.log"), sent.size()));
    const auto tasks = std::distance(
        std::filesystem::directory_iterator("/proc/" + std::to_string(quorvane.pid()) + "/task"),
        std::filesystem::directory_iterator());
    EXPECT_EQ(tasks, 1);
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

// A new pseudo-terminal written to before the run opened it took those bytes in cooked (CR turned
// into LF, so records ran together): they are dropped and said, and what comes once the port is set
// up is logged exactly.
TEST(HeadlessRun, BytesATerminalCookedBeforeThePortWasSetUpAreDroppedAndSaid) {
    test::TempDir dir;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string early = records(0, 3);
    ASSERT_TRUE(sendAll(pty, early));
    HeadlessProcess quorvane(dir,
                             {"--headless", writeCaptureConfiguration(dir), "--device", pty.slavePath()});
    ASSERT_TRUE(quorvane.waitForMessage("Quorvane - COM1")) << quorvane.standardError();
    const std::string sent = records(3, 3);
    ASSERT_TRUE(sendAll(pty, sent));
    const std::string log = dir.file("capture.log");
    ASSERT_TRUE(fileReaches(log, sent.size(), std::chrono::seconds(10))) << quorvane.standardError();
    quorvane.signal(SIGTERM);
    EXPECT_EQ(quorvane.wait(), 0) << quorvane.standardError();
    EXPECT_EQ(ReadWholeFile(log).value_or(""), sent);
    EXPECT_NE(quorvane.standardError().find(std::to_string(early.size()) + " bytes that waited in " +
                                            pty.slavePath() + " before the port was set up were discarded"),
              std::string::npos)
        << quorvane.standardError();
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
